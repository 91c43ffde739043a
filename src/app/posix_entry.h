// The POSIX process entry, apart from main itself so that test builds of the
// program (the allocation-failure sweep) run exactly what users run.
#pragma once

// Makes the process safe in whatever state its parent left it, decodes the
// byte arguments losslessly, runs, and gives the process exit value.
int RunPosixProcess(int argc, char** argv) noexcept;
