#include "host_server.h"

#include "host/host_interfaces.h"
#include "host_console.h"
#include "host_instance.h"
#include "interface_keep_alive.h"
#include "model/file_system.h"
#include "model/host_class_factory.h"
#include "type_library_dispatch.h"

#include <memory>
#include <new>

namespace {

// A host that COM started but that no client ever reaches (its creation
// failed, or the client died) must not stay behind for ever.
constexpr DWORD kIdleLimitMilliseconds = 30000;

const CRunningHostClaim* g_consoleStopTarget = nullptr;

// Ctrl+C or closing the console window stops a hand-started host the way
// /stop does, so a changed catalog is still saved.
BOOL WINAPI StopOnConsoleSignal(DWORD)
{
    if (g_consoleStopTarget) g_consoleStopTarget->RequestStop();
    return TRUE;
}

// The class object, registered for as long as this object lives.
class CClassRegistration {
public:
    CClassRegistration() = default;
    CClassRegistration(const CClassRegistration&) = delete;
    CClassRegistration& operator=(const CClassRegistration&) = delete;
    virtual ~CClassRegistration() { Revoke(); }

    // The class object is held marshalled by keepAlive before any client
    // can reach it; keepAlive must outlive this registration.
    HRESULT Register(std::shared_ptr<CHostState> state, CHostClassFactory::CPrepare prepare,
                     CInterfaceKeepAlive& keepAlive)
    {
        CHostClassFactory* factory = nullptr;
        try {
            factory = new CHostClassFactory(std::move(state), std::move(prepare));
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        const HRESULT held = keepAlive.HoldClassObject(factory);
        if (FAILED(held)) ReportHostFailure(L"cannot keep the class object's interfaces registered", held);
        const HRESULT hr =
            CoRegisterClassObject(CLSID_LumoraApplication, factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &m_cookie);
        factory->Release();
        if (FAILED(hr)) m_cookie = 0;
        return hr;
    }

    // New clients are turned away from here on.
    void Revoke()
    {
        if (m_cookie != 0) CoRevokeClassObject(m_cookie);
        m_cookie = 0;
    }

private:
    DWORD m_cookie = 0;
};

// IDispatch of every host object answers from the type library for as long
// as this object lives.
class CDispatchFromTypeLibrary {
public:
    CDispatchFromTypeLibrary() = default;
    CDispatchFromTypeLibrary(const CDispatchFromTypeLibrary&) = delete;
    CDispatchFromTypeLibrary& operator=(const CDispatchFromTypeLibrary&) = delete;
    virtual ~CDispatchFromTypeLibrary() { SetHostDispatchHook(nullptr); }

    HRESULT Install()
    {
        const HRESULT hr = m_dispatch.Load();
        if (SUCCEEDED(hr)) SetHostDispatchHook(&m_dispatch);
        return hr;
    }

private:
    CTypeLibraryDispatch m_dispatch;
};

HRESULT StartCom(CDispatchFromTypeLibrary& dispatch, CInterfaceKeepAlive& keepAlive)
{
    HRESULT hr = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (FAILED(hr)) {
        ReportHostFailure(L"cannot initialize COM", hr);
        return hr;
    }
    hr = dispatch.Install();
    if (FAILED(hr)) {
        ReportHostFailure(L"cannot load the type library bound into this program", hr);
        return hr;
    }
    // Without it the host still serves, as it did before, only exposed to
    // Wine's deadlock on the release of an interface's last object.
    const HRESULT held = keepAlive.Hold();
    if (FAILED(held)) ReportHostFailure(L"cannot keep the host's interfaces registered", held);
    return S_OK;
}

}  // namespace

HRESULT ServeCatalogUntilStopped(const std::filesystem::path& catalog)
{
    CRunningHostClaim claim;
    HRESULT hr = claim.Claim();
    if (FAILED(hr)) {
        ReportHostFailure(hr == HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS) ? L"another host is already running"
                                                                         : L"cannot claim the running host's name",
                          hr);
        return hr;
    }
    CDispatchFromTypeLibrary dispatch;
    CInterfaceKeepAlive keepAlive;
    hr = StartCom(dispatch, keepAlive);
    if (FAILED(hr)) return hr;

    const auto state = std::make_shared<CHostState>(PathFromEnvironment("LUMORA_TRACE"));
    // As in process, the catalog is read when the first client creates the
    // application: a file that cannot be used fails that creation with its
    // HRESULT, and the host says why on its standard error. Until a catalog
    // could be read, every creation tries again.
    const std::filesystem::path active = AbsolutePath(catalog);
    const WideString ready = L"lumora-host: ready, catalog " + PathToWide(active);
    {
        CClassRegistration registration;
        hr = registration.Register(
            state, [active](CHostState& host) { return host.ActivateCatalog(active); }, keepAlive);
        if (FAILED(hr)) {
            ReportHostFailure(L"cannot register the application class", hr);
            state->Shutdown();
            return hr;
        }
        g_consoleStopTarget = &claim;
        SetConsoleCtrlHandler(StopOnConsoleSignal, TRUE);
        WriteHostLine(HostStream::Output, ready);
        claim.WaitForStopRequest();
        SetConsoleCtrlHandler(StopOnConsoleSignal, FALSE);
        g_consoleStopTarget = nullptr;
    }
    state->Shutdown();
    // Only now may a waiting /stop return: the catalog is saved.
    claim.Release();
    return S_OK;
}

HRESULT ServeComClientsUntilReleased()
{
    CDispatchFromTypeLibrary dispatch;
    CInterfaceKeepAlive keepAlive;
    HRESULT hr = StartCom(dispatch, keepAlive);
    if (FAILED(hr)) return hr;

    const HANDLE released = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!released) return HRESULT_FROM_WIN32(GetLastError());
    const auto state = std::make_shared<CHostState>(PathFromEnvironment("LUMORA_TRACE"));
    state->SetLastReleaseHandler([released] { SetEvent(released); });
    {
        CClassRegistration registration;
        hr = registration.Register(state, nullptr, keepAlive);
        if (FAILED(hr)) {
            ReportHostFailure(L"cannot register the application class", hr);
        } else {
            // Ends after the last release, or after an idle spell in which no
            // client holds anything.
            while (WaitForSingleObject(released, kIdleLimitMilliseconds) == WAIT_TIMEOUT &&
                   state->ClientReferences() != 0) {
            }
        }
    }
    state->Shutdown();
    state->SetLastReleaseHandler(nullptr);
    CloseHandle(released);
    return hr;
}
