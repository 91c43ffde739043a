// UTF-16 <-> UTF-8 conversion for the console, the command line and the
// host stand-in's catalog file.
#pragma once

#include "platform/com.h"

#include <cstddef>
#include <string>
#include <string_view>

// Unpaired surrogates become U+FFFD, so the result is always valid UTF-8.
std::string ToUtf8(const OLECHAR* text, std::size_t length);
inline std::string ToUtf8(const WideString& text) { return ToUtf8(text.data(), text.size()); }

// Malformed sequences become U+FFFD; `valid` (when given) tells whether any did.
WideString FromUtf8(std::string_view text, bool* valid = nullptr);
