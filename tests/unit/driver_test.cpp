// The run end to end, in process, against the host stand-in: every way out of
// the driver with its message, its exit value and the report written before
// it, and every host reference given back in the reverse order of creation.
#include "app/driver.h"

#include "support/console_capture.h"
#include "support/example_listing.h"
#include "support/test_host_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <functional>

namespace {

using Calls = std::vector<std::string>;

const char* const kApplicationBlock =
    "Application Name: Lumora\n"
    "Application Version: 3.1\n"
    "Application Path: C:\\Apps\\Lumora\n";
const char* const kCatalogBlock =
    "Catalog Index: 1\n"
    "Catalog Name: Photos\n"
    "Catalog Path: D:\\Archive\\Photos\n";
const OLECHAR* const kCatalogPath = OLESTR("D:\\Archive\\Photos");

struct CRun {
    HRESULT hr = E_UNEXPECTED;
    std::string out;
    std::string err;
};

class DriverTest : public CHostTest {
protected:
    // The example catalog: set A (3) with set B (5) below it.
    void SetUp() override
    {
        CHostTest::SetUp();
        m_host.AddItem("1", WideString(OLESTR("beach")));
        m_host.AddItem("2");
        m_host.AddSet(3, WideString(OLESTR("A")));
        m_host.AddSet(5, WideString(OLESTR("B")), 3);
        m_host.SetItems("3", {"1", "2"});
        m_host.SetItems("5", {"2"});
        RegisterHost();
    }

    CRun Run(std::vector<const OLECHAR*> arguments)
    {
        CRun run;
        const CCapturedConsole console = CaptureConsole(
            [&] { run.hr = RunQuillfen(static_cast<int>(arguments.size()), arguments.data()); });
        run.out = console.out;
        run.err = console.err;
        return run;
    }
    CRun Run(const OLECHAR* catalog = kCatalogPath) { return Run({OLESTR("quillfen"), catalog}); }

    bool Called(const std::string& entry) const
    {
        const Calls calls = m_host.Calls();
        return std::find(calls.begin(), calls.end(), entry) != calls.end();
    }
};

TEST_F(DriverTest, SuccessfulRunWritesTheWholeReportAndTheKeywords)
{
    const CRun run = Run();
    EXPECT_EQ(run.hr, S_OK);
    EXPECT_EQ(run.out, std::string(kApplicationBlock) + kCatalogBlock + kExampleListing);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(m_host.Item("1").m_keywords, WideString(OLESTR("beach;{Root}{A}")));
    EXPECT_EQ(m_host.Item("2").m_keywords, WideString(OLESTR("{Root}{A};{Root}{A}{B}")));
}

TEST_F(DriverTest, RunGivesBackTreeThenCatalogThenApplication)
{
    ASSERT_EQ(Run().hr, S_OK);
    const Calls events = m_host.Events();
    ASSERT_GE(events.size(), 4u);
    EXPECT_EQ(Calls(events.end() - 4, events.end()),
              (Calls{"set:5#1 released", "set:3#1 released", "catalog#1 released", "app#1 released"}));
}

TEST_F(DriverTest, SecondRunOverAnUnchangedCatalogWritesNothing)
{
    ASSERT_EQ(Run().hr, S_OK);
    m_host.ClearCalls();
    ASSERT_EQ(Run().hr, S_OK);
    EXPECT_FALSE(Called("annotations:1 IHostAnnotations::Keywords(put)"));
    EXPECT_FALSE(Called("annotations:2 IHostAnnotations::Keywords(put)"));
    EXPECT_EQ(m_host.Writes("1").size(), 1u);
    EXPECT_EQ(m_host.Writes("2").size(), 2u);
}

struct CUsageCase {
    const char* name;
    std::vector<const OLECHAR*> arguments;
};

class DriverUsageTest : public DriverTest, public ::testing::WithParamInterface<CUsageCase> {};

TEST_P(DriverUsageTest, AnyOtherArgumentCountPrintsOnlyTheUsageLine)
{
    const CRun run = Run(GetParam().arguments);
    EXPECT_EQ(run.hr, E_INVALIDARG);
    EXPECT_EQ(ExitValueFor(run.hr), 0x57);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "Usage: Quillfen.exe CatalogFileName\n");
    EXPECT_TRUE(m_host.Events().empty()) << "the host is never contacted";
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, DriverUsageTest,
    ::testing::Values(CUsageCase{"NoArgument", {OLESTR("quillfen")}},
                      CUsageCase{"TwoArguments", {OLESTR("quillfen"), kCatalogPath, kCatalogPath}},
                      CUsageCase{"ThreeArguments", {OLESTR("quillfen"), OLESTR("a"), OLESTR("b"), OLESTR("c")}}),
    [](const ::testing::TestParamInfo<CUsageCase>& info) { return info.param.name; });

const HRESULT kDisconnected = static_cast<HRESULT>(0x80010108u);
const HRESULT kServerFailed = static_cast<HRESULT>(0x80080005u);

struct CFailureRow {
    const char* name;
    std::function<void(CTestHost&)> script;
    HRESULT hr;
    std::string out;
    std::string err;
};

class DriverFailureTest : public DriverTest, public ::testing::WithParamInterface<CFailureRow> {};

TEST_P(DriverFailureTest, EndsWithItsMessageItsHresultAndTheReportSoFar)
{
    GetParam().script(m_host);
    const CRun run = Run();
    EXPECT_EQ(run.hr, GetParam().hr);
    EXPECT_EQ(run.out, GetParam().out);
    EXPECT_EQ(run.err, GetParam().err);
    EXPECT_NE(ExitValueFor(run.hr), 0) << "a failed run never exits with 0";
}

const std::string kBlocks = std::string(kApplicationBlock) + kCatalogBlock;

INSTANTIATE_TEST_SUITE_P(
    Rows, DriverFailureTest,
    ::testing::Values(
        CFailureRow{"ApplicationCreationFails", [](CTestHost& h) { h.FailCall("CreateInstance", kServerFailed); },
                    kServerFailed, "", "Failed to open application\n"},
        CFailureRow{"ApplicationDoesNotRun", [](CTestHost& h) {
                        h.SetRunnable(true);
                        h.FailCall("IRunnableObject::Run", E_FAIL);
                    }, E_FAIL, "",
                    "Failed to open application\n"},
        CFailureRow{"NoActiveCatalog", [](CTestHost& h) { h.CloseCatalog(); }, E_FAIL,
                    kApplicationBlock, "Failed to open catalog\n"},
        CFailureRow{"ActiveCatalogFails", [](CTestHost& h) { h.FailCall("IHostApplication::ActiveCatalog", kDisconnected); },
                    kDisconnected, kApplicationBlock, "Failed to open catalog\n"},
        CFailureRow{"CatalogPathNull", [](CTestHost& h) { h.Catalog().m_path = std::nullopt; }, E_FAIL,
                    kApplicationBlock, "Failed to open catalog\n"},
        CFailureRow{"CatalogPathEmpty", [](CTestHost& h) { h.Catalog().m_path = WideString(); }, E_FAIL,
                    kApplicationBlock, "Failed to open catalog\n"},
        CFailureRow{"CatalogPathFails", [](CTestHost& h) { h.FailCall("IHostCatalog::Path", kDisconnected, 1, "catalog"); },
                    kDisconnected, kApplicationBlock, "Failed to open catalog\n"},
        CFailureRow{"CatalogDiffers",
                    [](CTestHost& h) { h.Catalog().m_path = WideString(OLESTR("D:\\Archive\\Other")); }, E_FAIL,
                    std::string(kApplicationBlock) +
                        "Catalog Index: 1\nCatalog Name: Photos\nCatalog Path: D:\\Archive\\Other\n",
                    "Active catalog does not match requested catalog\n"},
        CFailureRow{"CatalogDiffersInAccentedCase",
                    [](CTestHost& h) { h.Catalog().m_path = WideString(OLESTR("D:\\Archive\\\u00C9t\u00E9")); },
                    E_FAIL,
                    std::string(kApplicationBlock) +
                        "Catalog Index: 1\nCatalog Name: Photos\nCatalog Path: D:\\Archive\\\xC3\x89t\xC3\xA9\n",
                    "Active catalog does not match requested catalog\n"},
        // The check reads the path a third time; its failure ends the run
        // with the host's HRESULT and no message.
        CFailureRow{"CheckCannotReadThePath",
                    [](CTestHost& h) { h.FailCall("IHostCatalog::Path", kDisconnected, 3, "catalog"); }, kDisconnected,
                    kBlocks, ""},
        CFailureRow{"LoadFails", [](CTestHost& h) { h.FailCall("IHostMediaSet::Parent", kDisconnected); }, kDisconnected, kBlocks,
                    "Failed to load media sets\n"},
        CFailureRow{"LoadMeetsACycle", [](CTestHost& h) { h.SetParent("3", "5"); },
                    HRESULT_FROM_WIN32(ERROR_CIRCULAR_DEPENDENCY), kBlocks, "Failed to load media sets\n"},
        CFailureRow{"KeywordPassFails", [](CTestHost& h) { h.FailCall("IHostAnnotations::Keywords(put)", kDisconnected, 2); },
                    kDisconnected, kBlocks + kExampleListing, "Failed to add keywords\n"}),
    [](const ::testing::TestParamInfo<CFailureRow>& info) { return info.param.name; });

TEST_F(DriverTest, UnregisteredHostFailsToOpenTheApplication)
{
    m_registration.reset();
    const CRun run = Run();
    EXPECT_EQ(run.hr, REGDB_E_CLASSNOTREG);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "Failed to open application\n");
}

TEST_F(DriverTest, ThreadAlreadyInAnotherApartmentFailsToInitializeCom)
{
    // A fresh thread that has already joined a single-threaded apartment
    // cannot join the multithreaded one.
    CRun run;
    std::thread([&] {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
        run = Run();
    }).join();
    EXPECT_EQ(run.hr, RPC_E_CHANGED_MODE);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "Failed to initialize COM\n");
    EXPECT_TRUE(m_host.Calls().empty());
}

TEST_F(DriverTest, MismatchChangesNoKeywordAndBuildsNoTree)
{
    ASSERT_EQ(Run(OLESTR("D:\\Archive\\Photos\\")).hr, E_FAIL);
    EXPECT_FALSE(Called("catalog IHostCatalog::MediaSets"));
    EXPECT_TRUE(m_host.Writes("1").empty());
}

TEST_F(DriverTest, ArgumentDifferingOnlyInAsciiCasePasses)
{
    const CRun run = Run(OLESTR("d:\\ARCHIVE\\photos"));
    EXPECT_EQ(run.hr, S_OK);
    EXPECT_EQ(run.err, "");
}

TEST_F(DriverTest, KeywordPassFailureKeepsTheWritesMadeBeforeIt)
{
    m_host.FailCall("IHostAnnotations::Keywords(put)", kDisconnected, 2);
    ASSERT_EQ(Run().hr, kDisconnected);
    EXPECT_EQ(m_host.Item("1").m_keywords, WideString(OLESTR("beach;{Root}{A}")));
    EXPECT_EQ(m_host.Item("2").m_keywords, WideString());
}

struct CSilentFailure {
    const char* name;
    std::function<void(CTestHost&)> script;
    std::string out;
};

class DriverSilentPrintFailureTest : public DriverTest, public ::testing::WithParamInterface<CSilentFailure> {};

TEST_P(DriverSilentPrintFailureTest, PrintFailureNeitherStopsTheRunNorChangesItsResult)
{
    GetParam().script(m_host);
    const CRun run = Run();
    EXPECT_EQ(run.hr, S_OK);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, GetParam().out);
    EXPECT_EQ(m_host.Item("2").m_keywords, WideString(OLESTR("{Root}{A};{Root}{A}{B}")))
        << "the keyword pass still runs";
}

INSTANTIATE_TEST_SUITE_P(
    Prints, DriverSilentPrintFailureTest,
    ::testing::Values(
        CSilentFailure{"ApplicationBlock", [](CTestHost& h) { h.FailCall("IHostApplication::Version", E_FAIL); },
                       std::string("Application Name: Lumora\n") + kCatalogBlock + kExampleListing},
        CSilentFailure{"CatalogBlock", [](CTestHost& h) { h.FailCall("IHostCatalog::Index", E_FAIL, 1, "catalog"); },
                       std::string(kApplicationBlock) + kExampleListing},
        CSilentFailure{"Listing", [](CTestHost& h) { h.FailCall("IHostMediaSet::Level", E_FAIL, 1, "set:5"); },
                       kBlocks +
                           "Media Set Root Entries: 1\nMedia Set Index: 3\nMedia Set Name: A\nMedia Set Level: 1\n"
                           "Media Set Parent: None\nMedia Set Children: 1\nMedia Set Index: 5\nMedia Set Name: B\n"}),
    [](const ::testing::TestParamInfo<CSilentFailure>& info) { return info.param.name; });

TEST_F(DriverTest, EmptyCatalogListsNoRootsAndSucceeds)
{
    m_host.SetHidden("3", true);
    m_host.SetHidden("5", true);
    const CRun run = Run();
    EXPECT_EQ(run.hr, S_OK);
    EXPECT_EQ(run.out, kBlocks + "Media Set Root Entries: 0\n");
}

struct CExitCase {
    const char* name;
    HRESULT hr;
    int exit;
};

class ExitValueTest : public ::testing::TestWithParam<CExitCase> {};

TEST_P(ExitValueTest, ShellSeesZeroOnlyForSuccess) { EXPECT_EQ(ExitValueFor(GetParam().hr), GetParam().exit); }

INSTANTIATE_TEST_SUITE_P(
    Results, ExitValueTest,
    ::testing::Values(CExitCase{"Success", S_OK, 0}, CExitCase{"PositiveStatus", S_FALSE, 0},
                      CExitCase{"Fail", E_FAIL, 5}, CExitCase{"InvalidArgument", E_INVALIDARG, 0x57},
                      CExitCase{"Cycle", HRESULT_FROM_WIN32(ERROR_CIRCULAR_DEPENDENCY), 0x23},
                      CExitCase{"LowByteZero", static_cast<HRESULT>(0x80040100u), 1},
                      CExitCase{"ClassNotRegistered", REGDB_E_CLASSNOTREG, 0x54}),
    [](const ::testing::TestParamInfo<CExitCase>& info) { return info.param.name; });

}  // namespace
