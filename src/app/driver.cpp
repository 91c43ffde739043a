#include "app/driver.h"

#include "app/active_catalog_check.h"
#include "app/application.h"
#include "app/catalog.h"
#include "host/host_call.h"
#include "report/console_writer.h"
#include "tree/media_set_tree.h"

namespace {

void Fail(const OLECHAR* message)
{
    try {
        WriteConsoleLine(ConsoleStream::Error, WideString(message));
    } catch (const std::bad_alloc&) {
        // The exit value still tells the failure.
    }
}

}  // namespace

HRESULT RunQuillfen(int argc, const OLECHAR* const* argv)
{
    if (argc != 2) {
        Fail(OLESTR("Usage: Quillfen.exe CatalogFileName"));
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
