// When the host stand-in saves: a changed catalog once clients have released
// their last reference, and at the host's end; an unchanged one never. Also
// the count of client references, and calls from several threads at once.
#include "hostsim_test_support.h"

#include <thread>

namespace {

// Deliberately not in the host's own layout, so any rewrite shows.
constexpr const char* kCatalog =
    "{\"items\":[{\"id\":1,\"keywords\":\"a\"},{\"id\":2},{\"id\":3},{\"id\":4}],"
    "\"sets\":[{\"index\":1,\"items\":[1,2,3,4]}],  \"other\": [ 1 ]}";

// Opens the annotations of the set's item at `position`.
void OpenAnnotations(IHostApplication* application, LONG position, IHostAnnotations** annotations)
{
    CHeld<IHostCatalog> catalog;
    CHeld<IHostMediaSets> sets;
    CHeld<IHostMediaSet> set;
    CHeld<IHostMediaItems> items;
    CHeld<IHostMediaItem> item;
    ASSERT_EQ(application->get_ActiveCatalog(catalog.Put()), S_OK);
    ASSERT_EQ(catalog->get_MediaSets(sets.Put()), S_OK);
    ASSERT_EQ(sets->get_Item(1, set.Put()), S_OK);
    ASSERT_EQ(set->get_MediaItems(items.Put()), S_OK);
    ASSERT_EQ(items->get_Item(position, item.Put()), S_OK);
    ASSERT_EQ(item->get_Annotations(annotations), S_OK);
}

HRESULT Put(IHostAnnotations* annotations, const WideString& text)
{
    CTestBstr list(text);
    return annotations->put_Keywords(list.Get());
}

TEST(HostLifetimeTest, EveryHandedOutObjectIsOneClientReference)
{
    CHostOverCatalog host(kCatalog);
    CHeld<IHostApplication> application;
    ASSERT_EQ(host.Create(application.Put()), S_OK);
    EXPECT_EQ(host.State().ClientReferences(), 1u);
    CHeld<IHostAnnotations> annotations;
    OpenAnnotations(application.Get(), 1, annotations.Put());
    EXPECT_EQ(host.State().ClientReferences(), 2u) << "everything on the way there was released";
    annotations->AddRef();
    EXPECT_EQ(host.State().ClientReferences(), 3u);
    annotations->Release();
    annotations.Reset();
    application.Reset();
    EXPECT_EQ(host.State().ClientReferences(), 0u);
}

TEST(HostLifetimeTest, AChangedCatalogIsSavedWhenTheLastReferenceGoes)
{
    CHostOverCatalog host(kCatalog);
    int lastReleases = 0;
    host.State().SetLastReleaseHandler([&] { ++lastReleases; });
    CHeld<IHostApplication> application;
    ASSERT_EQ(host.Create(application.Put()), S_OK);
    CHeld<IHostAnnotations> annotations;
    OpenAnnotations(application.Get(), 2, annotations.Put());
    EXPECT_EQ(Put(annotations.Get(), OLESTR("{Root}{1}")), S_OK);
    annotations.Reset();
    EXPECT_EQ(ReadFileText(host.CatalogFile()), kCatalog) << "the application is still held";
    EXPECT_EQ(lastReleases, 0);

    application.Reset();
    EXPECT_EQ(lastReleases, 1);
    const nlohmann::ordered_json saved = nlohmann::ordered_json::parse(ReadFileText(host.CatalogFile()));
    EXPECT_EQ(saved["items"][1]["keywords"], "{Root}{1}");
    EXPECT_EQ(saved["other"], nlohmann::ordered_json::array({1}));

    // Saved once: the end of the host finds nothing left to write.
    host.Folder().Write("catalog.json", "sentinel");
    host.State().Shutdown();
    EXPECT_EQ(ReadFileText(host.CatalogFile()), "sentinel");
}

TEST(HostLifetimeTest, AnUnchangedCatalogIsNeverWritten)
{
    CHostOverCatalog host(kCatalog);
    {
        CHeld<IHostApplication> application;
        ASSERT_EQ(host.Create(application.Put()), S_OK);
        CHeld<IHostAnnotations> annotations;
        OpenAnnotations(application.Get(), 1, annotations.Put());
        CTestBstr list;
        EXPECT_EQ(annotations->get_Keywords(list.Put()), S_OK);
        EXPECT_EQ(Put(annotations.Get(), list.Whole()), S_OK) << "writing back the same list changes nothing";
    }
    host.State().Shutdown();
    EXPECT_EQ(ReadFileText(host.CatalogFile()), kCatalog);
    EXPECT_EQ(host.Folder().Names().size(), 2u) << "the catalog and the trace, no temporary file";
}

TEST(HostLifetimeTest, TheHostsEndSavesWhatLeakedReferencesKeptUnsaved)
{
    CHostOverCatalog host(kCatalog);
    CHeld<IHostApplication> application;
    ASSERT_EQ(host.Create(application.Put()), S_OK);
    CHeld<IHostAnnotations> annotations;
    OpenAnnotations(application.Get(), 3, annotations.Put());
    EXPECT_EQ(Put(annotations.Get(), OLESTR("kept")), S_OK);
    host.State().Shutdown();
    EXPECT_NE(ReadFileText(host.CatalogFile()).find("\"kept\""), std::string::npos);
    EXPECT_EQ(host.Trace().back(), "references held by clients: 2");
}

TEST(HostLifetimeTest, CallsFromSeveralThreadsAreServedOneAtATime)
{
    CHostOverCatalog host(kCatalog);
    CHeld<IHostApplication> application;
    ASSERT_EQ(host.Create(application.Put()), S_OK);
    std::vector<std::thread> threads;
    for (LONG position = 1; position <= 4; ++position) {
        threads.emplace_back([&application, position] {
            for (int round = 0; round < 50; ++round) {
                CHeld<IHostAnnotations> annotations;
                OpenAnnotations(application.Get(), position, annotations.Put());
                CTestBstr list;
                annotations->get_Keywords(list.Put());
                Put(annotations.Get(), list.Whole() + OLESTR("x"));
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    application.Reset();
    EXPECT_EQ(host.State().ClientReferences(), 0u);
    const nlohmann::ordered_json saved = nlohmann::ordered_json::parse(ReadFileText(host.CatalogFile()));
    EXPECT_EQ(saved["items"][0]["keywords"], "a" + std::string(50, 'x'));
    EXPECT_EQ(saved["items"][3]["keywords"], std::string(50, 'x'));
    EXPECT_EQ(host.Trace().size(), 4u * 50u * 8u) << "one line per call, none lost or torn";
}

}  // namespace
