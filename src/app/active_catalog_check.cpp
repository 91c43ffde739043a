#include "app/active_catalog_check.h"

#include "host/host_call.h"
#include "platform/ascii_case.h"

bool CheckActiveCatalog(IHostCatalog* catalog, const WideString& requestedPath)
{
    const WideString activePath = HostGetString(catalog, &IHostCatalog::get_Path).UpToNul();
    return EqualIgnoringAsciiCase(activePath, requestedPath);
}
