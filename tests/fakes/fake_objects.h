// The fake host's COM objects, one class per host interface, plus the class
// factory and the error object. Only the fake host creates them.
#pragma once

#include "fakes/fake_host.h"

#define QF_FAKE_RESERVED(slot) \
    HRESULT STDMETHODCALLTYPE Reserved##slot() override { return E_NOTIMPL; }

// IUnknown, IDispatch and ISupportErrorInfo for an object that serves host
// interface I. Counts go to the ledger; the object itself lives as long as
// the fake host, so a client that over-releases is caught, not crashed.
template <class I>
class CFakeComObject : public CFakeObjectCore, public I, public ISupportErrorInfo {
public:
    using CFakeObjectCore::CFakeObjectCore;

    IUnknown* Identity() noexcept override { return static_cast<I*>(this); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        const CFakeOutcome outcome =
            Host().Enter(*this, "QueryInterface", "(" + FakeInterfaceName(riid) + ")", false);
        if (outcome.failed) return outcome.hr;
        if (outcome.nullResult) return S_OK;
        void* found = Find(riid);
        if (!found) return E_NOINTERFACE;
        AddRef();
        *object = found;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return Host().AddRefObject(*this); }
    ULONG STDMETHODCALLTYPE Release() override { return Host().ReleaseObject(*this); }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        if (count) *count = 0;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override
    {
        Host().Enter(*this, "InterfaceSupportsErrorInfo", "(" + FakeInterfaceName(riid) + ")", false);
        return ErrorInfoMode() == FakeErrorInfo::Supported && riid == HostInterfaceId<I>::Get() ? S_OK : S_FALSE;
    }

protected:
    virtual void* FindMore(REFIID) { return nullptr; }

    // Runs the common part of a host operation: the log entry and the faults.
    CFakeOutcome Serve(const std::string& operation, const std::string& suffix = std::string())
    {
        return Host().Enter(*this, operation, suffix, true);
    }

private:
    void* Find(REFIID riid)
    {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == HostInterfaceId<I>::Get())
            return static_cast<I*>(this);
        if (riid == IID_ISupportErrorInfo && ErrorInfoMode() != FakeErrorInfo::NoInterface)
            return static_cast<ISupportErrorInfo*>(this);
        return FindMore(riid);
    }
};

class CFakeApplication : public CFakeComObject<IHostApplication>, public IRunnableObject {
public:
    using CFakeComObject::CFakeComObject;

    // IUnknown is reached through IRunnableObject too.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        return CFakeComObject::QueryInterface(riid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return CFakeComObject::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return CFakeComObject::Release(); }

    HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_Version(BSTR* version) override;
    HRESULT STDMETHODCALLTYPE get_Path(BSTR* path) override;
    HRESULT STDMETHODCALLTYPE get_ActiveCatalog(IHostCatalog** catalog) override;

    HRESULT STDMETHODCALLTYPE GetRunningClass(CLSID* clsid) override;
    HRESULT STDMETHODCALLTYPE Run(void* bindContext) override;
    BOOL STDMETHODCALLTYPE IsRunning() override { return 1; }
    HRESULT STDMETHODCALLTYPE LockRunning(BOOL, BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetContainedObject(BOOL) override { return S_OK; }

protected:
    void* FindMore(REFIID riid) override;

private:
    HRESULT GetText(const char* operation, const FakeText& text, BSTR* out);
};

class CFakeCatalog : public CFakeComObject<IHostCatalog> {
public:
    using CFakeComObject::CFakeComObject;

    QF_FAKE_RESERVED(7)
    HRESULT STDMETHODCALLTYPE get_Index(LONG* index) override;
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override;
    QF_FAKE_RESERVED(10)
    HRESULT STDMETHODCALLTYPE get_Path(BSTR* path) override;
    QF_FAKE_RESERVED(12) QF_FAKE_RESERVED(13) QF_FAKE_RESERVED(14) QF_FAKE_RESERVED(15) QF_FAKE_RESERVED(16)
    QF_FAKE_RESERVED(17) QF_FAKE_RESERVED(18) QF_FAKE_RESERVED(19) QF_FAKE_RESERVED(20) QF_FAKE_RESERVED(21)
    QF_FAKE_RESERVED(22) QF_FAKE_RESERVED(23) QF_FAKE_RESERVED(24) QF_FAKE_RESERVED(25) QF_FAKE_RESERVED(26)
    QF_FAKE_RESERVED(27) QF_FAKE_RESERVED(28) QF_FAKE_RESERVED(29)
    HRESULT STDMETHODCALLTYPE get_MediaSets(IHostMediaSets** sets) override;
};

class CFakeMediaSets : public CFakeComObject<IHostMediaSets> {
public:
    using CFakeComObject::CFakeComObject;

    QF_FAKE_RESERVED(7)
    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override;
    HRESULT STDMETHODCALLTYPE get_Item(LONG position, IHostMediaSet** set) override;
};

class CFakeMediaSet : public CFakeComObject<IHostMediaSet> {
public:
    CFakeMediaSet(CFakeHost& host, std::string label, std::string id)
        : CFakeComObject(host, std::move(label)), m_id(std::move(id))
    {
    }

    QF_FAKE_RESERVED(7)
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override;
    QF_FAKE_RESERVED(9)
    HRESULT STDMETHODCALLTYPE get_Index(LONG* index) override;
    QF_FAKE_RESERVED(11) QF_FAKE_RESERVED(12)
    HRESULT STDMETHODCALLTYPE get_IsSkipped(VARIANT_BOOL* skipped) override;
    HRESULT STDMETHODCALLTYPE get_Level(LONG* level) override;
    HRESULT STDMETHODCALLTYPE get_Parent(IHostMediaSet** parent) override;
    HRESULT STDMETHODCALLTYPE get_MediaItems(IHostMediaItems** items) override;

private:
    CFakeSetData& Data();

    std::string m_id;
};

class CFakeMediaItems : public CFakeComObject<IHostMediaItems> {
public:
    CFakeMediaItems(CFakeHost& host, std::string label, std::string setId)
        : CFakeComObject(host, std::move(label)), m_setId(std::move(setId))
    {
    }

    QF_FAKE_RESERVED(7)
    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override;
    HRESULT STDMETHODCALLTYPE get_Item(LONG position, IHostMediaItem** item) override;

private:
    std::string m_setId;
};

class CFakeMediaItem : public CFakeComObject<IHostMediaItem> {
public:
    CFakeMediaItem(CFakeHost& host, std::string label, std::string id)
        : CFakeComObject(host, std::move(label)), m_id(std::move(id))
    {
    }

    QF_FAKE_RESERVED(7) QF_FAKE_RESERVED(8) QF_FAKE_RESERVED(9) QF_FAKE_RESERVED(10) QF_FAKE_RESERVED(11)
    QF_FAKE_RESERVED(12) QF_FAKE_RESERVED(13) QF_FAKE_RESERVED(14) QF_FAKE_RESERVED(15) QF_FAKE_RESERVED(16)
    QF_FAKE_RESERVED(17) QF_FAKE_RESERVED(18) QF_FAKE_RESERVED(19) QF_FAKE_RESERVED(20) QF_FAKE_RESERVED(21)
    QF_FAKE_RESERVED(22) QF_FAKE_RESERVED(23) QF_FAKE_RESERVED(24) QF_FAKE_RESERVED(25) QF_FAKE_RESERVED(26)
    QF_FAKE_RESERVED(27) QF_FAKE_RESERVED(28) QF_FAKE_RESERVED(29) QF_FAKE_RESERVED(30) QF_FAKE_RESERVED(31)
    QF_FAKE_RESERVED(32) QF_FAKE_RESERVED(33) QF_FAKE_RESERVED(34)
    HRESULT STDMETHODCALLTYPE get_Annotations(IHostAnnotations** annotations) override;

private:
    std::string m_id;
};

class CFakeAnnotations : public CFakeComObject<IHostAnnotations> {
public:
    CFakeAnnotations(CFakeHost& host, std::string label, std::string id)
        : CFakeComObject(host, std::move(label)), m_id(std::move(id))
    {
    }

    QF_FAKE_RESERVED(7) QF_FAKE_RESERVED(8) QF_FAKE_RESERVED(9) QF_FAKE_RESERVED(10) QF_FAKE_RESERVED(11)
    QF_FAKE_RESERVED(12) QF_FAKE_RESERVED(13) QF_FAKE_RESERVED(14) QF_FAKE_RESERVED(15) QF_FAKE_RESERVED(16)
    QF_FAKE_RESERVED(17) QF_FAKE_RESERVED(18) QF_FAKE_RESERVED(19) QF_FAKE_RESERVED(20) QF_FAKE_RESERVED(21)
    QF_FAKE_RESERVED(22) QF_FAKE_RESERVED(23) QF_FAKE_RESERVED(24) QF_FAKE_RESERVED(25) QF_FAKE_RESERVED(26)
    QF_FAKE_RESERVED(27) QF_FAKE_RESERVED(28) QF_FAKE_RESERVED(29) QF_FAKE_RESERVED(30) QF_FAKE_RESERVED(31)
    QF_FAKE_RESERVED(32) QF_FAKE_RESERVED(33) QF_FAKE_RESERVED(34) QF_FAKE_RESERVED(35) QF_FAKE_RESERVED(36)
    QF_FAKE_RESERVED(37) QF_FAKE_RESERVED(38) QF_FAKE_RESERVED(39) QF_FAKE_RESERVED(40) QF_FAKE_RESERVED(41)
    QF_FAKE_RESERVED(42) QF_FAKE_RESERVED(43) QF_FAKE_RESERVED(44) QF_FAKE_RESERVED(45) QF_FAKE_RESERVED(46)
    QF_FAKE_RESERVED(47)
    HRESULT STDMETHODCALLTYPE get_Keywords(BSTR* keywords) override;
    HRESULT STDMETHODCALLTYPE put_Keywords(BSTR keywords) override;

private:
    CFakeItemData& Data();

    std::string m_id;
};

// The class factory that the COM layer finds for the host's class identifier.
class CFakeFactory : public CFakeObjectCore, public IClassFactory {
public:
    using CFakeObjectCore::CFakeObjectCore;

    IUnknown* Identity() noexcept override { return this; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

// The error object a failing call leaves for GetErrorInfo.
class CFakeErrorInfo : public CFakeObjectCore, public IErrorInfo {
public:
    using CFakeObjectCore::CFakeObjectCore;

    IUnknown* Identity() noexcept override { return this; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetGUID(GUID* guid) override;
    HRESULT STDMETHODCALLTYPE GetSource(BSTR* source) override;
    HRESULT STDMETHODCALLTYPE GetDescription(BSTR* description) override;
    HRESULT STDMETHODCALLTYPE GetHelpFile(BSTR* helpFile) override;
    HRESULT STDMETHODCALLTYPE GetHelpContext(DWORD* helpContext) override;
};
