// The run in process against the host stand-in, for what a run of the
// program cannot show: every host reference given back in the reverse order
// of creation, how often each item is written, what a run asks of the host,
// and the ways out that no catalog file can script (a host that does not run,
// no host registered, a thread in another apartment) with their message,
// exit value and the report written before them. The ways out that a
// catalog can script run end to end in tests/e2e/scenarios on both builds.
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
    ::testing::Values(CUsageCase{"ThreeArguments", {OLESTR("quillfen"), OLESTR("a"), OLESTR("b"), OLESTR("c")}}),
    [](const ::testing::TestParamInfo<CUsageCase>& info) { return info.param.name; });

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

INSTANTIATE_TEST_SUITE_P(
    Rows, DriverFailureTest,
    ::testing::Values(CFailureRow{"ApplicationDoesNotRun",
                                  [](CTestHost& h) {
                                      h.SetRunnable(true);
                                      h.FailCall("IRunnableObject::Run", E_FAIL);
                                  },
                                  E_FAIL, "", "Failed to open application\n"}),
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
    ::testing::Values(CSilentFailure{"CatalogBlock",
                                     [](CTestHost& h) { h.FailCall("IHostCatalog::Index", E_FAIL, 1, "catalog"); },
                                     std::string(kApplicationBlock) + kExampleListing}),
    [](const ::testing::TestParamInfo<CSilentFailure>& info) { return info.param.name; });

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
