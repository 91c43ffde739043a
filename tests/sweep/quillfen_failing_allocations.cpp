// Quillfen exactly as users run it, with the sweep's allocator armed at the
// start of main.
#include "app/posix_entry.h"
#include "tests/sweep/failing_allocator.h"

int main(int argc, char** argv)
{
    ArmAllocationFailures();
    return RunPosixProcess(argc, argv);
}
