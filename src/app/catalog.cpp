#include "app/catalog.h"

#include "host/host_call.h"

CCatalog::~CCatalog() = default;

HRESULT CCatalog::Open(IHostApplication* application) noexcept
{
    if (!application) return E_INVALIDARG;
    m_catalog.Reset();
    return HostBoundary([&]() -> HRESULT {
        m_catalog = HostGetObject<IHostCatalog>(application, &IHostApplication::get_ActiveCatalog);
        if (!m_catalog) throw _com_error(E_FAIL);  // the host has no catalog active
        if (HostGetString(m_catalog.Get(), &IHostCatalog::get_Path).Length() == 0) throw _com_error(E_FAIL);
        return S_OK;
    });
}
