// The identity of the host's type library, as declared in lumora_host.idl.
#pragma once

#include "platform/com.h"

// {213C68A2-FDCE-4463-8F42-620EC04BA244}, version 1.0
inline const GUID LIBID_LumoraHostLib = {
    0x213C68A2, 0xFDCE, 0x4463, {0x8F, 0x42, 0x62, 0x0E, 0xC0, 0x4B, 0xA2, 0x44}};
constexpr unsigned short kLumoraHostLibMajor = 1;
constexpr unsigned short kLumoraHostLibMinor = 0;
