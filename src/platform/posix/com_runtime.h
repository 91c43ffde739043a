// The COM runtime and OLE Automation functions of the POSIX build: BSTRs with
// the Windows memory layout, an in-process class registry behind
// CoCreateInstance, OleRun, the per-thread error object, and _com_error.
#pragma once

#include "com_interfaces.h"

// BSTR: a 32-bit byte length stored just before the text, then the text and
// a terminating NUL. Embedded NULs are kept; the length is authoritative.
BSTR SysAllocString(const OLECHAR* text);
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);
UINT SysStringLen(BSTR text);
UINT SysStringByteLen(BSTR text);
void SysFreeString(BSTR text);

HRESULT CoInitializeEx(void* reserved, DWORD flags);
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid, void** object);
HRESULT CoRegisterClassObject(REFCLSID clsid, IUnknown* factory, DWORD context, DWORD flags, DWORD* cookie);
HRESULT CoRevokeClassObject(DWORD cookie);
HRESULT OleRun(IUnknown* object);

HRESULT GetErrorInfo(ULONG reserved, IErrorInfo** info);
HRESULT SetErrorInfo(ULONG reserved, IErrorInfo* info);

// The host-call error: carries the failing HRESULT and, optionally, the error
// object of the failing call. Copying shares the error object.
class _com_error {  // NOLINT(bugprone-reserved-identifier): the name host code is written against
public:
    explicit _com_error(HRESULT hr, IErrorInfo* info = nullptr, bool addRef = false) noexcept;
    _com_error(const _com_error& other) noexcept;
    _com_error& operator=(const _com_error& other) noexcept;
    virtual ~_com_error();

    HRESULT Error() const noexcept { return m_hresult; }
    IErrorInfo* ErrorInfo() const noexcept;

private:
    HRESULT m_hresult;
    IErrorInfo* m_info;
};
