// The error object a failing host call leaves for its caller, so that the
// caller's wrapper can take it through ISupportErrorInfo and GetErrorInfo.
#pragma once

#include "platform/com.h"

// Sets the calling thread's error object for a failed call of `operation`
// through the interface `iid`. Never fails the call itself.
void SetHostErrorInfo(REFIID iid, const char* operation, HRESULT hr) noexcept;
