#include "model/dispatch_hook.h"

#include <atomic>

namespace {

std::atomic<CHostDispatchHook*> g_hook{nullptr};

}  // namespace

void SetHostDispatchHook(CHostDispatchHook* hook) noexcept { g_hook.store(hook); }

HRESULT HostDispatchGetTypeInfoCount(REFIID iid, UINT* count)
{
    CHostDispatchHook* hook = g_hook.load();
    return hook ? hook->GetTypeInfoCount(iid, count) : E_NOTIMPL;
}

HRESULT HostDispatchGetTypeInfo(REFIID iid, UINT index, LCID lcid, ITypeInfo** info)
{
    CHostDispatchHook* hook = g_hook.load();
    return hook ? hook->GetTypeInfo(iid, index, lcid, info) : E_NOTIMPL;
}

HRESULT HostDispatchGetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids)
{
    CHostDispatchHook* hook = g_hook.load();
    return hook ? hook->GetIDsOfNames(iid, names, count, lcid, ids) : E_NOTIMPL;
}

HRESULT HostDispatchInvoke(IDispatch* self, REFIID iid, DISPID id, LCID lcid, WORD flags, DISPPARAMS* params,
                           VARIANT* result, EXCEPINFO* exception, UINT* argError)
{
    CHostDispatchHook* hook = g_hook.load();
    return hook ? hook->Invoke(self, iid, id, lcid, flags, params, result, exception, argError) : E_NOTIMPL;
}
