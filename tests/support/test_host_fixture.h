// The fixture of every test that talks to the host: COM is initialised on
// the test's thread, and when the test body has ended (and with it every
// object the test made) the host's reference ledger must balance.
#pragma once

#include "support/test_host.h"

#include <gtest/gtest.h>

#include <memory>

class CHostTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))); }

    // Publishes the host as the host's class until the test ends.
    void RegisterHost() { m_registration = std::make_unique<CTestHostRegistration>(m_host); }

    void TearDown() override
    {
        m_registration.reset();
        // An error object nobody asked for stays in the thread's slot, as
        // with the real runtime; it is not the code under test's to release.
        IErrorInfo* stale = nullptr;
        if (GetErrorInfo(0, &stale) == S_OK && stale) stale->Release();
        EXPECT_EQ(m_host.Ledger().Problems(), "") << "the reference ledger does not balance";
    }

    CTestHost m_host;
    std::unique_ptr<CTestHostRegistration> m_registration;
};
