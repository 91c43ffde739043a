#include "model/host_class_factory.h"

#include "model/host_code_scope.h"
#include "model/host_objects.h"

CHostClassFactory::CHostClassFactory(std::shared_ptr<CHostState> state, CPrepare prepare)
    : m_state(std::move(state)), m_prepare(std::move(prepare))
{
}

HRESULT CHostClassFactory::QueryInterface(REFIID riid, void** object)
{
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG CHostClassFactory::AddRef() { return ++m_references; }

ULONG CHostClassFactory::Release()
{
    const ULONG left = --m_references;
    if (left == 0) delete this;
    return left;
}

HRESULT CHostClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object)
{
    const CHostCodeScope hostCode;
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (m_prepare) {
        // Preparing reads the environment and the catalog; nothing it throws
        // may reach the client.
        HRESULT hr = E_OUTOFMEMORY;
        try {
            hr = m_prepare(*m_state);
        } catch (const std::bad_alloc&) {
        }
        if (FAILED(hr)) return hr;
    }

    CHostApplicationObject* application = nullptr;
    try {
        std::lock_guard<std::mutex> lock(m_state->Mutex());
        const CFaultAction fault = m_state->CountCreationLocked();
        if (fault.m_kind == CFaultAction::Kind::Fail) return fault.m_hresult;
        if (fault.m_kind == CFaultAction::Kind::ReturnNull) return S_OK;
        application = new CHostApplicationObject(m_state);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    // Outside the lock: QueryInterface and Release take it themselves.
    const HRESULT hr = application->QueryInterface(riid, object);
    // The object starts with one reference, which this Release gives back;
    // the analyser cannot follow the count through the virtual call.
    // NOLINTBEGIN(clang-analyzer-cplusplus.NewDeleteLeaks)
    application->Release();
    return hr;
    // NOLINTEND(clang-analyzer-cplusplus.NewDeleteLeaks)
}

HRESULT CHostClassFactory::LockServer(BOOL /*lock*/) { return S_OK; }
