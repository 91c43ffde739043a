// A scriptable, in-memory Lumora host for unit tests. It implements the seven
// host interfaces over a model that tests fill and change, logs every call in
// order, keeps a reference ledger of every object it hands out, and fails any
// chosen call. All of it runs on the test's thread.
#pragma once

#include "fakes/fake_fault.h"
#include "fakes/fake_ledger.h"
#include "fakes/fake_model.h"
#include "host/host_interfaces.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CFakeHost;

// "IHostMediaSet", "ISupportErrorInfo", ... for the call log.
std::string FakeInterfaceName(REFIID riid);

// What a call does once the log and the faults have seen it.
struct CFakeOutcome {
    bool failed = false;
    HRESULT hr = S_OK;
    bool nullResult = false;
};

// The part every fake object shares: its label, its ledger entry and what it
// answers to ISupportErrorInfo.
class CFakeObjectCore {
public:
    CFakeObjectCore(CFakeHost& host, std::string label) : m_host(host), m_label(std::move(label)) {}
    CFakeObjectCore(const CFakeObjectCore&) = delete;
    CFakeObjectCore& operator=(const CFakeObjectCore&) = delete;
    virtual ~CFakeObjectCore() = default;

    CFakeHost& Host() const noexcept { return m_host; }
    const std::string& Label() const noexcept { return m_label; }
    const std::string& LedgerName() const noexcept { return m_ledgerName; }
    const std::string& Origin() const noexcept { return m_origin; }
    FakeErrorInfo ErrorInfoMode() const noexcept { return m_errorInfo; }

    virtual IUnknown* Identity() noexcept = 0;

private:
    friend class CFakeHost;

    CFakeHost& m_host;
    std::string m_label;
    std::string m_ledgerName;
    std::string m_origin;
    std::size_t m_ledgerEntry = 0;
    FakeErrorInfo m_errorInfo = FakeErrorInfo::None;

public:
    std::size_t LedgerEntry() const noexcept { return m_ledgerEntry; }
};

class CFakeHost {
public:
    CFakeHost();
    CFakeHost(const CFakeHost&) = delete;
    CFakeHost& operator=(const CFakeHost&) = delete;
    ~CFakeHost();

    // ---- the model ----
    CFakeApplicationData& Application() noexcept { return m_application; }
    CFakeCatalogData& Catalog() noexcept { return m_catalog; }

    // Adds a set at the end of the catalog's list. Its id is the decimal
    // index, or, when that id is taken, the index with a letter behind it.
    // Ids never change once a set is added.
    CFakeSetData& AddSet(LONG index, const FakeText& name = WideString(),
                         std::optional<LONG> parentIndex = std::nullopt);
    CFakeSetData& Set(const std::string& id);
    // A hidden set is left out of the catalog's list but can still be
    // returned as a parent.
    void SetHidden(const std::string& id, bool hidden);
    CFakeItemData& AddItem(const std::string& id, const FakeText& keywords = WideString());
    CFakeItemData& Item(const std::string& id);

    // ---- behaviour ----
    // Fresh objects: every getter that returns an interface hands out a new
    // instance (ledger name "<label>#<n>"), as a host that builds a new
    // object per call would. Otherwise one instance per label.
    void SetFreshObjects(bool fresh) noexcept { m_freshObjects = fresh; }

    // Called on every Count of a collection (label "sets" or "items:<set id>",
    // and the 1-based number of that collection's Count calls so far). It may
    // change the model; a returned value replaces the count.
    using CountHook = std::function<std::optional<LONG>(const std::string& label, int number)>;
    void SetCountHook(CountHook hook) { m_countHook = std::move(hook); }

    CFakeFault& FailCall(const std::string& operation, HRESULT hr);
    CFakeFault& NullResult(const std::string& operation);

    // ---- what happened ----
    // Calls of the seven host interfaces, "<label> <Operation>" in order.
    const std::vector<std::string>& Calls() const noexcept { return m_calls; }
    // The same, plus class-factory creation, OleRun, QueryInterface and
    // ISupportErrorInfo calls.
    const std::vector<std::string>& AllCalls() const noexcept { return m_allCalls; }
    // The calls of AllCalls() interleaved with "<ledger name> released" each
    // time an object's count reached zero.
    const std::vector<std::string>& Timeline() const noexcept { return m_timeline; }
    void ClearCalls();

    CFakeLedger& Ledger() noexcept { return m_ledger; }
    const CFakeLedger& Ledger() const noexcept { return m_ledger; }

    // The fake object behind an interface pointer the host handed out, or null.
    template <class I>
    static const CFakeObjectCore* Describe(I* object) noexcept
    {
        return dynamic_cast<const CFakeObjectCore*>(object);
    }

    // ---- used by the fake objects ----
    ULONG AddRefObject(const CFakeObjectCore& object);
    ULONG ReleaseObject(const CFakeObjectCore& object);
    CFakeOutcome Enter(CFakeObjectCore& object, const std::string& operation, const std::string& suffix,
                       bool hostOperation);
    std::optional<LONG> CountHookResult(const std::string& label);
    // The sets of the catalog's list: those not hidden, in list order.
    LONG ListedSetCount() const;
    CFakeSetData* ListedSet(LONG position);  // 1-based; null when out of range
    CFakeSetData* FindSet(const std::string& id);
    CFakeItemData* FindItem(const std::string& id);

    // Each returns one new reference that the caller owns.
    IUnknown* ObtainApplication();
    IHostCatalog* ObtainCatalog();
    IHostMediaSets* ObtainSets();
    IHostMediaSet* ObtainSet(const std::string& id);
    IHostMediaItems* ObtainItems(const std::string& setId);
    IHostMediaItem* ObtainItem(const std::string& id);
    IHostAnnotations* ObtainAnnotations(const std::string& id);
    IClassFactory* NewFactory();

private:
    template <class T, class... A>
    T* Obtain(const std::string& label, A&&... args);
    void Register(CFakeObjectCore& object, const std::string& ledgerName);

    CFakeApplicationData m_application;
    CFakeCatalogData m_catalog;
    std::deque<CFakeSetData> m_sets;
    std::map<std::string, std::size_t> m_setsById;  // a deep hierarchy needs fast lookups
    std::vector<bool> m_hidden;
    std::vector<std::size_t> m_listed;  // positions in m_sets of the sets not hidden
    std::deque<CFakeItemData> m_items;

    bool m_freshObjects = false;
    CountHook m_countHook;
    std::map<std::string, int> m_countCalls;
    std::deque<CFakeFault> m_faults;

    std::vector<std::string> m_calls;
    std::vector<std::string> m_allCalls;
    std::vector<std::string> m_timeline;

    CFakeLedger m_ledger;
    std::vector<std::unique_ptr<CFakeObjectCore>> m_objects;
    std::map<std::string, CFakeObjectCore*> m_shared;
    std::map<std::string, int> m_instanceNumbers;
    int m_errorInfoNumber = 0;
};

// Publishes a fake host as the class factory of the host's class identifier
// with the COM layer for as long as it lives.
class CFakeHostRegistration {
public:
    explicit CFakeHostRegistration(CFakeHost& host);
    CFakeHostRegistration(const CFakeHostRegistration&) = delete;
    CFakeHostRegistration& operator=(const CFakeHostRegistration&) = delete;
    ~CFakeHostRegistration();

private:
    DWORD m_cookie = 0;
    bool m_registered = false;
};
