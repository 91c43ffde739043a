// What every host object shares: IUnknown with the host's count of client
// references, IDispatch through the dispatch hook, ISupportErrorInfo, and
// Serve, which traces a call, applies the fault plan and sets the error
// object of a failure before the object's own code runs.
#pragma once

#include "host/host_interfaces.h"
#include "model/dispatch_hook.h"
#include "model/host_code_scope.h"
#include "model/host_error_info.h"
#include "model/host_operations.h"
#include "model/host_state.h"

#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>

// Gaps in the host's vtables: there, but answering nothing.
#define LUMORA_PLACEHOLDER(slot) \
    HRESULT STDMETHODCALLTYPE Reserved##slot() override { return E_NOTIMPL; }

template <class I>
class CHostObject : public I, public ISupportErrorInfo {
public:
    CHostObject(const CHostObject&) = delete;
    CHostObject& operator=(const CHostObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        const CHostCodeScope hostCode;
        if (!object) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == Iid()) {
            *object = static_cast<I*>(this);
        } else if (riid == IID_ISupportErrorInfo) {
            *object = static_cast<ISupportErrorInfo*>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }

    ULONG STDMETHODCALLTYPE AddRef() override
    {
        const CHostCodeScope hostCode;
        std::lock_guard<std::mutex> lock(m_state->Mutex());
        m_state->AddReferenceLocked();
        return ++m_references;
    }

    ULONG STDMETHODCALLTYPE Release() override
    {
        const CHostCodeScope hostCode;
        ULONG left = 0;
        bool lastClientReference = false;
        {
            std::lock_guard<std::mutex> lock(m_state->Mutex());
            if (m_references == 0) return 0;  // a client releasing more than it holds
            left = --m_references;
            lastClientReference = m_state->ReleaseReferenceLocked();
        }
        if (lastClientReference) m_state->NotifyLastRelease();
        // Deleted outside the lock: this object may hold the state's last owner.
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        return HostDispatchGetTypeInfoCount(Iid(), count);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override
    {
        return HostDispatchGetTypeInfo(Iid(), index, lcid, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override
    {
        return HostDispatchGetIDsOfNames(Iid(), names, count, lcid, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argError) override
    {
        return HostDispatchInvoke(static_cast<I*>(this), Iid(), id, lcid, flags, params, result, exception,
                                  argError);
    }

    // Every failure of this object's operations leaves an error object.
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override
    {
        return riid == Iid() ? S_OK : S_FALSE;
    }

protected:
    // The new object holds one reference, which its creator hands to a
    // client. Needs the state's lock held.
    explicit CHostObject(std::shared_ptr<CHostState> state) : m_state(std::move(state))
    {
        m_state->AddReferenceLocked();
    }
    virtual ~CHostObject() = default;

    static const IID& Iid() noexcept { return HostInterfaceId<I>::Get(); }

    // The object's label in the trace. Called with the state's lock held.
    virtual std::string TraceLabel() const = 0;
    // Only a host that traces pays for building labels.
    std::string TraceLabelIfTraced() const { return m_state->TracingLocked() ? TraceLabel() : std::string(); }

    // One getter call: traced, counted for the fault plan, then `produce`
    // fills the cleared out-value under the lock. An Item call gives its
    // `position`, which the trace shows, e.g. "(2)".
    template <class T, class Produce>
    HRESULT Serve(const char* operation, T* out, Produce&& produce,
                  std::optional<LONG> position = std::nullopt) noexcept
    {
        const CHostCodeScope hostCode;
        std::lock_guard<std::mutex> lock(m_state->Mutex());
        try {
            const CFaultAction fault = m_state->BeginCallLocked(TraceLabelIfTraced(), operation, position);
            if (fault.m_kind == CFaultAction::Kind::Fail) return Failed(operation, fault.m_hresult);
            if (!out) return Failed(operation, E_POINTER);
            *out = T{};
            if (fault.m_kind == CFaultAction::Kind::ReturnNull) return S_OK;
            const HRESULT hr = produce(*out);
            return FAILED(hr) ? Failed(operation, hr) : hr;
        } catch (const std::bad_alloc&) {
            return Failed(operation, E_OUTOFMEMORY);
        }
    }

    // One call that changes the host: traced, counted, then `apply` runs
    // under the lock.
    template <class Apply>
    HRESULT ServeChange(const char* operation, Apply&& apply) noexcept
    {
        const CHostCodeScope hostCode;
        std::lock_guard<std::mutex> lock(m_state->Mutex());
        try {
            const CFaultAction fault = m_state->BeginCallLocked(TraceLabelIfTraced(), operation, std::nullopt);
            if (fault.m_kind == CFaultAction::Kind::Fail) return Failed(operation, fault.m_hresult);
            const HRESULT hr = apply();
            return FAILED(hr) ? Failed(operation, hr) : hr;
        } catch (const std::bad_alloc&) {
            return Failed(operation, E_OUTOFMEMORY);
        }
    }

    // The catalog this object belongs to; only objects of an active catalog
    // exist, so it is never null for them. Needs the state's lock held.
    const CCatalogContent& Catalog() const noexcept { return *m_state->CatalogLocked(); }

    std::shared_ptr<CHostState> m_state;

private:
    static HRESULT Failed(const char* operation, HRESULT hr) noexcept
    {
        SetHostErrorInfo(Iid(), operation, hr);
        return hr;
    }

    ULONG m_references = 1;
};

// A host text as a new BSTR of its full length; null stays null.
inline HRESULT CopyHostText(const OptionalText& text, BSTR& out) noexcept
{
    if (!text) {
        out = nullptr;
        return S_OK;
    }
    out = SysAllocStringLen(text->data(), static_cast<UINT>(text->size()));
    return out ? S_OK : E_OUTOFMEMORY;
}
