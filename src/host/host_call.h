// The call wrappers: every host call goes through HostCall, which turns a
// null reference or a failing HRESULT into the host-call error (_com_error).
// HostBoundary is the error boundary of a host-calling operation: it turns
// the host-call error and the string library's error back into an HRESULT.
#pragma once

#include "host/counted_ref.h"
#include "host/host_interfaces.h"
#include "host/host_string.h"

#include <new>

// Raises the host-call error for a failed call on `object` through interface
// `iid`, with the object's error information when it says it has some.
[[noreturn]] void RaiseHostError(IUnknown* object, REFIID iid, HRESULT hr);

template <class I, class M, class... A>
void HostCall(I* object, M method, A... args)
{
    if (!object) throw _com_error(E_POINTER);
    const HRESULT hr = (object->*method)(args...);
    if (FAILED(hr)) RaiseHostError(object, HostInterfaceId<I>::Get(), hr);
}

template <class V, class I, class M>
V HostGetValue(I* object, M getter)
{
    V value{};
    HostCall(object, getter, &value);
    return value;
}

template <class I, class M>
CHostString HostGetString(I* object, M getter)
{
    CHostString text;
    HostCall(object, getter, text.Put());
    return text;
}

template <class R, class I, class M, class... A>
CCountedRef<R> HostGetObject(I* object, M getter, A... args)
{
    CCountedRef<R> result;
    HostCall(object, getter, args..., result.Put());
    return result;
}

template <class F>
HRESULT HostBoundary(F&& body) noexcept
{
    try {
        return body();
    } catch (const _com_error& error) {
        // A host-call error always carries a failure; never let one read as success.
        return FAILED(error.Error()) ? error.Error() : E_UNEXPECTED;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}
