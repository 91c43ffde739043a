#include "type_library_dispatch.h"

#include <string>

CTypeLibraryDispatch::~CTypeLibraryDispatch()
{
    if (m_library) m_library->Release();
}

HRESULT CTypeLibraryDispatch::Load()
{
    std::wstring exe(MAX_PATH, L'\0');
    DWORD length = 0;
    while ((length = GetModuleFileNameW(nullptr, &exe[0], static_cast<DWORD>(exe.size()))) >= exe.size())
        exe.resize(exe.size() * 2);
    if (length == 0) return HRESULT_FROM_WIN32(GetLastError());
    exe.resize(length);
    return LoadTypeLibEx(exe.c_str(), REGKIND_NONE, &m_library);
}

HRESULT CTypeLibraryDispatch::VtableInfo(REFIID iid, ITypeInfo** info)
{
    *info = nullptr;
    if (!m_library) return E_UNEXPECTED;
    ITypeInfo* described = nullptr;
    HRESULT hr = m_library->GetTypeInfoOfGuid(iid, &described);
    if (FAILED(hr)) return hr;
    TYPEATTR* attributes = nullptr;
    hr = described->GetTypeAttr(&attributes);
    if (FAILED(hr)) {
        described->Release();
        return hr;
    }
    const bool dispatchHalf = attributes->typekind == TKIND_DISPATCH;
    described->ReleaseTypeAttr(attributes);
    if (!dispatchHalf) {
        *info = described;
        return S_OK;
    }
    HREFTYPE vtable = 0;
    hr = described->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtable);
    if (SUCCEEDED(hr)) hr = described->GetRefTypeInfo(vtable, info);
    described->Release();
    return hr;
}

HRESULT CTypeLibraryDispatch::GetTypeInfoCount(REFIID, UINT* count)
{
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT CTypeLibraryDispatch::GetTypeInfo(REFIID iid, UINT index, LCID, ITypeInfo** info)
{
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    if (!m_library) return E_UNEXPECTED;
    // Clients expect the dispatch view of a dual interface here.
    return m_library->GetTypeInfoOfGuid(iid, info);
}

HRESULT CTypeLibraryDispatch::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    ITypeInfo* info = nullptr;
    HRESULT hr = VtableInfo(iid, &info);
    if (FAILED(hr)) return hr;
    hr = info->GetIDsOfNames(names, count, ids);
    info->Release();
    return hr;
}

HRESULT CTypeLibraryDispatch::Invoke(IDispatch* self, REFIID iid, DISPID id, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* argError)
{
    ITypeInfo* info = nullptr;
    HRESULT hr = VtableInfo(iid, &info);
    if (FAILED(hr)) return hr;
    hr = info->Invoke(self, id, flags, params, result, exception, argError);
    info->Release();
    return hr;
}
