// The process entry point: hands the command line to the driver and returns
// the run's exit value.
#include "app/driver.h"

#ifdef _WIN32

int wmain(int argc, wchar_t** argv)
{
    return ExitValueOfRun([&] { return RunQuillfen(argc, argv); });
}

#else

#include "app/posix_entry.h"

int main(int argc, char** argv) { return RunPosixProcess(argc, argv); }

#endif
