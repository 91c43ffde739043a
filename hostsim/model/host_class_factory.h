// The class factory of the host's application object. Both hostings use it:
// in process it is registered with our COM layer, in the Windows server with
// the real one. `prepare` runs before every creation and can make a catalog
// active or fail the creation.
#pragma once

#include "model/host_state.h"

#include <atomic>
#include <functional>
#include <memory>

class CHostClassFactory final : public IClassFactory {
public:
    using CPrepare = std::function<HRESULT(CHostState&)>;

    CHostClassFactory(std::shared_ptr<CHostState> state, CPrepare prepare);
    CHostClassFactory(const CHostClassFactory&) = delete;
    CHostClassFactory& operator=(const CHostClassFactory&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
    // The host's lifetime follows its objects' references, not server locks.
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    ~CHostClassFactory() = default;

    std::shared_ptr<CHostState> m_state;
    CPrepare m_prepare;
    std::atomic<ULONG> m_references{1};
};
