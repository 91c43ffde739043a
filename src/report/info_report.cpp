// The application and catalog blocks of the report.
#include "app/application.h"
#include "app/catalog.h"
#include "host/host_call.h"
#include "report/report_line.h"

HRESULT CApplication::PrintInfo() const noexcept
{
    if (!m_application) return E_INVALIDARG;
    return HostBoundary([&] {
        IHostApplication* application = m_application.Get();
        WriteTextLine(OLESTR("Application Name: "), HostGetString(application, &IHostApplication::get_Name));
        WriteTextLine(OLESTR("Application Version: "),
                      HostGetString(application, &IHostApplication::get_Version));
        WriteTextLine(OLESTR("Application Path: "), HostGetString(application, &IHostApplication::get_Path));
        return S_OK;
    });
}

HRESULT CCatalog::PrintInfo() const noexcept
{
    if (!m_catalog) return E_INVALIDARG;
    return HostBoundary([&] {
        IHostCatalog* catalog = m_catalog.Get();
        WriteNumberLine(OLESTR("Catalog Index: "), HostGetValue<LONG>(catalog, &IHostCatalog::get_Index));
        WriteTextLine(OLESTR("Catalog Name: "), HostGetString(catalog, &IHostCatalog::get_Name));
        WriteTextLine(OLESTR("Catalog Path: "), HostGetString(catalog, &IHostCatalog::get_Path));
        return S_OK;
    });
}
