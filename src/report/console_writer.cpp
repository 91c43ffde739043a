#include "report/console_writer.h"

#include "platform/utf8.h"

#ifdef _WIN32
#include <io.h>
#else
#include <cerrno>
#include <csignal>
#include <unistd.h>
#endif

namespace {

bool g_failed[2] = {false, false};

int Slot(ConsoleStream stream) { return stream == ConsoleStream::Output ? 0 : 1; }

#ifdef _WIN32

HANDLE Handle(ConsoleStream stream)
{
    return GetStdHandle(stream == ConsoleStream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
}

// A console takes UTF-16 as it is; anything else (a pipe or a file) gets
// UTF-8 with CR LF, which every reader of redirected output understands.
bool WriteLine(ConsoleStream stream, const WideString& line)
{
    const HANDLE handle = Handle(stream);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) {
        const WideString text = line + L"\r\n";
        const wchar_t* cursor = text.data();
        DWORD left = static_cast<DWORD>(text.size());
        while (left > 0) {
            DWORD written = 0;
            if (!WriteConsoleW(handle, cursor, left, &written, nullptr) || written == 0) return false;
            cursor += written;
            left -= written;
        }
        return true;
    }
    const std::string bytes = ToUtf8(line) + "\r\n";
    const char* cursor = bytes.data();
    DWORD left = static_cast<DWORD>(bytes.size());
    while (left > 0) {
        DWORD written = 0;
        if (!WriteFile(handle, cursor, left, &written, nullptr) || written == 0) return false;
        cursor += written;
        left -= written;
    }
    return true;
}

#else

bool WriteLine(ConsoleStream stream, const WideString& line)
{
    // A reader that goes away must not kill the run: the write then fails
    // with EPIPE and the stream simply enters its error state.
    static const bool sigpipeIgnored = [] {
        std::signal(SIGPIPE, SIG_IGN);
        return true;
    }();
    (void)sigpipeIgnored;
    const std::string bytes = ToUtf8(line) + "\n";
    const int fd = stream == ConsoleStream::Output ? STDOUT_FILENO : STDERR_FILENO;
    const char* cursor = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, cursor, left);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        cursor += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

#endif

}  // namespace

void WriteConsoleLine(ConsoleStream stream, const WideString& line)
{
    bool& failed = g_failed[Slot(stream)];
    if (failed) return;
    if (!WriteLine(stream, line)) failed = true;
}

bool ConsoleStreamFailed(ConsoleStream stream) noexcept { return g_failed[Slot(stream)]; }
