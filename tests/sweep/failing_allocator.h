// The allocation-failure sweep's allocator: counts and fails allocations as
// the environment says (see failing_allocator.cpp).
#pragma once

// Reads the settings and starts counting; allocations before it are neither
// counted nor failed.
void ArmAllocationFailures() noexcept;
