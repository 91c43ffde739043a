// The host's active catalog, the one a run is allowed to work on.
#pragma once

#include "host/counted_ref.h"
#include "host/host_interfaces.h"

class CCatalog {
public:
    CCatalog() = default;
    CCatalog(const CCatalog&) = delete;
    CCatalog& operator=(const CCatalog&) = delete;
    virtual ~CCatalog();

    // Attaches to the active catalog of `application` (borrowed for the call)
    // and requires it to have a non-empty path.
    HRESULT Open(IHostApplication* application) noexcept;

    // Writes the catalog block of the report.
    HRESULT PrintInfo() const noexcept;

    IHostCatalog* Get() const noexcept { return m_catalog.Get(); }

private:
    CCountedRef<IHostCatalog> m_catalog;
};
