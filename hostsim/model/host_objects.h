// The host's objects, one class per host interface. Each is a light handle
// on the shared host state: it names its set or item by position in the
// catalog, so every getter can hand out a new object the caller owns.
// Constructors need the state's lock held (they count a client reference).
#pragma once

#include "model/host_object.h"

#include <cstddef>

// The application answers IRunnableObject only on a host under test that is
// made runnable, so that a client's OleRun can be seen to reach it.
class CHostApplicationObject final : public CHostObject<IHostApplication>, public IRunnableObject {
public:
    explicit CHostApplicationObject(std::shared_ptr<CHostState> state);

    // One IUnknown for both bases.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        return CHostObject::QueryInterface(riid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return CHostObject::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return CHostObject::Release(); }

    HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_Version(BSTR* version) override;
    HRESULT STDMETHODCALLTYPE get_Path(BSTR* path) override;
    HRESULT STDMETHODCALLTYPE get_ActiveCatalog(IHostCatalog** catalog) override;

    HRESULT STDMETHODCALLTYPE GetRunningClass(CLSID* clsid) override;
#ifdef _WIN32
    HRESULT STDMETHODCALLTYPE Run(LPBINDCTX) override;
#else
    HRESULT STDMETHODCALLTYPE Run(void*) override;
#endif
    BOOL STDMETHODCALLTYPE IsRunning() override { return 1; }
    HRESULT STDMETHODCALLTYPE LockRunning(BOOL, BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetContainedObject(BOOL) override { return S_OK; }

private:
    std::string TraceLabel() const override { return "app"; }
    void* OtherInterfaceLocked(REFIID riid) override;
};

class CHostCatalogObject final : public CHostObject<IHostCatalog> {
public:
    explicit CHostCatalogObject(std::shared_ptr<CHostState> state);

    HRESULT STDMETHODCALLTYPE get_Index(LONG* index) override;
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_Path(BSTR* path) override;
    HRESULT STDMETHODCALLTYPE get_MediaSets(IHostMediaSets** sets) override;

private:
    std::string TraceLabel() const override { return "catalog"; }
};

// The catalog's list of sets that are not hidden, in file order.
class CHostMediaSetsObject final : public CHostObject<IHostMediaSets> {
public:
    explicit CHostMediaSetsObject(std::shared_ptr<CHostState> state);

    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override;
    HRESULT STDMETHODCALLTYPE get_Item(LONG position, IHostMediaSet** set) override;

private:
    std::string TraceLabel() const override { return "sets"; }
};

class CHostMediaSetObject final : public CHostObject<IHostMediaSet> {
public:
    CHostMediaSetObject(std::shared_ptr<CHostState> state, std::size_t set);

    HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_Index(LONG* index) override;
    HRESULT STDMETHODCALLTYPE get_IsSkipped(VARIANT_BOOL* skipped) override;
    HRESULT STDMETHODCALLTYPE get_Level(LONG* level) override;
    HRESULT STDMETHODCALLTYPE get_Parent(IHostMediaSet** parent) override;
    HRESULT STDMETHODCALLTYPE get_MediaItems(IHostMediaItems** items) override;

private:
    std::string TraceLabel() const override;
    const CMediaSetRecord& Record() const noexcept { return Catalog().m_sets[m_set]; }

    std::size_t m_set;
};

// The media items of one set, in the order the set lists them.
class CHostMediaItemsObject final : public CHostObject<IHostMediaItems> {
public:
    CHostMediaItemsObject(std::shared_ptr<CHostState> state, std::size_t set);

    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override;
    HRESULT STDMETHODCALLTYPE get_Item(LONG position, IHostMediaItem** item) override;

private:
    std::string TraceLabel() const override;

    std::size_t m_set;
};

class CHostMediaItemObject final : public CHostObject<IHostMediaItem> {
public:
    CHostMediaItemObject(std::shared_ptr<CHostState> state, std::size_t item);

    HRESULT STDMETHODCALLTYPE get_Annotations(IHostAnnotations** annotations) override;

private:
    std::string TraceLabel() const override;

    std::size_t m_item;
};

// An item's keyword list: the only thing a client can change in a catalog.
class CHostAnnotationsObject final : public CHostObject<IHostAnnotations> {
public:
    CHostAnnotationsObject(std::shared_ptr<CHostState> state, std::size_t item);

    HRESULT STDMETHODCALLTYPE get_Keywords(BSTR* keywords) override;
    HRESULT STDMETHODCALLTYPE put_Keywords(BSTR keywords) override;

private:
    std::string TraceLabel() const override;

    std::size_t m_item;
};
