// /regserver and /unregserver. Registration writes what of the type library
// (which makes COM marshal the dual interfaces with the automation
// marshaler), the class's LocalServer32 entry and ProgID, and the interfaces'
// marshaling keys is missing, and never replaces what another program
// registered; unregistration removes only what holds the stand-in's own data.
// Each says on standard output what it did and what it left alone, and
// reports its own failure.
#pragma once

#include "platform/com.h"

HRESULT RegisterHostServer();
HRESULT UnregisterHostServer();
