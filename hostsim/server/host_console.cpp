#include "host_console.h"

#include "platform/utf8.h"

#include <cwchar>
#include <new>
#include <string>

namespace {

bool WriteAll(HANDLE handle, const char* bytes, DWORD size)
{
    while (size > 0) {
        DWORD written = 0;
        if (!WriteFile(handle, bytes, size, &written, nullptr) || written == 0) return false;
        bytes += written;
        size -= written;
    }
    return true;
}

}  // namespace

void WriteHostLine(HostStream stream, const WideString& line) noexcept
{
    const HANDLE handle = GetStdHandle(stream == HostStream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
    try {
        DWORD mode = 0;
        if (GetConsoleMode(handle, &mode)) {
            const WideString text = line + L"\r\n";
            DWORD written = 0;
            WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
            return;
        }
        const std::string bytes = ToUtf8(line) + "\r\n";
        // WriteFile keeps no buffer of its own, so the line is out once it returns.
        WriteAll(handle, bytes.data(), static_cast<DWORD>(bytes.size()));
    } catch (const std::bad_alloc&) {
        // A line that cannot be built is dropped; the host keeps serving.
    }
}

void ReportHostFailure(const wchar_t* what, HRESULT hr) noexcept
{
    try {
        WriteHostLine(HostStream::Error, L"lumora-host: " + WideString(what) + L" (" + HresultText(hr) + L")");
    } catch (const std::bad_alloc&) {
        // The exit value still carries the failure.
    }
}

WideString HresultText(HRESULT hr)
{
    wchar_t text[16];
    std::swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(hr));
    return text;
}
