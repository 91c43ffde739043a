// What every host object shares: IUnknown with the host's count of client
// references, IDispatch through the dispatch hook, ISupportErrorInfo, and
// Serve, which traces a call, applies the fault plan and sets the error
// object of a failure before the object's own code runs.
#pragma once

#include "model/dispatch_hook.h"
#include "model/host_code_scope.h"
#include "model/host_error_info.h"
#include "model/host_interface_stubs.h"
#include "model/host_operations.h"
#include "model/host_state.h"

#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string>

template <class I>
class CHostObject : public CHostInterfaceStub<I>, public ISupportErrorInfo {
public:
    CHostObject(const CHostObject&) = delete;
    CHostObject& operator=(const CHostObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        const CHostCodeScope hostCode;
        if (!object) return E_POINTER;
        *object = nullptr;
        bool answersErrorInfo = true;
        void* found = nullptr;
        {
            std::lock_guard<std::mutex> lock(m_state->Mutex());
            const CFaultAction fault = CountPlumbingLocked("IUnknown::QueryInterface", &riid);
            if (fault.m_kind == CFaultAction::Kind::Fail) return fault.m_hresult;
            if (fault.m_kind == CFaultAction::Kind::ReturnNull) return S_OK;
            answersErrorInfo = m_state->ErrorInfoLocked() != HostErrorInfo::NoInterface;
            found = OtherInterfaceLocked(riid);
        }
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == Iid()) found = static_cast<I*>(this);
        else if (riid == IID_ISupportErrorInfo && answersErrorInfo) found = static_cast<ISupportErrorInfo*>(this);
        if (!found) return E_NOINTERFACE;
        AddRef();
        *object = found;
        return S_OK;
    }

    ULONG STDMETHODCALLTYPE AddRef() override
    {
        const CHostCodeScope hostCode;
        std::lock_guard<std::mutex> lock(m_state->Mutex());
        m_state->AddReferenceLocked();
        if (CHostLedger* ledger = m_state->LedgerLocked()) ledger->AddRef(m_ledgerEntry);
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
            if (CHostLedger* ledger = m_state->LedgerLocked()) ledger->Release(m_ledgerEntry);
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
        const CHostCodeScope hostCode;
        std::lock_guard<std::mutex> lock(m_state->Mutex());
        CountPlumbingLocked("ISupportErrorInfo::InterfaceSupportsErrorInfo", &riid);
        const HostErrorInfo mode = m_state->ErrorInfoLocked();
        return riid == Iid() && (mode == HostErrorInfo::Vouched || mode == HostErrorInfo::Missing) ? S_OK : S_FALSE;
    }

protected:
    // The new object holds one reference, which its creator hands to a
    // client. Needs the state's lock held.
    explicit CHostObject(std::shared_ptr<CHostState> state) : m_state(std::move(state))
    {
        m_state->AddReferenceLocked();
    }
    virtual ~CHostObject() = default;

    // Gives a host under test's new object its entry in the reference
    // ledger; each host object's constructor calls it, since only there is
    // its label known. Needs the state's lock held.
    void RegisterLocked()
    {
        if (CHostLedger* ledger = m_state->LedgerLocked()) m_ledgerEntry = ledger->Open(TraceLabel(), static_cast<IUnknown*>(static_cast<I*>(this)));
    }

    // An interface this object answers beyond its host interface, IDispatch
    // and ISupportErrorInfo; null when none. Called with the state's lock held.
    virtual void* OtherInterfaceLocked(REFIID) { return nullptr; }

    // One call of COM plumbing on a host under test: recorded in its ledger
    // and counted for its faults. Other hosts neither record nor count it.
    CFaultAction CountPlumbingLocked(const char* operation, const IID* riid) noexcept
    {
        if (!m_state->LedgerLocked()) return CFaultAction();
        try {
            std::string call = operation;
            if (riid) call += std::string("(") + HostInterfaceName(*riid) + ")";
            return m_state->CountPlumbingLocked(TraceLabel(), call);
        } catch (const std::bad_alloc&) {
            return CFaultAction{CFaultAction::Kind::Fail, E_OUTOFMEMORY};
        }
    }

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
    // Needs the state's lock held.
    HRESULT Failed(const char* operation, HRESULT hr) noexcept
    {
        const HostErrorInfo mode = m_state->ErrorInfoLocked();
        if (mode == HostErrorInfo::Missing) SetErrorInfo(0, nullptr);
        else if (mode != HostErrorInfo::NotSet) SetHostErrorInfo(Iid(), operation, hr);
        return hr;
    }

    ULONG m_references = 1;
    std::size_t m_ledgerEntry = 0;
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
