#include "fakes/fake_host.h"

#include "fakes/fake_objects.h"

#include <stdexcept>

std::string FakeInterfaceName(REFIID riid)
{
    struct Known {
        const IID* iid;
        const char* name;
    };
    static const Known known[] = {
        {&IID_IUnknown, "IUnknown"},
        {&IID_IDispatch, "IDispatch"},
        {&IID_ISupportErrorInfo, "ISupportErrorInfo"},
        {&IID_IRunnableObject, "IRunnableObject"},
        {&IID_IClassFactory, "IClassFactory"},
        {&IID_IErrorInfo, "IErrorInfo"},
        {&IID_IHostApplication, "IHostApplication"},
        {&IID_IHostCatalog, "IHostCatalog"},
        {&IID_IHostMediaSets, "IHostMediaSets"},
        {&IID_IHostMediaSet, "IHostMediaSet"},
        {&IID_IHostMediaItems, "IHostMediaItems"},
        {&IID_IHostMediaItem, "IHostMediaItem"},
        {&IID_IHostAnnotations, "IHostAnnotations"},
    };
    for (const Known& k : known)
        if (*k.iid == riid) return k.name;
    return "unknown interface";
}

CFakeHost::CFakeHost() = default;

// The objects go before the ledger they report to.
CFakeHost::~CFakeHost()
{
    m_shared.clear();
    m_objects.clear();
}

// ---- the model ----

CFakeSetData& CFakeHost::AddSet(LONG index, const FakeText& name, std::optional<LONG> parentIndex)
{
    std::string id = std::to_string(index);
    for (char suffix = 'b'; FindSet(id); ++suffix) id = std::to_string(index) + suffix;
    CFakeSetData set;
    set.id = id;
    set.index = index;
    set.name = name;
    if (parentIndex) {
        set.parent = std::to_string(*parentIndex);
        set.level = 2;
    }
    m_setsById[set.id] = m_sets.size();
    m_listed.push_back(m_sets.size());
    m_hidden.push_back(false);
    m_sets.push_back(std::move(set));
    return m_sets.back();
}

CFakeSetData* CFakeHost::FindSet(const std::string& id)
{
    const auto found = m_setsById.find(id);
    return found == m_setsById.end() ? nullptr : &m_sets[found->second];
}

CFakeSetData& CFakeHost::Set(const std::string& id)
{
    CFakeSetData* set = FindSet(id);
    if (!set) throw std::out_of_range("fake host has no set " + id);
    return *set;
}

CFakeItemData& CFakeHost::AddItem(const std::string& id, const FakeText& keywords)
{
    CFakeItemData item;
    item.id = id;
    item.keywords = keywords;
    m_items.push_back(std::move(item));
    return m_items.back();
}

CFakeItemData* CFakeHost::FindItem(const std::string& id)
{
    for (CFakeItemData& item : m_items)
        if (item.id == id) return &item;
    return nullptr;
}

CFakeItemData& CFakeHost::Item(const std::string& id)
{
    CFakeItemData* item = FindItem(id);
    if (!item) throw std::out_of_range("fake host has no item " + id);
    return *item;
}

void CFakeHost::SetHidden(const std::string& id, bool hidden)
{
    const auto found = m_setsById.find(id);
    if (found == m_setsById.end()) throw std::out_of_range("fake host has no set " + id);
    m_hidden[found->second] = hidden;
    m_listed.clear();
    for (std::size_t position = 0; position < m_sets.size(); ++position)
        if (!m_hidden[position]) m_listed.push_back(position);
}

LONG CFakeHost::ListedSetCount() const { return static_cast<LONG>(m_listed.size()); }

CFakeSetData* CFakeHost::ListedSet(LONG position)
{
    if (position < 1 || static_cast<std::size_t>(position) > m_listed.size()) return nullptr;
    return &m_sets[m_listed[static_cast<std::size_t>(position) - 1]];
}

// ---- behaviour ----

CFakeFault& CFakeHost::FailCall(const std::string& operation, HRESULT hr)
{
    m_faults.emplace_back(operation, hr, false);
    return m_faults.back();
}

CFakeFault& CFakeHost::NullResult(const std::string& operation)
{
    m_faults.emplace_back(operation, S_OK, true);
    return m_faults.back();
}

std::optional<LONG> CFakeHost::CountHookResult(const std::string& label)
{
    const int number = ++m_countCalls[label];
    if (!m_countHook) return std::nullopt;
    return m_countHook(label, number);
}

void CFakeHost::ClearCalls()
{
    m_calls.clear();
    m_allCalls.clear();
    m_timeline.clear();
}

ULONG CFakeHost::AddRefObject(const CFakeObjectCore& object)
{
    return static_cast<ULONG>(m_ledger.AddRef(object.LedgerEntry()));
}

ULONG CFakeHost::ReleaseObject(const CFakeObjectCore& object)
{
    const std::size_t zeroes = m_ledger.ZeroOrder().size();
    const ULONG left = static_cast<ULONG>(m_ledger.Release(object.LedgerEntry()));
    if (m_ledger.ZeroOrder().size() != zeroes) m_timeline.push_back(object.LedgerName() + " released");
    return left;
}

CFakeOutcome CFakeHost::Enter(CFakeObjectCore& object, const std::string& operation, const std::string& suffix,
                              bool hostOperation)
{
    const std::string entry = object.Label() + " " + operation + suffix;
    m_allCalls.push_back(entry);
    m_timeline.push_back(entry);
    if (hostOperation) m_calls.push_back(entry);

    // Every matching fault counts the call; the first that fires decides it.
    CFakeFault* fired = nullptr;
    for (CFakeFault& fault : m_faults)
        if (fault.Matches(object.Label(), operation, suffix, hostOperation) && fault.Fires() && !fired)
            fired = &fault;
    if (!fired) return CFakeOutcome{};

    if (fired->ErrorInfoMode() != FakeErrorInfo::None) {
        auto info = std::make_unique<CFakeErrorInfo>(*this, "scripted failure");
        Register(*info, "errorinfo#" + std::to_string(++m_errorInfoNumber));
        IErrorInfo* raw = info.get();
        m_objects.push_back(std::move(info));
        SetErrorInfo(0, raw);
        raw->Release();  // the thread's error slot holds the only count now
    }
    object.m_errorInfo = fired->ErrorInfoMode();
    if (fired->NullResult()) return CFakeOutcome{false, S_OK, true};
    return CFakeOutcome{true, fired->Result(), false};
}

// ---- objects ----

void CFakeHost::Register(CFakeObjectCore& object, const std::string& ledgerName)
{
    object.m_ledgerName = ledgerName;
    object.m_ledgerEntry = m_ledger.Open(ledgerName);
    object.m_origin = m_allCalls.empty() ? std::string() : m_allCalls.back();
}

template <class T, class... A>
T* CFakeHost::Obtain(const std::string& label, A&&... args)
{
    if (!m_freshObjects) {
        auto found = m_shared.find(label);
        if (found != m_shared.end()) {
            T* object = static_cast<T*>(found->second);
            object->AddRef();
            return object;
        }
    }
    auto object = std::make_unique<T>(*this, label, std::forward<A>(args)...);
    T* raw = object.get();
    Register(*raw, m_freshObjects ? label + "#" + std::to_string(++m_instanceNumbers[label]) : label);
    m_objects.push_back(std::move(object));
    if (!m_freshObjects) m_shared[label] = raw;
    return raw;
}

IUnknown* CFakeHost::ObtainApplication()
{
    return static_cast<IHostApplication*>(Obtain<CFakeApplication>("app"));
}

IHostCatalog* CFakeHost::ObtainCatalog() { return Obtain<CFakeCatalog>("catalog"); }

IHostMediaSets* CFakeHost::ObtainSets() { return Obtain<CFakeMediaSets>("sets"); }

IHostMediaSet* CFakeHost::ObtainSet(const std::string& id) { return Obtain<CFakeMediaSet>("set:" + id, id); }

IHostMediaItems* CFakeHost::ObtainItems(const std::string& setId)
{
    return Obtain<CFakeMediaItems>("items:" + setId, setId);
}

IHostMediaItem* CFakeHost::ObtainItem(const std::string& id) { return Obtain<CFakeMediaItem>("item:" + id, id); }

IHostAnnotations* CFakeHost::ObtainAnnotations(const std::string& id)
{
    return Obtain<CFakeAnnotations>("annotations:" + id, id);
}

IClassFactory* CFakeHost::NewFactory()
{
    auto factory = std::make_unique<CFakeFactory>(*this, "factory");
    CFakeFactory* raw = factory.get();
    Register(*raw, "factory");
    m_objects.push_back(std::move(factory));
    return raw;
}

// ---- registration ----

CFakeHostRegistration::CFakeHostRegistration(CFakeHost& host)
{
    IClassFactory* factory = host.NewFactory();
    m_registered = SUCCEEDED(CoRegisterClassObject(CLSID_LumoraApplication, factory, CLSCTX_LOCAL_SERVER,
                                                   REGCLS_MULTIPLEUSE, &m_cookie));
    factory->Release();  // the class registry holds its own count
}

CFakeHostRegistration::~CFakeHostRegistration()
{
    if (m_registered) CoRevokeClassObject(m_cookie);
}
