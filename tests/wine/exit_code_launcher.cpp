// Runs a program and writes its full 32-bit exit value to a file. A Linux
// shell that starts a Windows program under Wine sees only the low 8 bits of
// the exit code, and Quillfen's exit value is a whole HRESULT.
//
//   exit-code-launcher.exe <exit-value-file> <program> [arguments...]
//
// The program inherits the launcher's standard streams, so its output is
// exactly what it wrote. The file receives e.g. "0x80004005".
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// Quotes one argument so that the C runtime's command-line parser gives it
// back unchanged (backslashes count only when they precede a quote).
std::wstring QuoteArgument(const std::wstring& argument)
{
    if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) return argument;
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') quoted.append(backslashes * 2 + 1, L'\\');
        else quoted.append(backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    quoted += L'"';
    return quoted;
}

bool WriteExitValue(const wchar_t* path, DWORD value)
{
    char text[16];
    const int length = std::snprintf(text, sizeof text, "0x%08lX\n", static_cast<unsigned long>(value));
    const HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, text, static_cast<DWORD>(length), &written, nullptr) &&
                    written == static_cast<DWORD>(length);
    CloseHandle(file);
    return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) {
        std::fputs("usage: exit-code-launcher.exe <exit-value-file> <program> [arguments...]\n", stderr);
        return 2;
    }
    std::wstring commandLine = QuoteArgument(argv[2]);
    for (int i = 3; i < argc; ++i) commandLine += L" " + QuoteArgument(argv[i]);

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process = {};
    // Wine now and then fails to create a process with an internal error that
    // is gone a moment later; any other failure is the program's own.
    DWORD error = ERROR_SUCCESS;
    for (int attempt = 0; attempt < 5; ++attempt) {
        std::wstring attemptLine = commandLine;  // CreateProcessW may write into it
        if (CreateProcessW(argv[2], &attemptLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                           &process)) {
            error = ERROR_SUCCESS;
            break;
        }
        error = GetLastError();
        if (error != ERROR_INTERNAL_ERROR) break;
        Sleep(200);
    }
    if (error != ERROR_SUCCESS) {
        std::fprintf(stderr, "exit-code-launcher: cannot start the program (error %lu)\n",
                     static_cast<unsigned long>(error));
        return 3;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitValue = 0;
    const bool known = GetExitCodeProcess(process.hProcess, &exitValue) != 0;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (!known || !WriteExitValue(argv[1], exitValue)) {
        std::fputs("exit-code-launcher: cannot record the exit value\n", stderr);
        return 4;
    }
    return 0;
}
