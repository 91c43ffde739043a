#include "model/host_error_info.h"

#include <atomic>
#include <cstdio>
#include <new>

namespace {

class CHostErrorInfo final : public IErrorInfo {
public:
    CHostErrorInfo(REFIID iid, WideString description) : m_iid(iid), m_description(std::move(description)) {}

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
    HRESULT STDMETHODCALLTYPE GetDescription(BSTR* description) override
    {
        return Copy(m_description.c_str(), description);
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
    WideString m_description;
    std::atomic<ULONG> m_references{1};
};

}  // namespace

void SetHostErrorInfo(REFIID iid, const char* operation, HRESULT hr) noexcept
{
    try {
        char code[16];
        std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
        WideString description;
        for (const char* c = operation; *c; ++c) description += static_cast<OLECHAR>(*c);
        description += OLESTR(" failed with ");
        for (const char* c = code; *c; ++c) description += static_cast<OLECHAR>(*c);
        CHostErrorInfo* info = new CHostErrorInfo(iid, std::move(description));
        SetErrorInfo(0, info);
        info->Release();
    } catch (const std::bad_alloc&) {
        SetErrorInfo(0, nullptr);
    }
}
