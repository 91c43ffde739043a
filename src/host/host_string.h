// A BSTR returned by the host: owned by the caller and freed exactly once.
#pragma once

#include "platform/com.h"

#include <utility>

class CHostString {
public:
    CHostString() noexcept = default;
    explicit CHostString(BSTR owned) noexcept : m_text(owned) {}
    CHostString(const CHostString&) = delete;
    CHostString& operator=(const CHostString&) = delete;
    CHostString(CHostString&& other) noexcept : m_text(std::exchange(other.m_text, nullptr)) {}
    CHostString& operator=(CHostString&& other) noexcept
    {
        if (this != &other) Reset(std::exchange(other.m_text, nullptr));
        return *this;
    }
    ~CHostString() { Reset(nullptr); }

    BSTR* Put() noexcept
    {
        Reset(nullptr);
        return &m_text;
    }
    BSTR Get() const noexcept { return m_text; }
    bool IsNull() const noexcept { return m_text == nullptr; }
    UINT Length() const noexcept { return SysStringLen(m_text); }

    // The text as the host's readers see it: a null BSTR is the empty text,
    // and the text ends at its first NUL. Throws std::bad_alloc.
    WideString UpToNul() const
    {
        if (!m_text) return WideString();
        const UINT length = Length();
        UINT end = 0;
        while (end < length && m_text[end] != 0) ++end;
        return WideString(m_text, end);
    }

    // Every code unit the host sent, embedded NULs included. Throws std::bad_alloc.
    WideString Whole() const { return m_text ? WideString(m_text, Length()) : WideString(); }

private:
    void Reset(BSTR text) noexcept
    {
        BSTR old = std::exchange(m_text, text);
        if (old) SysFreeString(old);
    }

    BSTR m_text = nullptr;
};
