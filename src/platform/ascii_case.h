// Case-insensitive text comparison as the host's users expect it for paths
// and keywords: only the ASCII letters A-Z fold onto a-z, so the result never
// depends on a locale.
#pragma once

#include "platform/com.h"

#include <cstddef>

constexpr OLECHAR FoldAsciiCase(OLECHAR c) noexcept
{
    return (c >= 0x41 && c <= 0x5A) ? static_cast<OLECHAR>(c + 0x20) : c;
}

inline bool EqualIgnoringAsciiCase(const OLECHAR* a, std::size_t aLength, const OLECHAR* b,
                                   std::size_t bLength) noexcept
{
    if (aLength != bLength) return false;
    for (std::size_t i = 0; i < aLength; ++i)
        if (FoldAsciiCase(a[i]) != FoldAsciiCase(b[i])) return false;
    return true;
}

inline bool EqualIgnoringAsciiCase(const WideString& a, const WideString& b) noexcept
{
    return EqualIgnoringAsciiCase(a.data(), a.size(), b.data(), b.size());
}
