#include "app/catalog.h"

#include "host/host_call.h"

CCatalog::~CCatalog() = default;

HRESULT CCatalog::Open(IHostApplication* application)
{
    if (!application) return E_INVALIDARG;
    m_catalog.Reset();
    return HostBoundary([&]() -> HRESULT {
        m_catalog = HostGetObject<IHostCatalog>(application, &IHostApplication::get_ActiveCatalog);
        if (!m_catalog) return E_FAIL;  // the host has no catalog active
        const CHostString path = HostGetString(m_catalog.Get(), &IHostCatalog::get_Path);
        return path.Length() > 0 ? S_OK : E_FAIL;
    });
}
