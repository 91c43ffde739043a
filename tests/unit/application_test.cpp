// Starting or connecting to the host: create the application object by its
// class, make sure it runs, then ask it for the application interface. Any
// failing step ends the attempt with its HRESULT and leaves nothing held.
#include "app/application.h"

#include "support/test_host_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

namespace {

using Calls = std::vector<std::string>;

class ApplicationOpenTest : public CHostTest {
protected:
    bool Called(const std::string& entry) const
    {
        const Calls all = m_host.Events();
        return std::find(all.begin(), all.end(), entry) != all.end();
    }
    std::ptrdiff_t Position(const std::string& entry) const
    {
        const Calls all = m_host.Events();
        return std::find(all.begin(), all.end(), entry) - all.begin();
    }
};

TEST_F(ApplicationOpenTest, RunsTheHostBeforeAskingForTheApplicationInterface)
{
    m_host.SetRunnable(true);
    CTestHostRegistration registration(m_host);
    CApplication application;
    EXPECT_EQ(application.Open(), S_OK);
    ASSERT_NE(application.Get(), nullptr);
    EXPECT_EQ(m_host.LedgerName(application.Get()), "app#1");
    EXPECT_EQ(m_host.Events().front(), "factory CreateInstance");
    ASSERT_TRUE(Called("app IRunnableObject::Run"));
    ASSERT_TRUE(Called("app IUnknown::QueryInterface(IHostApplication)"));
    EXPECT_LT(Position("app IRunnableObject::Run"), Position("app IUnknown::QueryInterface(IHostApplication)"));
    EXPECT_TRUE(m_host.Calls().empty()) << "opening reads nothing from the host";
    EXPECT_EQ(m_host.Ledger().References("app"), 1) << "only the application interface stays held";
}

TEST_F(ApplicationOpenTest, HostThatIsNotRunnableCountsAsRunning)
{
    m_host.SetRunnable(false);
    CTestHostRegistration registration(m_host);
    CApplication application;
    EXPECT_EQ(application.Open(), S_OK);
    EXPECT_NE(application.Get(), nullptr);
    EXPECT_TRUE(Called("app IUnknown::QueryInterface(IRunnableObject)"));
    EXPECT_FALSE(Called("app IRunnableObject::Run"));
}

TEST_F(ApplicationOpenTest, UnregisteredHostFailsWithClassNotRegisteredAndMakesNoCall)
{
    CApplication application;
    EXPECT_EQ(application.Open(), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(application.Get(), nullptr);
    EXPECT_TRUE(m_host.Events().empty());
}

struct CStepFailure {
    const char* name;
    const char* call;
    HRESULT hr;
    const char* lastCall;  // nothing is asked of the host after it
};

class ApplicationStepFailureTest : public ApplicationOpenTest,
                                   public ::testing::WithParamInterface<CStepFailure> {};

TEST_P(ApplicationStepFailureTest, ReturnsTheFailureAndHoldsNothing)
{
    m_host.SetRunnable(true);
    m_host.FailCall(GetParam().call, GetParam().hr);
    CTestHostRegistration registration(m_host);
    CApplication application;
    EXPECT_EQ(application.Open(), GetParam().hr);
    EXPECT_EQ(application.Get(), nullptr);
    const Calls events = m_host.Events();
    ASSERT_FALSE(events.empty());
    // Nothing is asked of the host after the failing step; what follows it
    // is only the release of what the attempt held.
    const auto last = std::find(events.begin(), events.end(), GetParam().lastCall);
    ASSERT_NE(last, events.end());
    for (auto event = last + 1; event != events.end(); ++event)
        EXPECT_NE(event->find(" released"), std::string::npos) << *event;
    EXPECT_EQ(m_host.Ledger().References("app"), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, ApplicationStepFailureTest,
    ::testing::Values(
        CStepFailure{"Creation", "CreateInstance", static_cast<HRESULT>(0x80080005u), "factory CreateInstance"},
        CStepFailure{"Run", "IRunnableObject::Run", static_cast<HRESULT>(0x80004005u), "app IRunnableObject::Run"},
        CStepFailure{"ApplicationInterface", "IUnknown::QueryInterface(IHostApplication)", E_NOINTERFACE,
                     "app IUnknown::QueryInterface(IHostApplication)"}),
    [](const ::testing::TestParamInfo<CStepFailure>& info) { return info.param.name; });

struct CNullStep {
    const char* name;
    const char* call;
};

class ApplicationNullStepTest : public ApplicationOpenTest, public ::testing::WithParamInterface<CNullStep> {};

TEST_P(ApplicationNullStepTest, SuccessWithoutAnObjectIsStillAFailure)
{
    m_host.NullResult(GetParam().call);
    CTestHostRegistration registration(m_host);
    CApplication application;
    EXPECT_TRUE(FAILED(application.Open()));
    EXPECT_EQ(application.Get(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Steps, ApplicationNullStepTest,
                         ::testing::Values(CNullStep{"Creation", "CreateInstance"},
                                           CNullStep{"ApplicationInterface", "IUnknown::QueryInterface(IHostApplication)"}),
                         [](const ::testing::TestParamInfo<CNullStep>& info) { return info.param.name; });

TEST_F(ApplicationOpenTest, OpeningAgainGivesBackTheHeldApplicationFirst)
{
    CTestHostRegistration registration(m_host);
    CApplication application;
    ASSERT_EQ(application.Open(), S_OK);
    const std::string first = m_host.LedgerName(application.Get());
    ASSERT_EQ(first, "app#1");
    m_host.FailCall("CreateInstance", E_FAIL);
    EXPECT_EQ(application.Open(), E_FAIL);
    EXPECT_EQ(m_host.Ledger().References(first), 0);
    EXPECT_EQ(application.Get(), nullptr);
}

TEST_F(ApplicationOpenTest, ThreadWithoutComFailsBeforeTheHostIsAsked)
{
    CTestHostRegistration registration(m_host);
    HRESULT hr = S_OK;
    std::thread worker([&] {
        CApplication application;
        hr = application.Open();
    });
    worker.join();
    EXPECT_EQ(hr, CO_E_NOTINITIALIZED);
    EXPECT_TRUE(m_host.Events().empty());
}

TEST_F(ApplicationOpenTest, DestructionGivesBackTheApplication)
{
    CTestHostRegistration registration(m_host);
    {
        CApplication application;
        ASSERT_EQ(application.Open(), S_OK);
    }
    EXPECT_EQ(m_host.Ledger().References("app"), 0);
}

}  // namespace
