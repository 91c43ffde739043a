#include "report/console_writer.h"

#include "platform/utf8.h"

#ifdef _WIN32
#include <io.h>
#else
#include <cerrno>
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

// Writes all of `text` through `write`, which may take it in parts.
template <class C, class W>
bool WriteAll(const std::basic_string<C>& text, W write)
{
    const C* cursor = text.data();
    DWORD left = static_cast<DWORD>(text.size());
    while (left > 0) {
        DWORD written = 0;
        if (!write(cursor, left, &written) || written == 0) return false;
        cursor += written;
        left -= written;
    }
    return true;
}

// A console takes UTF-16 as it is; anything else (a pipe or a file) gets
// UTF-8 with CR LF, which every reader of redirected output understands.
bool WriteLine(ConsoleStream stream, const WideString& line)
{
    const HANDLE handle = Handle(stream);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode))
        return WriteAll(line + L"\r\n", [handle](const wchar_t* text, DWORD count, DWORD* written) {
            return WriteConsoleW(handle, text, count, written, nullptr) != FALSE;
        });
    return WriteAll(ToUtf8(line) + "\r\n", [handle](const char* text, DWORD count, DWORD* written) {
        return WriteFile(handle, text, count, written, nullptr) != FALSE;
    });
}

#else

bool WriteLine(ConsoleStream stream, const WideString& line)
{
    // The process entry ignores SIGPIPE, so a reader that goes away only
    // fails the write. Text goes out as the bytes it came from: a file name
    // that is not UTF-8 is shown as the user typed it.
    const std::string bytes = ToNativeBytes(line) + "\n";
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
