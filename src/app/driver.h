// The run: one straight sequence from the argument check to the keyword
// pass. Returns the run's HRESULT; only the driver turns results into
// messages.
#pragma once

#include "platform/com.h"

HRESULT RunQuillfen(int argc, const OLECHAR* const* argv);

// The process exit value for a run's HRESULT on this platform.
int ExitValueFor(HRESULT hr) noexcept;
