#include "fakes/fake_objects.h"

#include <string>

namespace {

// A host string crosses at its full length, embedded NULs included.
BSTR AllocText(const FakeText& text)
{
    if (!text) return nullptr;
    return SysAllocStringLen(text->data(), static_cast<UINT>(text->size()));
}

template <class T>
HRESULT ServeValue(const CFakeOutcome& outcome, T* out, T value)
{
    if (outcome.failed) return outcome.hr;
    *out = outcome.nullResult ? T{} : value;
    return S_OK;
}

HRESULT ServeText(const CFakeOutcome& outcome, BSTR* out, const FakeText& text)
{
    if (outcome.failed) return outcome.hr;
    if (outcome.nullResult || !text) return S_OK;
    *out = AllocText(text);
    return *out ? S_OK : E_OUTOFMEMORY;
}

// Interface getters: the object is obtained only when the call succeeds, so
// a failed or null call hands out no reference.
template <class I, class F>
HRESULT ServeObject(const CFakeOutcome& outcome, I** out, F obtain)
{
    if (outcome.failed) return outcome.hr;
    if (outcome.nullResult) return S_OK;
    *out = obtain();
    return S_OK;
}

}  // namespace

// ---- application ----

HRESULT CFakeApplication::GetText(const char* operation, const FakeText& text, BSTR* out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    return ServeText(Serve(operation), out, text);
}

HRESULT CFakeApplication::get_Name(BSTR* name) { return GetText("Name", Host().Application().name, name); }
HRESULT CFakeApplication::get_Version(BSTR* version)
{
    return GetText("Version", Host().Application().version, version);
}
HRESULT CFakeApplication::get_Path(BSTR* path) { return GetText("Path", Host().Application().path, path); }

HRESULT CFakeApplication::get_ActiveCatalog(IHostCatalog** catalog)
{
    if (!catalog) return E_POINTER;
    *catalog = nullptr;
    const CFakeOutcome outcome = Serve("ActiveCatalog");
    if (outcome.failed) return outcome.hr;
    if (outcome.nullResult || !Host().Application().hasCatalog) return S_OK;
    *catalog = Host().ObtainCatalog();
    return S_OK;
}

HRESULT CFakeApplication::GetRunningClass(CLSID* clsid)
{
    if (!clsid) return E_POINTER;
    *clsid = CLSID_LumoraApplication;
    return S_OK;
}

HRESULT CFakeApplication::Run(void*)
{
    const CFakeOutcome outcome = Host().Enter(*this, "Run", std::string(), false);
    return outcome.failed ? outcome.hr : S_OK;
}

void* CFakeApplication::FindMore(REFIID riid)
{
    if (riid == IID_IRunnableObject && Host().Application().runnable) return static_cast<IRunnableObject*>(this);
    return nullptr;
}

// ---- catalog ----

HRESULT CFakeCatalog::get_Index(LONG* index)
{
    if (!index) return E_POINTER;
    *index = 0;
    return ServeValue(Serve("Index"), index, Host().Catalog().index);
}

HRESULT CFakeCatalog::get_Name(BSTR* name)
{
    if (!name) return E_POINTER;
    *name = nullptr;
    return ServeText(Serve("Name"), name, Host().Catalog().name);
}

HRESULT CFakeCatalog::get_Path(BSTR* path)
{
    if (!path) return E_POINTER;
    *path = nullptr;
    return ServeText(Serve("Path"), path, Host().Catalog().path);
}

HRESULT CFakeCatalog::get_MediaSets(IHostMediaSets** sets)
{
    if (!sets) return E_POINTER;
    *sets = nullptr;
    return ServeObject(Serve("MediaSets"), sets, [&] { return Host().ObtainSets(); });
}

// ---- the list of media sets ----

HRESULT CFakeMediaSets::get_Count(LONG* count)
{
    if (!count) return E_POINTER;
    *count = 0;
    const CFakeOutcome outcome = Serve("Count");
    if (outcome.failed) return outcome.hr;
    const std::optional<LONG> replaced = Host().CountHookResult(Label());
    const LONG listed = Host().ListedSetCount();
    return ServeValue(outcome, count, replaced ? *replaced : listed);
}

HRESULT CFakeMediaSets::get_Item(LONG position, IHostMediaSet** set)
{
    if (!set) return E_POINTER;
    *set = nullptr;
    const CFakeOutcome outcome = Serve("Item", "(" + std::to_string(position) + ")");
    if (outcome.failed) return outcome.hr;
    const CFakeSetData* listed = Host().ListedSet(position);
    if (!listed) return E_INVALIDARG;
    return ServeObject(outcome, set, [&] { return Host().ObtainSet(listed->id); });
}

// ---- one media set ----

CFakeSetData& CFakeMediaSet::Data() { return Host().Set(m_id); }

HRESULT CFakeMediaSet::get_Name(BSTR* name)
{
    if (!name) return E_POINTER;
    *name = nullptr;
    return ServeText(Serve("Name"), name, Data().name);
}

HRESULT CFakeMediaSet::get_Index(LONG* index)
{
    if (!index) return E_POINTER;
    *index = 0;
    return ServeValue(Serve("Index"), index, Data().index);
}

HRESULT CFakeMediaSet::get_IsSkipped(VARIANT_BOOL* skipped)
{
    if (!skipped) return E_POINTER;
    *skipped = VARIANT_FALSE;
    return ServeValue(Serve("IsSkipped"), skipped, Data().skipped);
}

HRESULT CFakeMediaSet::get_Level(LONG* level)
{
    if (!level) return E_POINTER;
    *level = 0;
    return ServeValue(Serve("Level"), level, Data().level);
}

HRESULT CFakeMediaSet::get_Parent(IHostMediaSet** parent)
{
    if (!parent) return E_POINTER;
    *parent = nullptr;
    const CFakeOutcome outcome = Serve("Parent");
    if (outcome.failed) return outcome.hr;
    const std::string parentId = Data().parent;
    if (parentId.empty()) return S_OK;
    if (!Host().FindSet(parentId)) return E_UNEXPECTED;  // a model error of the test itself
    return ServeObject(outcome, parent, [&] { return Host().ObtainSet(parentId); });
}

HRESULT CFakeMediaSet::get_MediaItems(IHostMediaItems** items)
{
    if (!items) return E_POINTER;
    *items = nullptr;
    const CFakeOutcome outcome = Serve("MediaItems");
    if (outcome.failed) return outcome.hr;
    if (Data().nullItems) return S_OK;
    return ServeObject(outcome, items, [&] { return Host().ObtainItems(m_id); });
}

// ---- the items of a set ----

HRESULT CFakeMediaItems::get_Count(LONG* count)
{
    if (!count) return E_POINTER;
    *count = 0;
    const CFakeOutcome outcome = Serve("Count");
    if (outcome.failed) return outcome.hr;
    const std::optional<LONG> replaced = Host().CountHookResult(Label());
    const LONG listed = static_cast<LONG>(Host().Set(m_setId).items.size());
    return ServeValue(outcome, count, replaced ? *replaced : listed);
}

HRESULT CFakeMediaItems::get_Item(LONG position, IHostMediaItem** item)
{
    if (!item) return E_POINTER;
    *item = nullptr;
    const CFakeOutcome outcome = Serve("Item", "(" + std::to_string(position) + ")");
    if (outcome.failed) return outcome.hr;
    const std::vector<std::string>& ids = Host().Set(m_setId).items;
    if (position < 1 || static_cast<std::size_t>(position) > ids.size()) return E_INVALIDARG;
    const std::string id = ids[static_cast<std::size_t>(position) - 1];
    return ServeObject(outcome, item, [&] { return Host().ObtainItem(id); });
}

// ---- one item and its annotations ----

HRESULT CFakeMediaItem::get_Annotations(IHostAnnotations** annotations)
{
    if (!annotations) return E_POINTER;
    *annotations = nullptr;
    return ServeObject(Serve("Annotations"), annotations, [&] { return Host().ObtainAnnotations(m_id); });
}

CFakeItemData& CFakeAnnotations::Data() { return Host().Item(m_id); }

HRESULT CFakeAnnotations::get_Keywords(BSTR* keywords)
{
    if (!keywords) return E_POINTER;
    *keywords = nullptr;
    return ServeText(Serve("Keywords"), keywords, Data().keywords);
}

HRESULT CFakeAnnotations::put_Keywords(BSTR keywords)
{
    const CFakeOutcome outcome = Serve("Keywords", "(put)");
    if (outcome.failed) return outcome.hr;
    // The whole BSTR is the new list: every code unit up to its length.
    FakeText stored;
    if (keywords) stored = WideString(keywords, SysStringLen(keywords));
    Data().keywords = stored;
    Data().puts.push_back(stored);
    return S_OK;
}

// ---- class factory ----

HRESULT CFakeFactory::QueryInterface(REFIID riid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
    AddRef();
    *object = static_cast<IClassFactory*>(this);
    return S_OK;
}

ULONG CFakeFactory::AddRef() { return Host().AddRefObject(*this); }
ULONG CFakeFactory::Release() { return Host().ReleaseObject(*this); }

HRESULT CFakeFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    const CFakeOutcome outcome = Host().Enter(*this, "CreateInstance", std::string(), false);
    if (outcome.failed) return outcome.hr;
    if (outcome.nullResult) return S_OK;
    if (outer) return CLASS_E_NOAGGREGATION;
    IUnknown* application = Host().ObtainApplication();
    const HRESULT hr = application->QueryInterface(riid, object);
    application->Release();
    return hr;
}

// ---- error object ----

HRESULT CFakeErrorInfo::QueryInterface(REFIID riid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid != IID_IUnknown && riid != IID_IErrorInfo) return E_NOINTERFACE;
    AddRef();
    *object = static_cast<IErrorInfo*>(this);
    return S_OK;
}

ULONG CFakeErrorInfo::AddRef() { return Host().AddRefObject(*this); }
ULONG CFakeErrorInfo::Release() { return Host().ReleaseObject(*this); }

HRESULT CFakeErrorInfo::GetGUID(GUID* guid)
{
    if (!guid) return E_POINTER;
    *guid = GUID{};
    return S_OK;
}

HRESULT CFakeErrorInfo::GetSource(BSTR* source)
{
    if (!source) return E_POINTER;
    *source = SysAllocString(OLESTR("fake host"));
    return S_OK;
}

HRESULT CFakeErrorInfo::GetDescription(BSTR* description)
{
    if (!description) return E_POINTER;
    *description = SysAllocString(Label().empty() ? OLESTR("") : OLESTR("scripted failure"));
    return S_OK;
}

HRESULT CFakeErrorInfo::GetHelpFile(BSTR* helpFile)
{
    if (!helpFile) return E_POINTER;
    *helpFile = nullptr;
    return S_OK;
}

HRESULT CFakeErrorInfo::GetHelpContext(DWORD* helpContext)
{
    if (!helpContext) return E_POINTER;
    *helpContext = 0;
    return S_OK;
}
