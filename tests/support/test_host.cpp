#include "support/test_host.h"

#include "model/host_class_factory.h"
#include "model/host_objects.h"

#include <stdexcept>

namespace {

OptionalText Text(const OLECHAR* text) { return WideString(text); }

}  // namespace

CTestHost::CTestHost() : m_state(std::make_shared<CHostState>(CHostState::CForTests()))
{
    CCatalogContent content;
    content.m_application.m_name = Text(OLESTR("Lumora"));
    content.m_application.m_version = Text(OLESTR("3.1"));
    content.m_application.m_path = Text(OLESTR("C:\\Apps\\Lumora"));
    content.m_catalog.m_index = 1;
    content.m_catalog.m_name = Text(OLESTR("Photos"));
    content.m_catalog.m_path = Text(OLESTR("D:\\Archive\\Photos"));
    m_state->ActivateCatalog(std::move(content));
}

CTestHost::~CTestHost() = default;

CCatalogContent& CTestHost::Content()
{
    CCatalogContent* content = m_state->EditableCatalogLocked();
    if (!content) throw std::logic_error("the test host's catalog was closed");
    return *content;
}

CApplicationRecord& CTestHost::Application() { return Content().m_application; }

CCatalogRecord& CTestHost::Catalog() { return Content().m_catalog; }

CMediaSetRecord& CTestHost::AddSet(LONG index, const OptionalText& name, std::optional<LONG> parentIndex)
{
    CCatalogContent& content = Content();
    std::string id = std::to_string(index);
    for (char suffix = 'b'; m_setsById.count(id) != 0; ++suffix) id = std::to_string(index) + suffix;
    const std::size_t position = content.m_sets.size();
    CMediaSetRecord set;
    set.m_id = id;
    set.m_index = index;
    set.m_name = name;
    content.m_sets.push_back(std::move(set));
    m_setsById[id] = position;
    content.m_listedSets.push_back(position);
    // Children that named this id before it existed find their parent now.
    const auto waiting = m_waitingForParent.equal_range(id);
    for (auto child = waiting.first; child != waiting.second; ++child) content.m_sets[child->second].m_parent = position;
    m_waitingForParent.erase(waiting.first, waiting.second);
    if (parentIndex) {
        SetParent(id, std::to_string(*parentIndex));
        content.m_sets[position].m_level = 2;
    }
    return content.m_sets[position];
}

std::size_t CTestHost::SetPosition(const std::string& id) const
{
    const auto found = m_setsById.find(id);
    if (found == m_setsById.end()) throw std::out_of_range("the test host has no set " + id);
    return found->second;
}

CMediaSetRecord& CTestHost::Set(const std::string& id) { return Content().m_sets[SetPosition(id)]; }

void CTestHost::SetParent(const std::string& id, const std::string& parentId)
{
    const std::size_t position = SetPosition(id);
    CMediaSetRecord& set = Content().m_sets[position];
    for (auto waiting = m_waitingForParent.begin(); waiting != m_waitingForParent.end();)
        waiting = waiting->second == position ? m_waitingForParent.erase(waiting) : std::next(waiting);
    set.m_parent.reset();
    if (parentId.empty()) return;
    const auto parent = m_setsById.find(parentId);
    if (parent == m_setsById.end()) m_waitingForParent.emplace(parentId, position);
    else set.m_parent = parent->second;
}

void CTestHost::SetHidden(const std::string& id, bool hidden)
{
    Set(id).m_hidden = hidden;
    RelistSets();
}

void CTestHost::RelistSets()
{
    CCatalogContent& content = Content();
    content.m_listedSets.clear();
    for (std::size_t position = 0; position < content.m_sets.size(); ++position)
        if (!content.m_sets[position].m_hidden) content.m_listedSets.push_back(position);
}

CMediaItemRecord& CTestHost::AddItem(const std::string& id, const OptionalText& keywords)
{
    CCatalogContent& content = Content();
    if (m_itemsById.count(id) != 0) throw std::logic_error("the test host already has an item " + id);
    m_itemsById[id] = content.m_items.size();
    content.m_items.push_back(CMediaItemRecord{id, keywords});
    return content.m_items.back();
}

std::size_t CTestHost::ItemPosition(const std::string& id) const
{
    const auto found = m_itemsById.find(id);
    if (found == m_itemsById.end()) throw std::out_of_range("the test host has no item " + id);
    return found->second;
}

CMediaItemRecord& CTestHost::Item(const std::string& id) { return Content().m_items[ItemPosition(id)]; }

void CTestHost::SetItems(const std::string& setId, std::initializer_list<const char*> itemIds)
{
    std::vector<std::size_t> items;
    for (const char* id : itemIds) items.push_back(ItemPosition(id));
    Set(setId).m_items = std::move(items);
}

void CTestHost::CloseCatalog()
{
    m_state->CloseCatalogLocked();
}

void CTestHost::FailCall(const std::string& operation, HRESULT hr, int nth, const std::string& label)
{
    CFaultRule rule;
    rule.m_operation = operation;
    rule.m_nth = static_cast<std::uint64_t>(nth);
    rule.m_hresult = hr;
    rule.m_label = label;
    m_state->AddFaultLocked(rule);
}

void CTestHost::NullResult(const std::string& operation, int nth, const std::string& label)
{
    CFaultRule rule;
    rule.m_operation = operation;
    rule.m_nth = static_cast<std::uint64_t>(nth);
    rule.m_returnsNull = true;
    rule.m_label = label;
    m_state->AddFaultLocked(rule);
}

void CTestHost::SetErrorInfo(HostErrorInfo mode) { m_state->SetErrorInfoLocked(mode); }

void CTestHost::SetRunnable(bool runnable) { m_state->SetRunnableLocked(runnable); }

void CTestHost::SetCountHook(CountHook hook)
{
    if (!hook) {
        m_state->SetCountHookLocked(nullptr);
        return;
    }
    m_state->SetCountHookLocked([this, hook = std::move(hook)](CCatalogContent&, const std::string& label, int number) {
        return hook(*this, label, number);
    });
}

std::vector<std::string> CTestHost::Calls() const { return m_state->TraceLinesLocked(); }

std::vector<std::string> CTestHost::Events() const { return Ledger().Events(); }

void CTestHost::ClearCalls()
{
    m_state->ClearTraceLocked();
    Ledger().ClearEvents();
}

std::vector<WideString> CTestHost::Writes(const std::string& itemId) const
{
    const std::size_t item = ItemPosition(itemId);
    std::vector<WideString> writes;
    for (const auto& write : Ledger().Writes())
        if (write.first == item) writes.push_back(write.second);
    return writes;
}

const CHostLedger& CTestHost::Ledger() const { return *m_state->LedgerLocked(); }

CHostLedger& CTestHost::Ledger() { return *m_state->LedgerLocked(); }

std::string CTestHost::LedgerName(IUnknown* object) const { return Ledger().NameOf(object); }

IHostApplication* CTestHost::ObtainApplication()
{
    std::lock_guard<std::mutex> lock(m_state->Mutex());
    return new CHostApplicationObject(m_state);
}

IHostCatalog* CTestHost::ObtainCatalog()
{
    std::lock_guard<std::mutex> lock(m_state->Mutex());
    return new CHostCatalogObject(m_state);
}

IHostMediaSet* CTestHost::ObtainSet(const std::string& id)
{
    const std::size_t position = SetPosition(id);
    std::lock_guard<std::mutex> lock(m_state->Mutex());
    return new CHostMediaSetObject(m_state, position);
}

IHostAnnotations* CTestHost::ObtainAnnotations(const std::string& itemId)
{
    const std::size_t position = ItemPosition(itemId);
    std::lock_guard<std::mutex> lock(m_state->Mutex());
    return new CHostAnnotationsObject(m_state, position);
}

IClassFactory* CTestHost::NewFactory() { return new CHostClassFactory(m_state, nullptr); }

CTestHostRegistration::CTestHostRegistration(CTestHost& host)
{
    IClassFactory* factory = host.NewFactory();
    m_registered = SUCCEEDED(
        CoRegisterClassObject(CLSID_LumoraApplication, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &m_cookie));
    factory->Release();
}

CTestHostRegistration::~CTestHostRegistration()
{
    if (m_registered) CoRevokeClassObject(m_cookie);
}
