// The IDispatch half of every host object. Nothing in process dispatches by
// name, so without a hook these calls answer E_NOTIMPL.
//
// HOOK FOR THE WINDOWS SERVER: a LocalServer with a type library installs a
// CHostDispatchHook at start-up (SetHostDispatchHook) and answers these calls
// from the type information of the interface `iid`, e.g. with
// ITypeInfo::GetIDsOfNames and ITypeInfo::Invoke on `self`.
#pragma once

#include "platform/com.h"

class CHostDispatchHook {
public:
    virtual HRESULT GetTypeInfoCount(REFIID iid, UINT* count) = 0;
    virtual HRESULT GetTypeInfo(REFIID iid, UINT index, LCID lcid, ITypeInfo** info) = 0;
    virtual HRESULT GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) = 0;
    virtual HRESULT Invoke(IDispatch* self, REFIID iid, DISPID id, LCID lcid, WORD flags, DISPPARAMS* params,
                           VARIANT* result, EXCEPINFO* exception, UINT* argError) = 0;

protected:
    ~CHostDispatchHook() = default;
};

// Installs the hook for every host object of the process (null removes it).
// The hook must outlive every call made through it.
void SetHostDispatchHook(CHostDispatchHook* hook) noexcept;

// What every host object's IDispatch methods forward to, with the IID of the
// host interface the object implements.
HRESULT HostDispatchGetTypeInfoCount(REFIID iid, UINT* count);
HRESULT HostDispatchGetTypeInfo(REFIID iid, UINT index, LCID lcid, ITypeInfo** info);
HRESULT HostDispatchGetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids);
HRESULT HostDispatchInvoke(IDispatch* self, REFIID iid, DISPID id, LCID lcid, WORD flags, DISPPARAMS* params,
                           VARIANT* result, EXCEPINFO* exception, UINT* argError);
