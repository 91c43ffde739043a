// The run: one straight sequence from the argument check to the keyword
// pass. Returns the run's HRESULT; only the driver turns results into
// messages.
#pragma once

#include "platform/com.h"

#include <new>

HRESULT RunQuillfen(int argc, const OLECHAR* const* argv);

// The process exit value for a run's HRESULT on this platform.
int ExitValueFor(HRESULT hr) noexcept;

// The last resort of both entry points (wmain and the POSIX entry): whatever
// must be made before the run, such as the decoded arguments, can fail for
// lack of memory, and the process then still exits with that failure.
template <class Run>
int ExitValueOfRun(Run&& run) noexcept
{
    try {
        return ExitValueFor(run());
    } catch (const std::bad_alloc&) {
        return ExitValueFor(E_OUTOFMEMORY);
    }
}
