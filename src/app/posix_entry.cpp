#include "app/posix_entry.h"

#include "app/driver.h"
#include "platform/utf8.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <new>
#include <unistd.h>
#include <vector>

namespace {

// A parent may start us with standard input, output or error closed. The next
// file anyone opens (the host's trace, a saved catalog) would then get that
// number, and the report would be written into it. /dev/null fills the gap.
void FillClosedStandardDescriptors() noexcept
{
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        const int opened = open("/dev/null", O_RDWR);
        // open gives the lowest free number, which is this one; anything else
        // means /dev/null itself is missing, and then nothing better exists.
        if (opened != fd && opened >= 0) close(opened);
    }
}

}  // namespace

int RunPosixProcess(int argc, char** argv) noexcept
{
    FillClosedStandardDescriptors();
    // A reader that goes away must not kill the run: a write then fails with
    // EPIPE, that stream enters its error state, and the keywords still go in.
    std::signal(SIGPIPE, SIG_IGN);
    return ExitValueOfRun([&] {
        std::vector<WideString> arguments;
        std::vector<const OLECHAR*> pointers;
        arguments.reserve(static_cast<std::size_t>(argc));
        pointers.reserve(static_cast<std::size_t>(argc) + 1);
        for (int i = 0; i < argc; ++i) arguments.push_back(FromNativeBytes(argv[i]));
        for (const WideString& argument : arguments) pointers.push_back(argument.c_str());
        pointers.push_back(nullptr);
        return RunQuillfen(argc, pointers.data());
    });
}
