#include "com_runtime.h"

#include <cstring>
#include <limits>
#include <new>

namespace {

constexpr std::size_t kPrefix = sizeof(std::uint32_t);

std::uint32_t* Header(BSTR text) { return reinterpret_cast<std::uint32_t*>(reinterpret_cast<char*>(text) - kPrefix); }

}  // namespace

BSTR SysAllocStringLen(const OLECHAR* text, UINT length)
{
    // The byte length must fit the 32-bit prefix, as on Windows.
    if (length > (std::numeric_limits<std::uint32_t>::max() - kPrefix - sizeof(OLECHAR)) / sizeof(OLECHAR))
        return nullptr;
    const std::size_t bytes = static_cast<std::size_t>(length) * sizeof(OLECHAR);
    // Through the nothrow operator new, so that BSTRs are counted, and can be
    // made to fail, with every other allocation of the process.
    auto* block = static_cast<char*>(::operator new(kPrefix + bytes + sizeof(OLECHAR), std::nothrow));
    if (!block) return nullptr;
    const auto byteLength = static_cast<std::uint32_t>(bytes);
    std::memcpy(block, &byteLength, kPrefix);
    auto* result = reinterpret_cast<BSTR>(block + kPrefix);
    if (text)
        std::memcpy(result, text, bytes);
    else
        std::memset(result, 0, bytes);
    result[length] = 0;
    return result;
}

BSTR SysAllocString(const OLECHAR* text)
{
    if (!text) return nullptr;
    UINT length = 0;
    while (text[length] != 0) ++length;
    return SysAllocStringLen(text, length);
}

UINT SysStringByteLen(BSTR text) { return text ? *Header(text) : 0; }

UINT SysStringLen(BSTR text) { return SysStringByteLen(text) / sizeof(OLECHAR); }

void SysFreeString(BSTR text)
{
    if (text) ::operator delete(Header(text));
}
