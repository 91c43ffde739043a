// Attaching to the host's active catalog: the catalog must exist and report
// a non-empty path. What the catalog object holds afterwards decides which
// host reference the driver later gives back.
#include "app/catalog.h"

#include "fakes/fake_host_fixture.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Calls = std::vector<std::string>;

class CatalogOpenTest : public CFakeHostTest {
protected:
    CCountedRef<IHostApplication> Application()
    {
        CCountedRef<IHostApplication> application;
        application.Attach(static_cast<IHostApplication*>(m_host.ObtainApplication()));
        return application;
    }
};

TEST_F(CatalogOpenTest, AttachesToTheActiveCatalogWhenItHasAPath)
{
    const auto application = Application();
    CCatalog catalog;
    EXPECT_EQ(catalog.Open(application.Get()), S_OK);
    ASSERT_NE(catalog.Get(), nullptr);
    EXPECT_EQ(m_host.Calls(), (Calls{"app ActiveCatalog", "catalog Path"}));
    EXPECT_EQ(m_host.Ledger().References("catalog"), 1);
    EXPECT_EQ(m_host.Ledger().References("app"), 1) << "the application is only borrowed";
}

TEST_F(CatalogOpenTest, NullApplicationIsRefusedWithoutAnyCall)
{
    CCatalog catalog;
    EXPECT_EQ(catalog.Open(nullptr), E_INVALIDARG);
    EXPECT_EQ(catalog.Get(), nullptr);
    EXPECT_TRUE(m_host.AllCalls().empty());
}

struct COpenCase {
    const char* name;
    std::function<void(CFakeHost&)> script;
    HRESULT expected;
    bool holdsCatalog;
    Calls calls;
};

class CatalogOpenCaseTest : public CatalogOpenTest, public ::testing::WithParamInterface<COpenCase> {};

TEST_P(CatalogOpenCaseTest, ResultAndHeldCatalogFollowTheFailure)
{
    GetParam().script(m_host);
    const auto application = Application();
    {
        CCatalog catalog;
        EXPECT_EQ(catalog.Open(application.Get()), GetParam().expected);
        EXPECT_EQ(catalog.Get() != nullptr, GetParam().holdsCatalog);
        EXPECT_EQ(m_host.Ledger().References("catalog"), GetParam().holdsCatalog ? 1 : 0);
        EXPECT_EQ(m_host.Calls(), GetParam().calls);
    }
    EXPECT_EQ(m_host.Ledger().References("catalog"), 0) << "destruction gives the catalog back";
}

const HRESULT kDisconnected = static_cast<HRESULT>(0x80010108u);

INSTANTIATE_TEST_SUITE_P(
    Cases, CatalogOpenCaseTest,
    ::testing::Values(
        COpenCase{"NoActiveCatalog", [](CFakeHost& h) { h.Application().hasCatalog = false; }, E_FAIL, false,
                  Calls{"app ActiveCatalog"}},
        COpenCase{"ActiveCatalogFails", [](CFakeHost& h) { h.FailCall("ActiveCatalog", kDisconnected); },
                  kDisconnected, false, Calls{"app ActiveCatalog"}},
        COpenCase{"ActiveCatalogSucceedsWithNull", [](CFakeHost& h) { h.NullResult("ActiveCatalog"); }, E_FAIL,
                  false, Calls{"app ActiveCatalog"}},
        COpenCase{"PathFails", [](CFakeHost& h) { h.FailCall("Path", kDisconnected); }, kDisconnected, true,
                  Calls{"app ActiveCatalog", "catalog Path"}},
        COpenCase{"PathNull", [](CFakeHost& h) { h.Catalog().path = std::nullopt; }, E_FAIL, true,
                  Calls{"app ActiveCatalog", "catalog Path"}},
        COpenCase{"PathEmpty", [](CFakeHost& h) { h.Catalog().path = WideString(); }, E_FAIL, true,
                  Calls{"app ActiveCatalog", "catalog Path"}},
        // The length decides, not the first character.
        COpenCase{"PathOfOneNul", [](CFakeHost& h) { h.Catalog().path = WideString(1, OLECHAR(0)); }, S_OK, true,
                  Calls{"app ActiveCatalog", "catalog Path"}},
        COpenCase{"PathOfOneCharacter", [](CFakeHost& h) { h.Catalog().path = WideString(OLESTR("x")); }, S_OK,
                  true, Calls{"app ActiveCatalog", "catalog Path"}}),
    [](const ::testing::TestParamInfo<COpenCase>& info) { return info.param.name; });

TEST_F(CatalogOpenTest, OpeningAgainGivesBackTheHeldCatalogBeforeAskingForTheActiveOne)
{
    m_host.SetFreshObjects(true);
    const auto application = Application();
    CCatalog catalog;
    ASSERT_EQ(catalog.Open(application.Get()), S_OK);
    const std::string first = CFakeHost::Describe(catalog.Get())->LedgerName();
    m_host.ClearCalls();
    m_host.FailCall("ActiveCatalog", E_FAIL);
    EXPECT_EQ(catalog.Open(application.Get()), E_FAIL);
    EXPECT_EQ(catalog.Get(), nullptr);
    const Calls& timeline = m_host.Timeline();
    ASSERT_GE(timeline.size(), 2u);
    EXPECT_EQ(timeline[0], first + " released");
    EXPECT_EQ(timeline[1], "app ActiveCatalog");
}

TEST_F(CatalogOpenTest, ReopeningKeepsExactlyOneCountOnTheNewCatalog)
{
    m_host.SetFreshObjects(true);
    const auto application = Application();
    CCatalog catalog;
    ASSERT_EQ(catalog.Open(application.Get()), S_OK);
    ASSERT_EQ(catalog.Open(application.Get()), S_OK);
    EXPECT_EQ(m_host.Ledger().References("catalog#1"), 0);
    EXPECT_EQ(m_host.Ledger().References("catalog#2"), 1);
}

}  // namespace
