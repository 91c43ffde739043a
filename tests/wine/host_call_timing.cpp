// Measures what one cross-process host call costs: connects to the running
// lumora-host.exe and reads the application's Name many times.
//
//   host-call-timing.exe <number of calls>
#include "host/host_interfaces.h"

#include <cstdio>
#include <cwchar>

namespace {

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const long calls = argc == 2 ? std::wcstol(argv[1], nullptr, 10) : 0;
    if (calls <= 0) {
        std::fputs("usage: host-call-timing.exe <number of calls>\n", stderr);
        return 2;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 3;
    LARGE_INTEGER start, connected, done;
    QueryPerformanceCounter(&start);
    IHostApplication* application = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_LumoraApplication, nullptr, CLSCTX_LOCAL_SERVER, IID_IHostApplication,
                                  reinterpret_cast<void**>(&application));
    QueryPerformanceCounter(&connected);
    if (FAILED(hr)) {
        std::fprintf(stderr, "cannot reach the host: 0x%08lX\n", static_cast<unsigned long>(hr));
        return 1;
    }
    for (long i = 0; i < calls && SUCCEEDED(hr); ++i) {
        BSTR name = nullptr;
        hr = application->get_Name(&name);
        SysFreeString(name);
    }
    QueryPerformanceCounter(&done);
    application->Release();
    if (FAILED(hr)) {
        std::fprintf(stderr, "a call failed: 0x%08lX\n", static_cast<unsigned long>(hr));
        return 1;
    }
    const double total = Seconds(connected, done);
    std::printf("connect: %.1f ms\n%ld calls: %.1f ms, %.1f us per call\n", Seconds(start, connected) * 1e3, calls,
                total * 1e3, total * 1e6 / static_cast<double>(calls));
    return 0;
}
