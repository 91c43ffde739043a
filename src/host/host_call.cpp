#include "host/host_call.h"

void RaiseHostError(IUnknown* object, REFIID iid, HRESULT hr)
{
    IErrorInfo* info = nullptr;
    CCountedRef<ISupportErrorInfo> support;
    if (object && SUCCEEDED(support.QueryFrom(object, IID_ISupportErrorInfo)) &&
        support.Get()->InterfaceSupportsErrorInfo(iid) == S_OK && GetErrorInfo(0, &info) != S_OK)
        info = nullptr;
    // The error takes over the count GetErrorInfo handed out.
    throw _com_error(hr, info, false);
}
