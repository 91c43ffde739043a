#include "com_runtime.h"

#include <new>

#include <cstring>
#include <map>
#include <mutex>

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IErrorInfo = {0x1CF2B120, 0x547D, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
const IID IID_ISupportErrorInfo = {0xDF0B3D60, 0x548F, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
const IID IID_IRunnableObject = {0x00000126, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

namespace {

struct GuidLess {
    bool operator()(const GUID& a, const GUID& b) const { return std::memcmp(&a, &b, sizeof(GUID)) < 0; }
};

struct Registration {
    CLSID clsid;
    IUnknown* factory;
};

// The in-process class registry: what CoRegisterClassObject publishes and
// CoCreateInstance finds. Function-local so that registrations made from
// static initialisers in other files find it constructed.
struct ClassRegistry {
    std::mutex lock;
    std::map<DWORD, Registration> byCookie;
    DWORD nextCookie = 1;
};

ClassRegistry& Registry()
{
    static ClassRegistry registry;
    return registry;
}

// How this thread initialised COM: -1 not yet, else the COINIT flags.
thread_local long t_apartment = -1;
thread_local IErrorInfo* t_errorInfo = nullptr;

}  // namespace

HRESULT CoInitializeEx(void* reserved, DWORD flags)
{
    if (reserved != nullptr) return E_INVALIDARG;
    if (flags != COINIT_MULTITHREADED && flags != COINIT_APARTMENTTHREADED) return E_INVALIDARG;
    // As on Windows: a second initialisation in the same apartment model is
    // counted as success, one in the other model is refused.
    if (t_apartment >= 0) return t_apartment == static_cast<long>(flags) ? S_FALSE : RPC_E_CHANGED_MODE;
    t_apartment = static_cast<long>(flags);
    return S_OK;
}

HRESULT CoRegisterClassObject(REFCLSID clsid, IUnknown* factory, DWORD /*context*/, DWORD /*flags*/, DWORD* cookie)
{
    if (!factory || !cookie) return E_INVALIDARG;
    ClassRegistry& registry = Registry();
    std::lock_guard<std::mutex> guard(registry.lock);
    try {
        registry.byCookie.emplace(registry.nextCookie, Registration{clsid, factory});
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;  // nothing crosses a COM boundary
    }
    factory->AddRef();
    *cookie = registry.nextCookie++;
    return S_OK;
}

HRESULT CoRevokeClassObject(DWORD cookie)
{
    IUnknown* factory = nullptr;
    {
        ClassRegistry& registry = Registry();
        std::lock_guard<std::mutex> guard(registry.lock);
        auto found = registry.byCookie.find(cookie);
        if (found == registry.byCookie.end()) return E_INVALIDARG;
        factory = found->second.factory;
        registry.byCookie.erase(found);
    }
    factory->Release();
    return S_OK;
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD /*context*/, REFIID riid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (t_apartment < 0) return CO_E_NOTINITIALIZED;
    IUnknown* registered = nullptr;
    {
        ClassRegistry& registry = Registry();
        std::lock_guard<std::mutex> guard(registry.lock);
        for (auto& entry : registry.byCookie) {
            if (entry.second.clsid == clsid) {
                registered = entry.second.factory;
                registered->AddRef();
                break;
            }
        }
    }
    if (!registered) return REGDB_E_CLASSNOTREG;
    IClassFactory* factory = nullptr;
    HRESULT hr = registered->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(&factory));
    registered->Release();
    if (FAILED(hr)) return hr;
    hr = factory->CreateInstance(outer, riid, object);
    factory->Release();
    return hr;
}

HRESULT OleRun(IUnknown* object)
{
    if (!object) return E_INVALIDARG;
    IRunnableObject* runnable = nullptr;
    // An object that is not runnable is always running.
    if (FAILED(object->QueryInterface(IID_IRunnableObject, reinterpret_cast<void**>(&runnable))) || !runnable)
        return S_OK;
    const HRESULT hr = runnable->Run(nullptr);
    runnable->Release();
    return hr;
}

HRESULT SetErrorInfo(ULONG /*reserved*/, IErrorInfo* info)
{
    if (info) info->AddRef();
    if (t_errorInfo) t_errorInfo->Release();
    t_errorInfo = info;
    return S_OK;
}

HRESULT GetErrorInfo(ULONG /*reserved*/, IErrorInfo** info)
{
    if (!info) return E_POINTER;
    // Taking the error object clears it, as on Windows.
    *info = t_errorInfo;
    t_errorInfo = nullptr;
    return *info ? S_OK : S_FALSE;
}

_com_error::_com_error(HRESULT hr, IErrorInfo* info, bool addRef) noexcept : m_hresult(hr), m_info(info)
{
    if (m_info && addRef) m_info->AddRef();
}

_com_error::_com_error(const _com_error& other) noexcept : m_hresult(other.m_hresult), m_info(other.m_info)
{
    if (m_info) m_info->AddRef();
}

_com_error& _com_error::operator=(const _com_error& other) noexcept
{
    if (this != &other) {
        if (other.m_info) other.m_info->AddRef();
        if (m_info) m_info->Release();
        m_hresult = other.m_hresult;
        m_info = other.m_info;
    }
    return *this;
}

_com_error::~_com_error()
{
    if (m_info) m_info->Release();
}

IErrorInfo* _com_error::ErrorInfo() const noexcept
{
    if (m_info) m_info->AddRef();
    return m_info;
}
