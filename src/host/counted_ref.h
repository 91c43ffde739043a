// A counted reference to a host object: owns exactly one reference count.
#pragma once

#include "platform/com.h"

#include <utility>

template <class T>
class CCountedRef {
public:
    CCountedRef() noexcept = default;
    CCountedRef(const CCountedRef& other) noexcept : m_object(other.m_object)
    {
        if (m_object) m_object->AddRef();
    }
    CCountedRef(CCountedRef&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
    CCountedRef& operator=(const CCountedRef& other) noexcept
    {
        if (this != &other) Assign(other.m_object);
        return *this;
    }
    CCountedRef& operator=(CCountedRef&& other) noexcept
    {
        if (this != &other) {
            T* old = std::exchange(m_object, std::exchange(other.m_object, nullptr));
            if (old) old->Release();
        }
        return *this;
    }
    ~CCountedRef() { Reset(); }

    // Stores another object: takes a count on the new one before giving back
    // the old one's, so assigning an object to itself cannot free it.
    void Assign(T* object) noexcept
    {
        if (object == m_object) return;
        if (object) object->AddRef();
        T* old = std::exchange(m_object, object);
        if (old) old->Release();
    }

    void Reset() noexcept
    {
        T* old = std::exchange(m_object, nullptr);
        if (old) old->Release();
    }

    // For an out-parameter: the held count is given back first, so a getter
    // can never overwrite, and leak, a live reference.
    T** Put() noexcept
    {
        Reset();
        return &m_object;
    }

    // For the out-parameter of a call that hands out the interface its IID
    // argument names, such as CoCreateInstance: that IID must name T.
    void** PutInterface() noexcept { return reinterpret_cast<void**>(Put()); }

    // Asks `object` for interface T by `iid`, which must name T, and holds
    // what it hands out. An answer of success without an object is
    // E_NOINTERFACE, so a success always leaves an object held.
    HRESULT QueryFrom(IUnknown* object, REFIID iid) noexcept
    {
        HRESULT hr = object->QueryInterface(iid, PutInterface());
        if (SUCCEEDED(hr) && !m_object) hr = E_NOINTERFACE;
        return hr;
    }

    T* Get() const noexcept { return m_object; }

    // Calling through an empty reference is a host-call error, not a crash.
    T* operator->() const
    {
        if (!m_object) throw _com_error(E_POINTER);
        return m_object;
    }

    explicit operator bool() const noexcept { return m_object != nullptr; }

private:
    T* m_object = nullptr;
};
