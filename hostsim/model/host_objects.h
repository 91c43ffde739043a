// The host's objects, one class per host interface. Each is a light handle
// on the shared host state: it names its set or item by position in the
// catalog, so every getter can hand out a new object the caller owns.
// Constructors need the state's lock held (they count a client reference).
#pragma once

#include "model/host_object.h"

#include <cstddef>

class CHostApplicationObject final : public CHostObject<IHostApplication> {
public:
    explicit CHostApplicationObject(std::shared_ptr<CHostState> state);

    HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_Version(BSTR* version) override;
    HRESULT STDMETHODCALLTYPE get_Path(BSTR* path) override;
    HRESULT STDMETHODCALLTYPE get_ActiveCatalog(IHostCatalog** catalog) override;

private:
    std::string TraceLabel() const override { return "app"; }
};

class CHostCatalogObject final : public CHostObject<IHostCatalog> {
public:
    explicit CHostCatalogObject(std::shared_ptr<CHostState> state);

    LUMORA_PLACEHOLDER(7)
    HRESULT STDMETHODCALLTYPE get_Index(LONG* index) override;
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override;
    LUMORA_PLACEHOLDER(10)
    HRESULT STDMETHODCALLTYPE get_Path(BSTR* path) override;
    LUMORA_PLACEHOLDER(12) LUMORA_PLACEHOLDER(13) LUMORA_PLACEHOLDER(14) LUMORA_PLACEHOLDER(15)
    LUMORA_PLACEHOLDER(16) LUMORA_PLACEHOLDER(17) LUMORA_PLACEHOLDER(18) LUMORA_PLACEHOLDER(19)
    LUMORA_PLACEHOLDER(20) LUMORA_PLACEHOLDER(21) LUMORA_PLACEHOLDER(22) LUMORA_PLACEHOLDER(23)
    LUMORA_PLACEHOLDER(24) LUMORA_PLACEHOLDER(25) LUMORA_PLACEHOLDER(26) LUMORA_PLACEHOLDER(27)
    LUMORA_PLACEHOLDER(28) LUMORA_PLACEHOLDER(29)
    HRESULT STDMETHODCALLTYPE get_MediaSets(IHostMediaSets** sets) override;

private:
    std::string TraceLabel() const override { return "catalog"; }
};

// The catalog's list of sets that are not hidden, in file order.
class CHostMediaSetsObject final : public CHostObject<IHostMediaSets> {
public:
    explicit CHostMediaSetsObject(std::shared_ptr<CHostState> state);

    LUMORA_PLACEHOLDER(7)
    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override;
    HRESULT STDMETHODCALLTYPE get_Item(LONG position, IHostMediaSet** set) override;

private:
    std::string TraceLabel() const override { return "sets"; }
};

class CHostMediaSetObject final : public CHostObject<IHostMediaSet> {
public:
    CHostMediaSetObject(std::shared_ptr<CHostState> state, std::size_t set);

    LUMORA_PLACEHOLDER(7)
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override;
    LUMORA_PLACEHOLDER(9)
    HRESULT STDMETHODCALLTYPE get_Index(LONG* index) override;
    LUMORA_PLACEHOLDER(11) LUMORA_PLACEHOLDER(12)
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

    LUMORA_PLACEHOLDER(7)
    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override;
    HRESULT STDMETHODCALLTYPE get_Item(LONG position, IHostMediaItem** item) override;

private:
    std::string TraceLabel() const override;

    std::size_t m_set;
};

class CHostMediaItemObject final : public CHostObject<IHostMediaItem> {
public:
    CHostMediaItemObject(std::shared_ptr<CHostState> state, std::size_t item);

    LUMORA_PLACEHOLDER(7) LUMORA_PLACEHOLDER(8) LUMORA_PLACEHOLDER(9) LUMORA_PLACEHOLDER(10)
    LUMORA_PLACEHOLDER(11) LUMORA_PLACEHOLDER(12) LUMORA_PLACEHOLDER(13) LUMORA_PLACEHOLDER(14)
    LUMORA_PLACEHOLDER(15) LUMORA_PLACEHOLDER(16) LUMORA_PLACEHOLDER(17) LUMORA_PLACEHOLDER(18)
    LUMORA_PLACEHOLDER(19) LUMORA_PLACEHOLDER(20) LUMORA_PLACEHOLDER(21) LUMORA_PLACEHOLDER(22)
    LUMORA_PLACEHOLDER(23) LUMORA_PLACEHOLDER(24) LUMORA_PLACEHOLDER(25) LUMORA_PLACEHOLDER(26)
    LUMORA_PLACEHOLDER(27) LUMORA_PLACEHOLDER(28) LUMORA_PLACEHOLDER(29) LUMORA_PLACEHOLDER(30)
    LUMORA_PLACEHOLDER(31) LUMORA_PLACEHOLDER(32) LUMORA_PLACEHOLDER(33) LUMORA_PLACEHOLDER(34)
    HRESULT STDMETHODCALLTYPE get_Annotations(IHostAnnotations** annotations) override;

private:
    std::string TraceLabel() const override;

    std::size_t m_item;
};

// An item's keyword list: the only thing a client can change in a catalog.
class CHostAnnotationsObject final : public CHostObject<IHostAnnotations> {
public:
    CHostAnnotationsObject(std::shared_ptr<CHostState> state, std::size_t item);

    LUMORA_PLACEHOLDER(7) LUMORA_PLACEHOLDER(8) LUMORA_PLACEHOLDER(9) LUMORA_PLACEHOLDER(10)
    LUMORA_PLACEHOLDER(11) LUMORA_PLACEHOLDER(12) LUMORA_PLACEHOLDER(13) LUMORA_PLACEHOLDER(14)
    LUMORA_PLACEHOLDER(15) LUMORA_PLACEHOLDER(16) LUMORA_PLACEHOLDER(17) LUMORA_PLACEHOLDER(18)
    LUMORA_PLACEHOLDER(19) LUMORA_PLACEHOLDER(20) LUMORA_PLACEHOLDER(21) LUMORA_PLACEHOLDER(22)
    LUMORA_PLACEHOLDER(23) LUMORA_PLACEHOLDER(24) LUMORA_PLACEHOLDER(25) LUMORA_PLACEHOLDER(26)
    LUMORA_PLACEHOLDER(27) LUMORA_PLACEHOLDER(28) LUMORA_PLACEHOLDER(29) LUMORA_PLACEHOLDER(30)
    LUMORA_PLACEHOLDER(31) LUMORA_PLACEHOLDER(32) LUMORA_PLACEHOLDER(33) LUMORA_PLACEHOLDER(34)
    LUMORA_PLACEHOLDER(35) LUMORA_PLACEHOLDER(36) LUMORA_PLACEHOLDER(37) LUMORA_PLACEHOLDER(38)
    LUMORA_PLACEHOLDER(39) LUMORA_PLACEHOLDER(40) LUMORA_PLACEHOLDER(41) LUMORA_PLACEHOLDER(42)
    LUMORA_PLACEHOLDER(43) LUMORA_PLACEHOLDER(44) LUMORA_PLACEHOLDER(45) LUMORA_PLACEHOLDER(46)
    LUMORA_PLACEHOLDER(47)
    HRESULT STDMETHODCALLTYPE get_Keywords(BSTR* keywords) override;
    HRESULT STDMETHODCALLTYPE put_Keywords(BSTR keywords) override;

private:
    std::string TraceLabel() const override;

    std::size_t m_item;
};
