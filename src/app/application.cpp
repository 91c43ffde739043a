#include "app/application.h"

#include "host/host_call.h"

CApplication::~CApplication() = default;

HRESULT CApplication::Open() noexcept
{
    m_application.Reset();
    const HRESULT hr = HostBoundary([&] {
        CCountedRef<IUnknown> unknown;
        // 0x17: in-process server and handler, local and remote server, so a
        // host that is already running is found as well as one that is started.
        HRESULT step = CoCreateInstance(CLSID_LumoraApplication, nullptr,
                                        CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER |
                                            CLSCTX_REMOTE_SERVER,
                                        IID_IUnknown, unknown.PutInterface());
        if (FAILED(step)) throw _com_error(step);
        if (!unknown) throw _com_error(E_POINTER);
        step = OleRun(unknown.Get());
        if (FAILED(step)) throw _com_error(step);
        step = m_application.QueryFrom(unknown.Get(), IID_IHostApplication);
        if (FAILED(step)) throw _com_error(step);
        return step;
    });
    if (FAILED(hr)) m_application.Reset();
    return hr;
}
