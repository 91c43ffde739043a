// The two ways lumora-host.exe serves: started by hand with a catalog, or
// started by COM with none. Each returns the process exit value's HRESULT.
#pragma once

#include "platform/com.h"

#include <filesystem>

// Registers the class object for every client and serves until
// `lumora-host.exe /stop`; `catalog` becomes active when the first client
// creates the application. Saves a changed catalog before returning.
HRESULT ServeCatalogUntilStopped(const std::filesystem::path& catalog);

// Started by COM (-Embedding): no catalog is active, and the host ends once
// its clients have released their last reference.
HRESULT ServeComClientsUntilReleased();
