#include "model/host_error_info.h"

#include <atomic>
#include <cstdio>
#include <new>

namespace {

class CHostErrorInfo final : public IErrorInfo {
public:
    CHostErrorInfo(REFIID iid, const char* operation, HRESULT hr) noexcept : m_iid(iid), m_operation(operation), m_hresult(hr)
    {
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (!object) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IErrorInfo) {
            *object = static_cast<IErrorInfo*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --m_references;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetGUID(GUID* guid) override
    {
        if (!guid) return E_POINTER;
        *guid = m_iid;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSource(BSTR* source) override { return Copy(OLESTR("Lumora.Application"), source); }
    // The text is made when a client asks for it, so that a failing call,
    // perhaps failing for lack of memory, needs none for it.
    HRESULT STDMETHODCALLTYPE GetDescription(BSTR* description) override
    {
        if (!description) return E_POINTER;
        *description = nullptr;
        try {
            char code[16];
            std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(m_hresult));
            WideString text;
            for (const char* c = m_operation; *c; ++c) text += static_cast<OLECHAR>(*c);
            text += OLESTR(" failed with ");
            for (const char* c = code; *c; ++c) text += static_cast<OLECHAR>(*c);
            return Copy(text.c_str(), description);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }
    HRESULT STDMETHODCALLTYPE GetHelpFile(BSTR* helpFile) override
    {
        if (!helpFile) return E_POINTER;
        *helpFile = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetHelpContext(DWORD* helpContext) override
    {
        if (!helpContext) return E_POINTER;
        *helpContext = 0;
        return S_OK;
    }

private:
    ~CHostErrorInfo() = default;

    static HRESULT Copy(const OLECHAR* text, BSTR* out)
    {
        if (!out) return E_POINTER;
        *out = SysAllocString(text);
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    IID m_iid;
    const char* m_operation;  // one of the host's operation names, never freed
    HRESULT m_hresult;
    std::atomic<ULONG> m_references{1};
};

}  // namespace

void SetHostErrorInfo(REFIID iid, const char* operation, HRESULT hr) noexcept
{
    CHostErrorInfo* info = new (std::nothrow) CHostErrorInfo(iid, operation, hr);
    // Without memory for it the call still fails, with no error object.
    SetErrorInfo(0, info);
    if (info) info->Release();
}
