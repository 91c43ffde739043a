// The host stand-in as unit tests drive it: a catalog built in code, the
// trace kept in memory, a reference ledger for every object the host hands
// out, and faults scripted in the trace's own vocabulary
// ("IHostMediaSet::Name", "IHostAnnotations::Keywords(put)", "CreateInstance",
// and for the COM plumbing the ledger records "IUnknown::QueryInterface",
// "IRunnableObject::Run"). Everything runs on the test's thread.
//
// The catalog is the stand-in's own records (model/catalog_records.h). A test
// changes them between calls, or from the count hook while a walk runs. A
// reference to a set or an item stays valid only until the next set or item
// is added.
#pragma once

#include "host/host_interfaces.h"
#include "model/host_state.h"

#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CTestHost {
public:
    // An application "Lumora" 3.1 in C:\Apps\Lumora, with the active catalog
    // "Photos" (index 1) at D:\Archive\Photos, holding nothing yet.
    CTestHost();
    CTestHost(const CTestHost&) = delete;
    CTestHost& operator=(const CTestHost&) = delete;
    ~CTestHost();

    // ---- the catalog ----
    CApplicationRecord& Application();
    CCatalogRecord& Catalog();
    // Adds a set at the end of the catalog's list. Its id is the decimal
    // index, or, when that id is taken, the index with a letter behind it
    // ("3b"). A parent named by index need not exist yet; its level is 2.
    CMediaSetRecord& AddSet(LONG index, const OptionalText& name = WideString(),
                            std::optional<LONG> parentIndex = std::nullopt);
    CMediaSetRecord& Set(const std::string& id);
    // The set's parent by id, or none for "".
    void SetParent(const std::string& id, const std::string& parentId);
    // A hidden set is left out of the catalog's list but can still be
    // returned as a parent.
    void SetHidden(const std::string& id, bool hidden);
    CMediaItemRecord& AddItem(const std::string& id, const OptionalText& keywords = WideString());
    CMediaItemRecord& Item(const std::string& id);
    // The set's items by id, in collection order; repeats are kept.
    void SetItems(const std::string& setId, std::initializer_list<const char*> itemIds);
    // No catalog is active: ActiveCatalog succeeds with null.
    void CloseCatalog();

    // ---- behaviour ----
    // The nth call (from 1; 0 is every call) of `operation`, on the object
    // labelled `label` or on any, fails with `hr` or succeeds with null.
    void FailCall(const std::string& operation, HRESULT hr, int nth = 1, const std::string& label = "");
    void NullResult(const std::string& operation, int nth = 1, const std::string& label = "");
    void SetErrorInfo(HostErrorInfo mode);
    void SetRunnable(bool runnable);
    // Called at each Count of a collection ("sets", "items:<set id>") with
    // the 1-based number of that collection's Count calls; it may change the
    // catalog, and a value it returns is the count.
    using CountHook = std::function<std::optional<LONG>(CTestHost& host, const std::string& label, int number)>;
    void SetCountHook(CountHook hook);

    // ---- what happened ----
    // The trace: "<label> <operation>" for each host call, in order.
    std::vector<std::string> Calls() const;
    // The ledger's events: the calls, the factory's CreateInstance, the COM
    // plumbing and "<label>#<n> released" each time an object's count
    // reached zero.
    std::vector<std::string> Events() const;
    void ClearCalls();
    // Every keyword list the host accepted for the item, in order.
    std::vector<WideString> Writes(const std::string& itemId) const;
    const CHostLedger& Ledger() const;
    CHostLedger& Ledger();
    // The ledger name ("set:3#1") of the host object behind a pointer the
    // host handed out; "" for any other pointer.
    std::string LedgerName(IUnknown* object) const;

    // ---- objects straight from the host, without a traced call ----
    // Each returns one reference that the caller owns.
    IHostApplication* ObtainApplication();
    IHostCatalog* ObtainCatalog();
    IHostMediaSet* ObtainSet(const std::string& id);
    IHostAnnotations* ObtainAnnotations(const std::string& itemId);
    // A new class factory of this host (one reference).
    IClassFactory* NewFactory();

    CHostState& State() { return *m_state; }

private:
    CCatalogContent& Content();
    std::size_t SetPosition(const std::string& id) const;
    std::size_t ItemPosition(const std::string& id) const;
    void RelistSets();

    std::shared_ptr<CHostState> m_state;
    std::map<std::string, std::size_t> m_setsById;
    std::map<std::string, std::size_t> m_itemsById;
    // Children waiting for a parent id that no set has yet.
    std::multimap<std::string, std::size_t> m_waitingForParent;
};

// Publishes a host as the class factory of the host's class identifier with
// the COM layer for as long as it lives.
class CTestHostRegistration {
public:
    explicit CTestHostRegistration(CTestHost& host);
    CTestHostRegistration(const CTestHostRegistration&) = delete;
    CTestHostRegistration& operator=(const CTestHostRegistration&) = delete;
    ~CTestHostRegistration();

private:
    DWORD m_cookie = 0;
    bool m_registered = false;
};
