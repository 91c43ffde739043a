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

// Bytes of the POSIX world (arguments, file names), which need not be UTF-8.
// Valid UTF-8 is decoded; every other byte becomes the lone surrogate
// U+DC80 + byte. Valid UTF-8 never decodes to a lone surrogate, so no two
// byte strings give the same text, and ToNativeBytes gives the bytes back.
WideString FromNativeBytes(std::string_view bytes);
// UTF-8, except that a lone U+DC80-U+DCFF turns back into its byte; any other
// unpaired surrogate becomes U+FFFD.
std::string ToNativeBytes(const OLECHAR* text, std::size_t length);
inline std::string ToNativeBytes(const WideString& text) { return ToNativeBytes(text.data(), text.size()); }
