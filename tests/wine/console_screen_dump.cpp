// Writes what the console's screen buffer holds, row by row, as UTF-8 to a
// file: the text programs wrote with WriteConsoleW before, as the console
// keeps it, apart from how a terminal then draws it.
//
//   console-screen-dump.exe <file>
//
// Rows run from the top of the buffer to the cursor's row, trailing blanks
// trimmed. A character outside the BMP stays the surrogate pair the console
// holds, so the file shows whether the pair reached the console whole.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fputs("usage: console-screen-dump.exe <file>\n", stderr);
        return 2;
    }
    const HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, 0, nullptr);
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (console == INVALID_HANDLE_VALUE || !GetConsoleScreenBufferInfo(console, &info)) {
        std::fputs("console-screen-dump: no console\n", stderr);
        return 1;
    }
    std::wstring screen;
    std::vector<wchar_t> row(static_cast<std::size_t>(info.dwSize.X));
    for (SHORT y = 0; y <= info.dwCursorPosition.Y; ++y) {
        DWORD read = 0;
        if (!ReadConsoleOutputCharacterW(console, row.data(), static_cast<DWORD>(row.size()), COORD{0, y}, &read))
            return 1;
        std::wstring text(row.data(), read);
        text.erase(text.find_last_not_of(L' ') + 1);
        screen += text + L"\n";
    }
    // WC_ERR_INVALID_CHARS is left out: a lone surrogate must show, not fail.
    const int size = WideCharToMultiByte(CP_UTF8, 0, screen.data(), static_cast<int>(screen.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, screen.data(), static_cast<int>(screen.size()), &bytes[0], size, nullptr,
                        nullptr);
    FILE* file = _wfopen(argv[1], L"wb");
    if (!file) return 1;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok ? 0 : 1;
}
