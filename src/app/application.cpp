#include "app/application.h"

CApplication::~CApplication() = default;

HRESULT CApplication::Open() noexcept
{
    m_application.Reset();
    CCountedRef<IUnknown> unknown;
    // 0x17: in-process server and handler, local and remote server, so a
    // host that is already running is found as well as one that is started.
    HRESULT hr = CoCreateInstance(CLSID_LumoraApplication, nullptr,
                                  CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER |
                                      CLSCTX_REMOTE_SERVER,
                                  IID_IUnknown, reinterpret_cast<void**>(unknown.Put()));
    if (SUCCEEDED(hr) && !unknown) hr = E_POINTER;
    if (SUCCEEDED(hr)) {
        hr = OleRun(unknown.Get());
        if (SUCCEEDED(hr)) {
            hr = unknown.Get()->QueryInterface(IID_IHostApplication,
                                               reinterpret_cast<void**>(m_application.Put()));
            if (SUCCEEDED(hr) && !m_application) hr = E_NOINTERFACE;
        }
    }
    unknown.Reset();
    if (FAILED(hr)) m_application.Reset();
    return hr;
}
