// IDispatch for the host objects, answered from the type library bound into
// this exe: names and dispatch identifiers come from the library, and
// ITypeInfo::Invoke calls the same vtable operations a vtable client calls.
#pragma once

#include "model/dispatch_hook.h"

class CTypeLibraryDispatch final : public CHostDispatchHook {
public:
    CTypeLibraryDispatch() = default;
    CTypeLibraryDispatch(const CTypeLibraryDispatch&) = delete;
    CTypeLibraryDispatch& operator=(const CTypeLibraryDispatch&) = delete;
    virtual ~CTypeLibraryDispatch();

    // Loads the library from this exe's TYPELIB resource.
    HRESULT Load();

    HRESULT GetTypeInfoCount(REFIID iid, UINT* count) override;
    HRESULT GetTypeInfo(REFIID iid, UINT index, LCID lcid, ITypeInfo** info) override;
    HRESULT GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    HRESULT Invoke(IDispatch* self, REFIID iid, DISPID id, LCID lcid, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* exception, UINT* argError) override;

private:
    // The vtable half of the dual interface `iid`: Invoke must call through
    // the vtable, never back into IDispatch.
    HRESULT VtableInfo(REFIID iid, ITypeInfo** info);

    ITypeLib* m_library = nullptr;
};
