// The one header that brings in the COM and OLE Automation surface.
// On Windows these are the SDK headers and the real runtime; elsewhere our
// own small layer stands in for them so the same sources build and test here.
#pragma once

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>
#include <comdef.h>
#else
#include "posix/com_types.h"
#include "posix/com_interfaces.h"
#include "posix/com_runtime.h"
#endif

#include <string>

// Host text is UTF-16 in both builds: OLECHAR is wchar_t on Windows and
// char16_t in the POSIX layer.
using WideString = std::basic_string<OLECHAR>;
