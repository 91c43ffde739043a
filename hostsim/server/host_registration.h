// /regserver and /unregserver: the type library (which makes COM marshal the
// dual interfaces with its type-library marshaler) and the class's
// LocalServer32 entry, so CoCreateInstance can start this exe.
#pragma once

#include "platform/com.h"

HRESULT RegisterHostServer();
HRESULT UnregisterHostServer();
