#include "host/host_call.h"

void RaiseHostError(IUnknown* object, REFIID iid, HRESULT hr)
{
    IErrorInfo* info = nullptr;
    ISupportErrorInfo* support = nullptr;
    if (object && SUCCEEDED(object->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&support))) &&
        support) {
        if (support->InterfaceSupportsErrorInfo(iid) == S_OK && GetErrorInfo(0, &info) != S_OK) info = nullptr;
        support->Release();
    }
    // The error takes over the count GetErrorInfo handed out.
    throw _com_error(hr, info, false);
}
