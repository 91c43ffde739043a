#include "app/driver.h"

#include "app/active_catalog_check.h"
#include "app/application.h"
#include "app/catalog.h"
#include "host/host_call.h"
#include "report/console_writer.h"
#include "tree/media_set_tree.h"

#include <string_view>

namespace {

void Fail(const OLECHAR* message)
{
    try {
        WriteConsoleLine(ConsoleStream::Error, WideString(message));
    } catch (const std::bad_alloc&) {
        // The exit value still tells the failure.
    }
}

constexpr const OLECHAR* kUsage = OLESTR("Usage: Quillfen.exe CatalogFileName");

// How a Windows console program is asked for help, with its dash variant. A
// '?' cannot be part of a Windows path, so neither can name a catalog.
bool AsksForUsage(std::basic_string_view<OLECHAR> argument)
{
    return argument == OLESTR("/?") || argument == OLESTR("-?");
}

}  // namespace

HRESULT RunQuillfen(int argc, const OLECHAR* const* argv)
{
    if (argc == 2 && AsksForUsage(argv[1])) {
        // Asked for, the usage line is the answer, not a failure; the host
        // is not needed for it, so COM is never started. Lacking the memory
        // to write it, the run ends with E_OUTOFMEMORY.
        WriteConsoleLine(ConsoleStream::Output, WideString(kUsage));
        return S_OK;
    }
    if (argc != 2) {
        Fail(kUsage);
        return E_INVALIDARG;
    }

    HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (FAILED(hr)) {
        Fail(OLESTR("Failed to initialize COM"));
        return hr;
    }

    CApplication application;
    hr = application.Open();
    if (FAILED(hr)) {
        Fail(OLESTR("Failed to open application"));
        return hr;
    }
    (void)application.PrintInfo();

    CCatalog catalog;
    hr = catalog.Open(application.Get());
    if (FAILED(hr)) {
        Fail(OLESTR("Failed to open catalog"));
        return hr;
    }
    (void)catalog.PrintInfo();

    // A host failure while the path is read again ends the run with that
    // failure and no message, like a failed copy of the path.
    bool matches = false;
    hr = HostBoundary([&] {
        matches = CheckActiveCatalog(catalog.Get(), WideString(argv[1]));
        return S_OK;
    });
    if (FAILED(hr)) return hr;
    if (!matches) {
        Fail(OLESTR("Active catalog does not match requested catalog"));
        return E_FAIL;
    }

    CMediaSetTree tree;
    hr = tree.Load(catalog.Get());
    if (FAILED(hr)) {
        Fail(OLESTR("Failed to load media sets"));
        return hr;
    }
    (void)tree.Print();

    hr = tree.AddKeywords();
    if (FAILED(hr)) {
        Fail(OLESTR("Failed to add keywords"));
        return hr;
    }
    return S_OK;
}

int ExitValueFor(HRESULT hr) noexcept
{
#ifdef _WIN32
    return static_cast<int>(hr);
#else
    // A POSIX shell sees only the low byte; a failure must never read as 0.
    if (SUCCEEDED(hr)) return 0;
    const int low = static_cast<int>(static_cast<DWORD>(hr) & 0xFFu);
    return low == 0 ? 1 : low;
#endif
}
