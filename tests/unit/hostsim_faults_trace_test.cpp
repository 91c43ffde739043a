// Scripted faults and the call trace of the host stand-in: which call a fault
// hits, what a failed call leaves for the caller's error path, and the exact
// lines a run of calls writes.
#include "hostsim_test_support.h"

#include "host/host_call.h"

#include <csignal>
#include <cstdlib>
#include <string>

namespace {

std::string CatalogWithFaults(const std::string& faults)
{
    return R"({
      "items": [{"id": "photo-7", "keywords": "beach"}, {"id": 8}],
      "sets": [
        {"index": 3, "id": "spring", "name": "Spring", "items": ["photo-7", 8]},
        {"index": 5, "name": "May", "parent": "spring", "items": [8]}
      ],
      "faults": )" + faults + "}";
}

// Reads each set's name through its own object: Name calls on two objects.
std::vector<HRESULT> ReadSetNames(IHostApplication* application, std::vector<bool>* wasNull = nullptr)
{
    CHeld<IHostCatalog> catalog;
    CHeld<IHostMediaSets> sets;
    EXPECT_EQ(application->get_ActiveCatalog(catalog.Put()), S_OK);
    EXPECT_EQ(catalog->get_MediaSets(sets.Put()), S_OK);
    std::vector<HRESULT> results;
    for (LONG position = 1; position <= 2; ++position) {
        CHeld<IHostMediaSet> set;
        EXPECT_EQ(sets->get_Item(position, set.Put()), S_OK);
        CTestBstr name;
        results.push_back(set->get_Name(name.Put()));
        if (wasNull) wasNull->push_back(name.IsNull());
    }
    return results;
}

struct CNthCase {
    const char* name;
    const char* faults;
    std::vector<HRESULT> results;
    std::vector<bool> nulls;
};

class FaultCountTest : public ::testing::TestWithParam<CNthCase> {};

TEST_P(FaultCountTest, TheNthCallOverAllObjectsIsHit)
{
    CHostOverCatalog host(CatalogWithFaults(GetParam().faults));
    CHeld<IHostApplication> application;
    ASSERT_EQ(host.Create(application.Put()), S_OK);
    std::vector<bool> nulls;
    EXPECT_EQ(ReadSetNames(application.Get(), &nulls), GetParam().results);
    EXPECT_EQ(nulls, GetParam().nulls);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultCountTest,
    ::testing::Values(
        CNthCase{"NoFault", "[]", {S_OK, S_OK}, {false, false}},
        CNthCase{"FirstByDefault", R"([{"call": "IHostMediaSet::Name", "hr": "0x80010108"}])",
                 {static_cast<HRESULT>(0x80010108u), S_OK}, {true, false}},
        CNthCase{"SecondObject", R"([{"call": "IHostMediaSet::Name", "nth": 2, "hr": "0x8007000E"}])",
                 {S_OK, E_OUTOFMEMORY}, {false, true}},
        CNthCase{"NullResult", R"([{"call": "IHostMediaSet::Name", "nth": 2, "null": true}])",
                 {S_OK, S_OK}, {false, true}},
        CNthCase{"BeyondTheCalls", R"([{"call": "IHostMediaSet::Name", "nth": 3, "hr": "0x80004005"}])",
                 {S_OK, S_OK}, {false, false}},
        CNthCase{"OtherOperation", R"([{"call": "IHostMediaSet::Index", "hr": "0x80004005"}])",
                 {S_OK, S_OK}, {false, false}},
        CNthCase{"BothCalls", R"([{"call": "IHostMediaSet::Name", "hr": "0x80004005"},
                                  {"call": "IHostMediaSet::Name", "nth": 2, "hr": -2147024809}])",
                 {E_FAIL, E_INVALIDARG}, {true, true}}),
    [](const ::testing::TestParamInfo<CNthCase>& info) { return std::string(info.param.name); });

TEST(FaultTest, NullFaultsGiveNullObjectsEvenWhereThereIsOne)
{
    CHostOverCatalog host(CatalogWithFaults(R"([{"call": "IHostMediaSet::Parent", "null": true},
                                                {"call": "IHostApplication::ActiveCatalog", "nth": 2, "null": true}])"));
    CHeld<IHostApplication> application;
    ASSERT_EQ(host.Create(application.Put()), S_OK);
    CHeld<IHostCatalog> catalog, none;
    CHeld<IHostMediaSets> sets;
    CHeld<IHostMediaSet> may, parent;
    ASSERT_EQ(application->get_ActiveCatalog(catalog.Put()), S_OK);
    ASSERT_EQ(catalog->get_MediaSets(sets.Put()), S_OK);
    ASSERT_EQ(sets->get_Item(2, may.Put()), S_OK);
    EXPECT_EQ(may->get_Parent(parent.Put()), S_OK);
    EXPECT_EQ(parent.Get(), nullptr);
    EXPECT_EQ(may->get_Parent(parent.Put()), S_OK);
    EXPECT_NE(parent.Get(), nullptr) << "only the first call was scripted";
    EXPECT_EQ(application->get_ActiveCatalog(none.Put()), S_OK);
    EXPECT_EQ(none.Get(), nullptr);
}

TEST(FaultTest, CreationFaultsFailOrGiveNothing)
{
    CHostOverCatalog host(CatalogWithFaults(R"([{"call": "CreateInstance", "hr": "0x80080005"},
                                                {"call": "CreateInstance", "nth": 2, "null": true}])"));
    IUnknown* object = nullptr;
    IClassFactory* factory = host.Factory();
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&object)),
              static_cast<HRESULT>(0x80080005u));
    EXPECT_EQ(object, nullptr);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&object)), S_OK);
    EXPECT_EQ(object, nullptr);
    CHeld<IHostApplication> third;
    EXPECT_EQ(host.Create(third.Put()), S_OK);
    EXPECT_NE(third.Get(), nullptr);
    EXPECT_EQ(host.Trace(), std::vector<std::string>{}) << "creation is not an interface call";
}

// In process the host's process is the client's: a fault that ends the host
// kills both at that call, before it has any effect, and the catalog keeps
// what was last saved, here the file as it was.
TEST(FaultDeathTest, AnExitFaultKillsTheProcessAtThatCallWithoutSaving)
{
    CHostOverCatalog host(CatalogWithFaults(R"j([{"call": "IHostAnnotations::Keywords(put)", "nth": 2, "exit": true}])j"));
    const std::string before = ReadFileText(host.CatalogFile());
    const auto putTwice = [&] {
        CHeld<IHostApplication> application;
        CHeld<IHostCatalog> catalog;
        CHeld<IHostMediaSets> sets;
        CHeld<IHostMediaSet> spring;
        CHeld<IHostMediaItems> items;
        CHeld<IHostMediaItem> item;
        CHeld<IHostAnnotations> annotations;
        host.Create(application.Put());
        application->get_ActiveCatalog(catalog.Put());
        catalog->get_MediaSets(sets.Put());
        sets->get_Item(1, spring.Put());
        spring->get_MediaItems(items.Put());
        items->get_Item(1, item.Put());
        item->get_Annotations(annotations.Put());
        CTestBstr first(OLESTR("beach;a")), second(OLESTR("beach;a;b"));
        annotations->put_Keywords(first.Get());
        annotations->put_Keywords(second.Get());
        std::exit(0);
    };
    EXPECT_EXIT(putTwice(), ::testing::KilledBySignal(SIGKILL), "");
    EXPECT_EQ(ReadFileText(host.CatalogFile()), before) << "the changed list was never saved";
    const std::vector<std::string> trace = host.Trace();
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(trace.back(), "annotations:photo-7 IHostAnnotations::Keywords(put)")
        << "the fatal call is traced, the host's last line is not written";
}

TEST(FaultTest, AFailedCallLeavesAnErrorObjectForTheCallWrapper)
{
    CHostOverCatalog host(CatalogWithFaults(R"([{"call": "IHostMediaSets::Item", "nth": 2, "hr": "0x80010108"}])"));
    CHeld<IHostApplication> application;
    ASSERT_EQ(host.Create(application.Put()), S_OK);
    CHeld<IHostCatalog> catalog;
    CHeld<IHostMediaSets> sets;
    ASSERT_EQ(application->get_ActiveCatalog(catalog.Put()), S_OK);
    ASSERT_EQ(catalog->get_MediaSets(sets.Put()), S_OK);
    EXPECT_NO_THROW(HostGetObject<IHostMediaSet>(sets.Get(), &IHostMediaSets::get_Item, LONG{1}));
    try {
        HostGetObject<IHostMediaSet>(sets.Get(), &IHostMediaSets::get_Item, LONG{2});
        FAIL() << "the second Item call is scripted to fail";
    } catch (const _com_error& error) {
        EXPECT_EQ(error.Error(), static_cast<HRESULT>(0x80010108u));
        IErrorInfo* info = error.ErrorInfo();
        ASSERT_NE(info, nullptr);
        GUID guid{};
        EXPECT_EQ(info->GetGUID(&guid), S_OK);
        EXPECT_TRUE(guid == IID_IHostMediaSets);
        BSTR description = nullptr;
        EXPECT_EQ(info->GetDescription(&description), S_OK);
        EXPECT_EQ(WideString(description), OLESTR("IHostMediaSets::Item failed with 0x80010108"));
        SysFreeString(description);
        info->Release();
    }
}

TEST(TraceTest, OneLinePerCallWithLabelsPositionsAndThePut)
{
    CHostOverCatalog host(CatalogWithFaults(R"j([{"call": "IHostAnnotations::Keywords(put)", "hr": "0x80004005"}])j"));
    CHeld<IHostApplication> application;
    ASSERT_EQ(host.Create(application.Put()), S_OK);
    CHeld<IHostCatalog> catalog;
    CHeld<IHostMediaSets> sets;
    CHeld<IHostMediaSet> may, spring;
    CHeld<IHostMediaItems> items;
    CHeld<IHostMediaItem> item;
    CHeld<IHostAnnotations> annotations;
    LONG value = 0;
    CTestBstr text, written(OLESTR("x"));
    application->get_ActiveCatalog(catalog.Put());
    catalog->get_MediaSets(sets.Put());
    sets->get_Count(&value);
    sets->get_Item(2, may.Put());
    may->get_Parent(spring.Put());
    spring->get_MediaItems(items.Put());
    items->get_Item(1, item.Put());
    item->get_Annotations(annotations.Put());
    annotations->get_Keywords(text.Put());
    EXPECT_EQ(annotations->put_Keywords(written.Get()), E_FAIL);
    EXPECT_EQ(annotations->put_Keywords(written.Get()), S_OK);
    // Neither IUnknown, IDispatch nor the placeholders are traced.
    UINT count = 0;
    annotations->GetTypeInfoCount(&count);
    annotations->Reserved47();
    annotations->AddRef();
    annotations->Release();
    sets->get_Item(9, may.Put());

    EXPECT_EQ(host.Trace(), (std::vector<std::string>{
                                "app IHostApplication::ActiveCatalog",
                                "catalog IHostCatalog::MediaSets",
                                "sets IHostMediaSets::Count",
                                "sets IHostMediaSets::Item(2)",
                                "set:5 IHostMediaSet::Parent",
                                "set:spring IHostMediaSet::MediaItems",
                                "items:spring IHostMediaItems::Item(1)",
                                "item:photo-7 IHostMediaItem::Annotations",
                                "annotations:photo-7 IHostAnnotations::Keywords",
                                "annotations:photo-7 IHostAnnotations::Keywords(put)",
                                "annotations:photo-7 IHostAnnotations::Keywords(put)",
                                "sets IHostMediaSets::Item(9)",
                            }));
}

TEST(TraceTest, TheLastLineCountsTheReferencesClientsStillHold)
{
    CHostOverCatalog host(CatalogWithFaults("[]"));
    CHeld<IHostApplication> application;
    CHeld<IHostCatalog> catalog, again;
    ASSERT_EQ(host.Create(application.Put()), S_OK);
    application->get_ActiveCatalog(catalog.Put());
    application->get_ActiveCatalog(again.Put());
    again.Reset();
    host.State().Shutdown();
    host.State().Shutdown();
    const std::vector<std::string> trace = host.Trace();
    ASSERT_EQ(trace.size(), 3u) << "the end is written once";
    EXPECT_EQ(trace.back(), "references held by clients: 2");
}

}  // namespace
