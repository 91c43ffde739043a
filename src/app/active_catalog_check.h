// Quillfen works only on the catalog the user named: the host's active
// catalog must have that very path, compared with ASCII-only case folding
// and no path normalisation.
#pragma once

#include "host/host_interfaces.h"

// True when the paths match. Raises the host-call error when the path cannot
// be read and std::bad_alloc when it cannot be copied.
bool CheckActiveCatalog(IHostCatalog* catalog, const WideString& requestedPath);
