// The process entry point: hands the command line to the driver and returns
// the run's exit value.
#include "app/driver.h"

#ifdef _WIN32

#include <new>

int wmain(int argc, wchar_t** argv)
{
    try {
        return ExitValueFor(RunQuillfen(argc, argv));
    } catch (const std::bad_alloc&) {
        return ExitValueFor(E_OUTOFMEMORY);
    }
}

#else

#include "app/posix_entry.h"

int main(int argc, char** argv) { return RunPosixProcess(argc, argv); }

#endif
