// Attaching to the host's active catalog: the catalog must exist and report
// a non-empty path. What the catalog object holds afterwards decides which
// host reference the driver later gives back.
#include "app/catalog.h"

#include "support/test_host_fixture.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Calls = std::vector<std::string>;

class CatalogOpenTest : public CHostTest {
protected:
    CCountedRef<IHostApplication> Application()
    {
        CCountedRef<IHostApplication> application;
        *application.Put() = m_host.ObtainApplication();
        return application;
    }
};

TEST_F(CatalogOpenTest, AttachesToTheActiveCatalogWhenItHasAPath)
{
    const auto application = Application();
    CCatalog catalog;
    EXPECT_EQ(catalog.Open(application.Get()), S_OK);
    ASSERT_NE(catalog.Get(), nullptr);
    EXPECT_EQ(m_host.Calls(), (Calls{"app IHostApplication::ActiveCatalog", "catalog IHostCatalog::Path"}));
    EXPECT_EQ(m_host.Ledger().References("catalog"), 1);
    EXPECT_EQ(m_host.Ledger().References("app"), 1) << "the application is only borrowed";
}

TEST_F(CatalogOpenTest, NullApplicationIsRefusedWithoutAnyCall)
{
    CCatalog catalog;
    EXPECT_EQ(catalog.Open(nullptr), E_INVALIDARG);
    EXPECT_EQ(catalog.Get(), nullptr);
    EXPECT_TRUE(m_host.Events().empty());
}

struct COpenCase {
    const char* name;
    std::function<void(CTestHost&)> script;
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
const char* const kActiveCatalog = "app IHostApplication::ActiveCatalog";
const char* const kPath = "catalog IHostCatalog::Path";

INSTANTIATE_TEST_SUITE_P(
    Cases, CatalogOpenCaseTest,
    ::testing::Values(
        COpenCase{"NoActiveCatalog", [](CTestHost& h) { h.CloseCatalog(); }, E_FAIL, false, Calls{kActiveCatalog}},
        COpenCase{"ActiveCatalogFails",
                  [](CTestHost& h) { h.FailCall("IHostApplication::ActiveCatalog", kDisconnected); }, kDisconnected,
                  false, Calls{kActiveCatalog}},
        COpenCase{"ActiveCatalogSucceedsWithNull",
                  [](CTestHost& h) { h.NullResult("IHostApplication::ActiveCatalog"); }, E_FAIL, false,
                  Calls{kActiveCatalog}},
        COpenCase{"PathFails", [](CTestHost& h) { h.FailCall("IHostCatalog::Path", kDisconnected); }, kDisconnected,
                  true, Calls{kActiveCatalog, kPath}},
        COpenCase{"PathNull", [](CTestHost& h) { h.Catalog().m_path = std::nullopt; }, E_FAIL, true,
                  Calls{kActiveCatalog, kPath}},
        COpenCase{"PathEmpty", [](CTestHost& h) { h.Catalog().m_path = WideString(); }, E_FAIL, true,
                  Calls{kActiveCatalog, kPath}},
        // The length decides, not the first character.
        COpenCase{"PathOfOneNul", [](CTestHost& h) { h.Catalog().m_path = WideString(1, OLECHAR(0)); }, S_OK, true,
                  Calls{kActiveCatalog, kPath}},
        COpenCase{"PathOfOneCharacter", [](CTestHost& h) { h.Catalog().m_path = WideString(OLESTR("x")); }, S_OK,
                  true, Calls{kActiveCatalog, kPath}}),
    [](const ::testing::TestParamInfo<COpenCase>& info) { return info.param.name; });

TEST_F(CatalogOpenTest, OpeningAgainGivesBackTheHeldCatalogBeforeAskingForTheActiveOne)
{
    const auto application = Application();
    CCatalog catalog;
    ASSERT_EQ(catalog.Open(application.Get()), S_OK);
    const std::string first = m_host.LedgerName(catalog.Get());
    ASSERT_EQ(first, "catalog#1");
    m_host.ClearCalls();
    m_host.FailCall("IHostApplication::ActiveCatalog", E_FAIL);
    EXPECT_EQ(catalog.Open(application.Get()), E_FAIL);
    EXPECT_EQ(catalog.Get(), nullptr);
    const Calls timeline = m_host.Events();
    ASSERT_GE(timeline.size(), 2u);
    EXPECT_EQ(timeline[0], first + " released");
    EXPECT_EQ(timeline[1], kActiveCatalog);
}

TEST_F(CatalogOpenTest, ReopeningKeepsExactlyOneCountOnTheNewCatalog)
{
    const auto application = Application();
    CCatalog catalog;
    ASSERT_EQ(catalog.Open(application.Get()), S_OK);
    ASSERT_EQ(catalog.Open(application.Get()), S_OK);
    EXPECT_EQ(m_host.Ledger().References("catalog#1"), 0);
    EXPECT_EQ(m_host.Ledger().References("catalog#2"), 1);
}

}  // namespace
