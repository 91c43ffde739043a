#include "model/host_objects.h"

using namespace HostOperation;

CHostApplicationObject::CHostApplicationObject(std::shared_ptr<CHostState> state) : CHostObject(std::move(state))
{
    RegisterLocked();
}

void* CHostApplicationObject::OtherInterfaceLocked(REFIID riid)
{
    return riid == IID_IRunnableObject && m_state->RunnableLocked() ? static_cast<IRunnableObject*>(this) : nullptr;
}

HRESULT CHostApplicationObject::GetRunningClass(CLSID* clsid)
{
    if (!clsid) return E_POINTER;
    *clsid = CLSID_LumoraApplication;
    return S_OK;
}

#ifdef _WIN32
HRESULT CHostApplicationObject::Run(LPBINDCTX)
#else
HRESULT CHostApplicationObject::Run(void*)
#endif
{
    const CHostCodeScope hostCode;
    std::lock_guard<std::mutex> lock(m_state->Mutex());
    // The catalog's switch traces Run as an operation, so a client in another
    // process can be seen to run the host; a unit test's host only counts it.
    if (!m_state->ApplicationLocked().m_runnable) {
        const CFaultAction fault = CountPlumbingLocked(kApplicationRun, nullptr);
        return fault.m_kind == CFaultAction::Kind::Fail ? fault.m_hresult : S_OK;
    }
    try {
        const CFaultAction fault = m_state->BeginCallLocked(TraceLabelIfTraced(), kApplicationRun, std::nullopt);
        return fault.m_kind == CFaultAction::Kind::Fail ? fault.m_hresult : S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT CHostApplicationObject::get_Name(BSTR* name)
{
    return Serve(kApplicationName, name, [&](BSTR& out) { return CopyHostText(m_state->ApplicationLocked().m_name, out); });
}

HRESULT CHostApplicationObject::get_Version(BSTR* version)
{
    return Serve(kApplicationVersion, version,
                 [&](BSTR& out) { return CopyHostText(m_state->ApplicationLocked().m_version, out); });
}

HRESULT CHostApplicationObject::get_Path(BSTR* path)
{
    return Serve(kApplicationPath, path, [&](BSTR& out) { return CopyHostText(m_state->ApplicationLocked().m_path, out); });
}

HRESULT CHostApplicationObject::get_ActiveCatalog(IHostCatalog** catalog)
{
    return Serve(kApplicationActiveCatalog, catalog, [&](IHostCatalog*& out) {
        // No catalog active: success with nothing.
        if (m_state->CatalogLocked()) out = new CHostCatalogObject(m_state);
        return S_OK;
    });
}
