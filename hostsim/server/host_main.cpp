// lumora-host.exe, the host stand-in as an out-of-process COM server:
//   lumora-host.exe <catalog>        serve with that catalog active until /stop
//   lumora-host.exe /stop            stop the running host once it has saved
//   lumora-host.exe /regserver       register what of the type library, the
//                                    class and the interfaces is missing
//   lumora-host.exe /unregserver     remove what of those is the stand-in's
//   lumora-host.exe -Embedding       started by COM: no catalog active
// The exit value is an HRESULT.
#include "host_console.h"
#include "host_instance.h"
#include "host_registration.h"
#include "host_server.h"
#include "platform/ascii_case.h"

#include <new>
#include <string>

namespace {

// How long /stop waits for the host to save and end.
constexpr DWORD kStopTimeoutMilliseconds = 60000;

// Options are accepted with "/" or "-" and in any case of their letters. A
// "/" followed by more separators is a path, as Wine users may write one.
bool LooksLikeOption(const std::wstring& argument)
{
    if (argument.size() < 2) return false;
    if (argument[0] == L'-') return true;
    return argument[0] == L'/' && argument.find_first_of(L"/\\", 1) == std::wstring::npos;
}

bool IsOption(const std::wstring& argument, const wchar_t* name)
{
    return LooksLikeOption(argument) && EqualIgnoringAsciiCase(argument.substr(1), std::wstring(name));
}

// failure: null when the failure was reported where it happened.
HRESULT Report(HRESULT hr, const wchar_t* success, const wchar_t* failure)
{
    if (SUCCEEDED(hr)) WriteHostLine(HostStream::Output, std::wstring(L"lumora-host: ") + success);
    else if (failure) ReportHostFailure(failure, hr);
    return hr;
}

HRESULT Run(int argc, wchar_t** argv)
{
    if (argc != 2) {
        WriteHostLine(HostStream::Error, L"Usage: lumora-host.exe CatalogFileName | /stop | /regserver | /unregserver");
        return E_INVALIDARG;
    }
    const std::wstring argument = argv[1];
    // Registration says itself what it wrote, removed and left alone, and
    // why it failed; only the last line is said here.
    if (IsOption(argument, L"regserver")) {
        const HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (FAILED(hr)) return Report(hr, L"", L"cannot register");
        return Report(RegisterHostServer(), L"registered", nullptr);
    }
    if (IsOption(argument, L"unregserver")) {
        const HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (FAILED(hr)) return Report(hr, L"", L"cannot unregister");
        return Report(UnregisterHostServer(), L"unregistered: nothing of the stand-in's is left registered", nullptr);
    }
    if (IsOption(argument, L"stop")) {
        const HRESULT hr = StopRunningHost(kStopTimeoutMilliseconds);
        return Report(hr, L"stopped",
                      hr == HRESULT_FROM_WIN32(ERROR_NOT_FOUND) ? L"no host is running" : L"cannot stop the host");
    }
    if (IsOption(argument, L"embedding")) return ServeComClientsUntilReleased();
    if (LooksLikeOption(argument)) {
        WriteHostLine(HostStream::Error, L"lumora-host: unknown option " + argument);
        return E_INVALIDARG;
    }
    return ServeCatalogUntilStopped(argument);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    try {
        return static_cast<int>(Run(argc, argv));
    } catch (const std::bad_alloc&) {
        // Only start-up builds text and objects on this thread; the calls of
        // clients run on COM's threads and answer E_OUTOFMEMORY themselves.
        return static_cast<int>(E_OUTOFMEMORY);
    }
}
