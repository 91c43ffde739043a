// The host stand-in inside a POSIX process: a static object registers the
// host's class factory with our COM layer before main runs, so
// CoCreateInstance finds the host as it would find a registered server. At
// process exit it saves a changed catalog and writes the trace's last line.
#include "host/host_interfaces.h"
#include "model/file_system.h"
#include "model/host_class_factory.h"
#include "model/host_code_scope.h"

#include <new>

namespace {

// The active catalog is the file that LUMORA_CATALOG names, read when the
// first client creates the host; unset or empty means no catalog is active.
HRESULT ActivateCatalogFromEnvironment(CHostState& state)
{
    const std::optional<std::filesystem::path> catalog = PathFromEnvironment("LUMORA_CATALOG");
    return catalog ? state.ActivateCatalog(*catalog) : S_OK;
}

class CInprocHost {
public:
    CInprocHost()
    {
        const CHostCodeScope hostCode;
        try {
            m_state = std::make_shared<CHostState>(PathFromEnvironment("LUMORA_TRACE"));
            CHostClassFactory* factory = new CHostClassFactory(m_state, &ActivateCatalogFromEnvironment);
            if (FAILED(CoRegisterClassObject(CLSID_LumoraApplication, factory, CLSCTX_INPROC_SERVER,
                                             REGCLS_MULTIPLEUSE, &m_cookie)))
                m_cookie = 0;
            factory->Release();
        } catch (const std::bad_alloc&) {
            // Without memory at start-up the class stays unregistered, and
            // creating the host fails as for a host that is not installed.
        }
    }

    ~CInprocHost()
    {
        const CHostCodeScope hostCode;
        if (m_cookie != 0) CoRevokeClassObject(m_cookie);
        if (m_state) m_state->Shutdown();
    }

    CInprocHost(const CInprocHost&) = delete;
    CInprocHost& operator=(const CInprocHost&) = delete;

private:
    std::shared_ptr<CHostState> m_state;
    DWORD m_cookie = 0;
};

CInprocHost g_inprocHost;

}  // namespace
