#include "interface_keep_alive.h"

#include "model/host_objects.h"

#include <mutex>
#include <new>
#include <optional>

HRESULT CInterfaceKeepAlive::Marshal(REFIID iid, IUnknown* object)
{
    IStream* stream = nullptr;
    HRESULT hr = CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    if (FAILED(hr)) return hr;
    hr = CoMarshalInterface(stream, iid, object, MSHCTX_LOCAL, nullptr, MSHLFLAGS_TABLESTRONG);
    if (FAILED(hr)) {
        stream->Release();
        return hr;
    }
    try {
        m_marshals.push_back(stream);
    } catch (const std::bad_alloc&) {
        const LARGE_INTEGER start = {};
        stream->Seek(start, STREAM_SEEK_SET, nullptr);
        CoReleaseMarshalData(stream);
        stream->Release();
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

template <class Interface, class Object, class... Position>
HRESULT CInterfaceKeepAlive::HoldOne(REFIID iid, Position... position)
{
    Object* object = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_state->Mutex());
        object = new Object(m_state, position...);
    }
    const HRESULT hr = Marshal(iid, static_cast<Interface*>(object));
    // The marshal holds the object from here on.
    object->Release();
    return hr;
}

HRESULT CInterfaceKeepAlive::Hold() noexcept
{
    try {
        m_state = std::make_shared<CHostState>(std::nullopt);
        {
            // So that its application answers IRunnableObject, as a runnable
            // catalog's does to a client's OleRun.
            std::lock_guard<std::mutex> lock(m_state->Mutex());
            m_state->SetRunnableLocked(true);
        }
        m_marshals.reserve(12);
        const HRESULT steps[] = {
            HoldOne<IHostApplication, CHostApplicationObject>(IID_IHostApplication),
            HoldOne<IHostCatalog, CHostCatalogObject>(IID_IHostCatalog),
            HoldOne<IHostMediaSets, CHostMediaSetsObject>(IID_IHostMediaSets),
            HoldOne<IHostMediaSet, CHostMediaSetObject>(IID_IHostMediaSet, std::size_t{0}),
            HoldOne<IHostMediaItems, CHostMediaItemsObject>(IID_IHostMediaItems, std::size_t{0}),
            HoldOne<IHostMediaItem, CHostMediaItemObject>(IID_IHostMediaItem, std::size_t{0}),
            HoldOne<IHostAnnotations, CHostAnnotationsObject>(IID_IHostAnnotations, std::size_t{0}),
            // A client also reaches these on every host object: late-bound
            // callers, and a failed call's error path.
            HoldOne<IDispatch, CHostApplicationObject>(IID_IDispatch),
            HoldOne<ISupportErrorInfo, CHostApplicationObject>(IID_ISupportErrorInfo),
            HoldOne<IRunnableObject, CHostApplicationObject>(IID_IRunnableObject),
        };
        for (HRESULT step : steps)
            if (FAILED(step)) return step;
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT CInterfaceKeepAlive::HoldClassObject(IClassFactory* classObject) noexcept
{
    const HRESULT hr = Marshal(IID_IClassFactory, classObject);
    return FAILED(hr) ? hr : Marshal(IID_IUnknown, classObject);
}

void CInterfaceKeepAlive::Release() noexcept
{
    for (IStream* stream : m_marshals) {
        const LARGE_INTEGER start = {};
        stream->Seek(start, STREAM_SEEK_SET, nullptr);
        CoReleaseMarshalData(stream);
        stream->Release();
    }
    m_marshals.clear();
}
