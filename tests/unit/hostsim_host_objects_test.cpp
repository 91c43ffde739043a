// The host stand-in's object model as a client sees it through the vtables:
// values, null results, collections, the keyword put, and creation of the
// application object from a good, a missing or a broken catalog.
#include "hostsim_test_support.h"

#include "platform/utf8.h"

namespace {

constexpr const char* kCatalog = R"({
  "application": {"name": "Lumora", "version": null, "path": "C:\\Apps\\Lumora"},
  "catalog": {"index": 4, "name": "Trips"},
  "items": [
    {"id": 1, "keywords": "sea\u0000side"},
    {"id": "b", "keywords": null},
    {"id": 3}
  ],
  "sets": [
    {"index": 3, "id": "top", "name": "2007", "hidden": true, "items": [1]},
    {"index": 5, "name": "Trips", "parent": "top", "items": [3, 1, 3], "skipped": 9},
    {"index": -1, "name": null, "items": null}
  ]
})";

class HostObjectsTest : public ::testing::Test {
protected:
    HostObjectsTest() : m_host(kCatalog) { EXPECT_EQ(m_host.Create(m_application.Put()), S_OK); }

    // The listed set at `position`, through catalog and collection.
    void ListedSet(LONG position, IHostMediaSet** set)
    {
        CHeld<IHostCatalog> catalog;
        CHeld<IHostMediaSets> sets;
        ASSERT_EQ(m_application->get_ActiveCatalog(catalog.Put()), S_OK);
        ASSERT_EQ(catalog->get_MediaSets(sets.Put()), S_OK);
        ASSERT_EQ(sets->get_Item(position, set), S_OK);
    }

    void Annotations(LONG setPosition, LONG itemPosition, IHostAnnotations** annotations)
    {
        CHeld<IHostMediaSet> set;
        CHeld<IHostMediaItems> items;
        CHeld<IHostMediaItem> item;
        ListedSet(setPosition, set.Put());
        ASSERT_EQ(set->get_MediaItems(items.Put()), S_OK);
        ASSERT_EQ(items->get_Item(itemPosition, item.Put()), S_OK);
        ASSERT_EQ(item->get_Annotations(annotations), S_OK);
    }

    CHostOverCatalog m_host;
    CHeld<IHostApplication> m_application;
};

TEST_F(HostObjectsTest, ApplicationAndCatalogReportTheFile)
{
    CTestBstr name, version, path, catalogName, catalogPath;
    EXPECT_EQ(m_application->get_Name(name.Put()), S_OK);
    EXPECT_EQ(m_application->get_Version(version.Put()), S_OK);
    EXPECT_EQ(m_application->get_Path(path.Put()), S_OK);
    EXPECT_EQ(name.Whole(), OLESTR("Lumora"));
    EXPECT_TRUE(version.IsNull()) << "null in the file is a null BSTR";
    EXPECT_EQ(path.Whole(), OLESTR("C:\\Apps\\Lumora"));

    CHeld<IHostCatalog> catalog;
    ASSERT_EQ(m_application->get_ActiveCatalog(catalog.Put()), S_OK);
    LONG index = 0;
    EXPECT_EQ(catalog->get_Index(&index), S_OK);
    EXPECT_EQ(index, 4);
    EXPECT_EQ(catalog->get_Name(catalogName.Put()), S_OK);
    EXPECT_EQ(catalogName.Whole(), OLESTR("Trips"));
    EXPECT_EQ(catalog->get_Path(catalogPath.Put()), S_OK);
    EXPECT_EQ(catalogPath.Whole(), FromUtf8(m_host.CatalogFile().string()));
}

TEST_F(HostObjectsTest, HiddenSetsAreLeftOutOfTheListButServeAsParents)
{
    CHeld<IHostCatalog> catalog;
    CHeld<IHostMediaSets> sets;
    ASSERT_EQ(m_application->get_ActiveCatalog(catalog.Put()), S_OK);
    ASSERT_EQ(catalog->get_MediaSets(sets.Put()), S_OK);
    LONG count = 0;
    EXPECT_EQ(sets->get_Count(&count), S_OK);
    EXPECT_EQ(count, 2);

    CHeld<IHostMediaSet> trips, parent, grandparent;
    ASSERT_EQ(sets->get_Item(1, trips.Put()), S_OK);
    LONG index = 0, level = 0;
    VARIANT_BOOL skipped = 0;
    EXPECT_EQ(trips->get_Index(&index), S_OK);
    EXPECT_EQ(trips->get_Level(&level), S_OK);
    EXPECT_EQ(trips->get_IsSkipped(&skipped), S_OK);
    EXPECT_EQ(index, 5);
    EXPECT_EQ(level, 2);
    EXPECT_EQ(skipped, 9) << "an integer is passed on as that VARIANT_BOOL";

    ASSERT_EQ(trips->get_Parent(parent.Put()), S_OK);
    ASSERT_NE(parent.Get(), nullptr);
    CTestBstr name;
    EXPECT_EQ(parent->get_Name(name.Put()), S_OK);
    EXPECT_EQ(name.Whole(), OLESTR("2007"));
    EXPECT_EQ(parent->get_Parent(grandparent.Put()), S_OK);
    EXPECT_EQ(grandparent.Get(), nullptr) << "a top-level set has no parent";
}

struct CPositionCase {
    LONG position;
    HRESULT expected;
};

class CollectionPositionTest : public HostObjectsTest, public ::testing::WithParamInterface<CPositionCase> {};

TEST_P(CollectionPositionTest, PositionsRunFromOneToCount)
{
    CHeld<IHostCatalog> catalog;
    CHeld<IHostMediaSets> sets;
    ASSERT_EQ(m_application->get_ActiveCatalog(catalog.Put()), S_OK);
    ASSERT_EQ(catalog->get_MediaSets(sets.Put()), S_OK);
    CHeld<IHostMediaSet> set;
    EXPECT_EQ(sets->get_Item(GetParam().position, set.Put()), GetParam().expected);
    EXPECT_EQ(set.Get() != nullptr, SUCCEEDED(GetParam().expected));

    CHeld<IHostMediaSet> trips;
    CHeld<IHostMediaItems> items;
    CHeld<IHostMediaItem> item;
    ASSERT_EQ(sets->get_Item(1, trips.Put()), S_OK);
    ASSERT_EQ(trips->get_MediaItems(items.Put()), S_OK);
    // The items of "Trips" are three too (one of them twice), so the same bounds hold.
    EXPECT_EQ(items->get_Item(GetParam().position + 1, item.Put()),
              GetParam().position + 1 <= 3 && GetParam().position + 1 >= 1 ? S_OK : E_INVALIDARG);
}

INSTANTIATE_TEST_SUITE_P(Bounds, CollectionPositionTest,
                         ::testing::Values(CPositionCase{0, E_INVALIDARG}, CPositionCase{1, S_OK},
                                           CPositionCase{2, S_OK}, CPositionCase{3, E_INVALIDARG},
                                           CPositionCase{-2147483647 - 1, E_INVALIDARG}));

TEST_F(HostObjectsTest, ANullItemListGivesNoCollection)
{
    CHeld<IHostMediaSet> set;
    ListedSet(2, set.Put());
    CHeld<IHostMediaItems> items;
    EXPECT_EQ(set->get_MediaItems(items.Put()), S_OK);
    EXPECT_EQ(items.Get(), nullptr);
    CTestBstr name;
    EXPECT_EQ(set->get_Name(name.Put()), S_OK);
    EXPECT_TRUE(name.IsNull());
}

TEST_F(HostObjectsTest, KeywordListsKeepEmbeddedNulsAndNulls)
{
    CHeld<IHostAnnotations> seaside, absent;
    Annotations(1, 2, seaside.Put());  // item 1, listed second in "Trips"
    CTestBstr text;
    EXPECT_EQ(seaside->get_Keywords(text.Put()), S_OK);
    EXPECT_EQ(SysStringLen(text.Get()), 8u);
    EXPECT_EQ(text.Whole(), WideString(OLESTR("sea")) + OLECHAR(0) + OLESTR("side"));

    Annotations(1, 1, absent.Put());  // item 3 has no keywords key
    EXPECT_EQ(absent->get_Keywords(text.Put()), S_OK);
    EXPECT_FALSE(text.IsNull()) << "an absent list is the empty text, not null";
    EXPECT_EQ(SysStringLen(text.Get()), 0u);
}

TEST_F(HostObjectsTest, PutStoresTheWholeTextAndTheItemIsShared)
{
    CHeld<IHostAnnotations> first, again;
    Annotations(1, 1, first.Put());
    Annotations(1, 3, again.Put());  // the same item 3, listed twice
    const WideString list = WideString(OLESTR("a")) + OLECHAR(0) + OLESTR("b;{Root}{\u00E9}");
    CTestBstr written(list), read;
    EXPECT_EQ(first->put_Keywords(written.Get()), S_OK);
    EXPECT_EQ(again->get_Keywords(read.Put()), S_OK);
    EXPECT_EQ(read.Whole(), list);
}

TEST_F(HostObjectsTest, PutRefusesTextTheCatalogCannotHold)
{
    CHeld<IHostAnnotations> annotations;
    Annotations(1, 1, annotations.Put());
    CTestBstr bad(WideString(OLESTR("x")) + OLECHAR(0xDC01)), read;
    EXPECT_EQ(annotations->put_Keywords(bad.Get()), E_INVALIDARG);
    EXPECT_EQ(annotations->get_Keywords(read.Put()), S_OK);
    EXPECT_EQ(read.Whole(), WideString());
    EXPECT_EQ(annotations->put_Keywords(nullptr), S_OK) << "a null BSTR is the empty list";
}

TEST_F(HostObjectsTest, IdentityDispatchAndPlaceholders)
{
    IUnknown* unknown = nullptr;
    ISupportErrorInfo* support = nullptr;
    IDispatch* dispatch = nullptr;
    void* nothing = reinterpret_cast<void*>(1);
    ASSERT_EQ(m_application->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(static_cast<void*>(unknown), static_cast<void*>(m_application.Get()));
    unknown->Release();
    ASSERT_EQ(m_application->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)), S_OK);
    UINT count = 0;
    EXPECT_EQ(dispatch->GetTypeInfoCount(&count), E_NOTIMPL) << "in process nothing dispatches by name";
    dispatch->Release();
    ASSERT_EQ(m_application->QueryInterface(IID_ISupportErrorInfo, reinterpret_cast<void**>(&support)), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IHostApplication), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IHostCatalog), S_FALSE);
    support->Release();
    EXPECT_EQ(m_application->QueryInterface(IID_IHostCatalog, &nothing), E_NOINTERFACE);
    EXPECT_EQ(nothing, nullptr);

    CHeld<IHostCatalog> catalog;
    ASSERT_EQ(m_application->get_ActiveCatalog(catalog.Put()), S_OK);
    EXPECT_EQ(catalog->Reserved7(), E_NOTIMPL);
    EXPECT_EQ(catalog->Reserved29(), E_NOTIMPL);
}

TEST(HostCreationTest, WithoutACatalogTheHostHasNoActiveCatalog)
{
    const auto state = std::make_shared<CHostState>(std::nullopt);
    IClassFactory* factory = new CHostClassFactory(state, nullptr);
    CHeld<IHostApplication> application;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IHostApplication, reinterpret_cast<void**>(application.Put())), S_OK);
    factory->Release();
    CHeld<IHostCatalog> catalog;
    EXPECT_EQ(application->get_ActiveCatalog(catalog.Put()), S_OK);
    EXPECT_EQ(catalog.Get(), nullptr);
    CTestBstr name;
    EXPECT_EQ(application->get_Name(name.Put()), S_OK);
    EXPECT_EQ(name.Whole(), OLESTR("Lumora")) << "the host's own defaults";
}

struct CCreationFailureCase {
    const char* name;
    const char* text;  // null: no file at all
    HRESULT expected;
    const char* problem;
};

class HostCreationFailureTest : public ::testing::TestWithParam<CCreationFailureCase> {};

TEST_P(HostCreationFailureTest, FailsWithOneLineOnStandardError)
{
    CHostOverCatalog host("{}");
    const std::filesystem::path file = host.Folder().Path() / "other.json";
    if (GetParam().text) host.Folder().Write("other.json", GetParam().text);
    const auto state = std::make_shared<CHostState>(std::nullopt);
    IClassFactory* factory = new CHostClassFactory(state, [&](CHostState& s) { return s.ActivateCatalog(file); });
    IUnknown* object = nullptr;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&object)), GetParam().expected);
    const std::string complaint = ::testing::internal::GetCapturedStderr();
    factory->Release();
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(complaint, "lumora-host: " + file.string() + ": " + GetParam().problem + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    BadCatalogs, HostCreationFailureTest,
    ::testing::Values(
        CCreationFailureCase{"Missing", nullptr, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), "no such file"},
        CCreationFailureCase{"Unparsable", "{", HRESULT_FROM_WIN32(ERROR_INVALID_DATA),
                             "not valid JSON: parse error at line 1, column 2: syntax error while parsing object key - unexpected end of input; "
                             "expected string literal"},
        CCreationFailureCase{"BreaksARule", R"({"catalog": []})", HRESULT_FROM_WIN32(ERROR_INVALID_DATA),
                             "catalog: must be an object"}),
    [](const ::testing::TestParamInfo<CCreationFailureCase>& info) { return std::string(info.param.name); });

TEST(HostCreationTest, TheCatalogIsLoadedOnceAndShared)
{
    CHostOverCatalog host(R"({"catalog": {"name": "First"}})");
    CHeld<IHostApplication> first, second;
    ASSERT_EQ(host.Create(first.Put()), S_OK);
    host.Folder().Write("catalog.json", R"({"catalog": {"name": "Changed on disk"}})");
    ASSERT_EQ(host.Create(second.Put()), S_OK);
    CHeld<IHostCatalog> catalog;
    ASSERT_EQ(second->get_ActiveCatalog(catalog.Put()), S_OK);
    CTestBstr name;
    EXPECT_EQ(catalog->get_Name(name.Put()), S_OK);
    EXPECT_EQ(name.Whole(), OLESTR("First"));
}

}  // namespace
