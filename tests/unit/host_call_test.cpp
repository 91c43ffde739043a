// The call wrappers turn every failed host call into the host-call error,
// carrying the failing HRESULT and, only when the failing object vouches for
// it, the error object the host left behind. The error boundary turns both
// kinds of error back into an HRESULT.
#include "host/host_call.h"

#include "support/test_host_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <new>

namespace {

class HostCallTest : public CHostTest {
protected:
    CCountedRef<IHostCatalog> Catalog()
    {
        CCountedRef<IHostCatalog> catalog;
        *catalog.Put() = m_host.ObtainCatalog();
        return catalog;
    }
};

TEST_F(HostCallTest, CallThroughNullReferenceRaisesPointerErrorWithoutCalling)
{
    IHostCatalog* none = nullptr;
    try {
        HostGetValue<LONG>(none, &IHostCatalog::get_Index);
        FAIL() << "no host-call error raised";
    } catch (const _com_error& error) {
        EXPECT_EQ(error.Error(), E_POINTER);
        IErrorInfo* info = error.ErrorInfo();
        EXPECT_EQ(info, nullptr);
        if (info) info->Release();
    }
    EXPECT_TRUE(m_host.Calls().empty());
}

TEST_F(HostCallTest, SuccessfulGettersHandBackTheirValues)
{
    m_host.Catalog().m_index = -7;
    m_host.Catalog().m_name = WideString(OLESTR("Pho\0tos"), 7);
    const CCountedRef<IHostCatalog> catalog = Catalog();
    EXPECT_EQ(HostGetValue<LONG>(catalog.Get(), &IHostCatalog::get_Index), -7);
    const CHostString name = HostGetString(catalog.Get(), &IHostCatalog::get_Name);
    EXPECT_EQ(name.Whole(), WideString(OLESTR("Pho\0tos"), 7));
    {
        const CCountedRef<IHostMediaSets> sets = HostGetObject<IHostMediaSets>(catalog.Get(), &IHostCatalog::get_MediaSets);
        EXPECT_NE(sets.Get(), nullptr);
        EXPECT_EQ(m_host.Ledger().References("sets"), 1) << "the getter's count is owned, not doubled";
    }
    EXPECT_EQ(m_host.Ledger().References("sets"), 0);
    EXPECT_EQ(m_host.Calls(), (std::vector<std::string>{"catalog IHostCatalog::Index", "catalog IHostCatalog::Name",
                                                        "catalog IHostCatalog::MediaSets"}));
}

TEST_F(HostCallTest, ObjectGetterWithArgumentsPassesThemThrough)
{
    m_host.AddSet(4);
    m_host.AddSet(9);
    const CCountedRef<IHostCatalog> catalog = Catalog();
    const auto sets = HostGetObject<IHostMediaSets>(catalog.Get(), &IHostCatalog::get_MediaSets);
    const auto second = HostGetObject<IHostMediaSet>(sets.Get(), &IHostMediaSets::get_Item, LONG{2});
    EXPECT_EQ(HostGetValue<LONG>(second.Get(), &IHostMediaSet::get_Index), 9);
    EXPECT_EQ(m_host.Calls().at(1), "sets IHostMediaSets::Item(2)");
}

struct CErrorObjectCase {
    const char* name;
    HostErrorInfo mode;
    bool attached;
};

class HostCallErrorObjectTest : public HostCallTest, public ::testing::WithParamInterface<CErrorObjectCase> {};

TEST_P(HostCallErrorObjectTest, FailingCallRaisesItsHresultAndAttachesErrorObjectOnlyWhenVouchedFor)
{
    const HRESULT failure = static_cast<HRESULT>(0x80010108u);
    m_host.SetErrorInfo(GetParam().mode);
    m_host.FailCall("IHostCatalog::Path", failure);
    const CCountedRef<IHostCatalog> catalog = Catalog();
    try {
        HostGetString(catalog.Get(), &IHostCatalog::get_Path);
        FAIL() << "no host-call error raised";
    } catch (const _com_error& error) {
        EXPECT_EQ(error.Error(), failure);
        IErrorInfo* info = error.ErrorInfo();
        EXPECT_EQ(info != nullptr, GetParam().attached);
        if (info) info->Release();
    }
}

INSTANTIATE_TEST_SUITE_P(Modes, HostCallErrorObjectTest,
                         ::testing::Values(CErrorObjectCase{"NoErrorObject", HostErrorInfo::NotSet, false},
                                           CErrorObjectCase{"Vouched", HostErrorInfo::Vouched, true},
                                           CErrorObjectCase{"Disowned", HostErrorInfo::Disowned, false},
                                           CErrorObjectCase{"NoSupportInterface", HostErrorInfo::NoInterface,
                                                            false},
                                           CErrorObjectCase{"VouchedButMissing", HostErrorInfo::Missing, false}),
                         [](const ::testing::TestParamInfo<CErrorObjectCase>& info) { return info.param.name; });

TEST_F(HostCallTest, ErrorObjectIsAskedForWithTheIdentifierOfTheCalledInterface)
{
    m_host.SetErrorInfo(HostErrorInfo::Vouched);
    m_host.FailCall("IHostCatalog::Index", E_FAIL);
    const CCountedRef<IHostCatalog> catalog = Catalog();
    EXPECT_THROW(HostGetValue<LONG>(catalog.Get(), &IHostCatalog::get_Index), _com_error);
    const std::vector<std::string> all = m_host.Events();
    EXPECT_NE(std::find(all.begin(), all.end(), "catalog ISupportErrorInfo::InterfaceSupportsErrorInfo(IHostCatalog)"),
              all.end());
}

TEST_F(HostCallTest, CopiesOfTheErrorShareTheErrorObjectAndReleaseItOnce)
{
    m_host.SetErrorInfo(HostErrorInfo::Vouched);
    m_host.FailCall("IHostCatalog::Name", E_FAIL);
    const CCountedRef<IHostCatalog> catalog = Catalog();
    // One count of the test's own outlives the errors, so that its release
    // shows whether they gave back every count they took.
    IErrorInfo* held = nullptr;
    try {
        HostGetString(catalog.Get(), &IHostCatalog::get_Name);
        FAIL() << "no host-call error raised";
    } catch (const _com_error& error) {
        held = error.ErrorInfo();
        _com_error copy(error);
        _com_error assigned(E_FAIL);
        assigned = copy;
        assigned = assigned;
        EXPECT_EQ(assigned.Error(), E_FAIL);
        IErrorInfo* shared = assigned.ErrorInfo();
        EXPECT_EQ(shared, held) << "a copy shares the error object";
        if (shared) shared->Release();
        // An error made with a count of its own, and copies without an error object.
        const _com_error counted(E_FAIL, held, true);
        const _com_error bare(E_POINTER);
        const _com_error bareCopy(bare);
        assigned = bareCopy;
        EXPECT_EQ(assigned.ErrorInfo(), nullptr);
    }
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(held->Release(), 0u) << "the errors and their copies left a count behind";
}

struct CBoundaryCase {
    const char* name;
    std::function<HRESULT()> body;
    HRESULT expected;
};

class HostBoundaryTest : public ::testing::TestWithParam<CBoundaryCase> {};

TEST_P(HostBoundaryTest, TurnsTheBodysOutcomeIntoAnHresult)
{
    EXPECT_EQ(HostBoundary(GetParam().body), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, HostBoundaryTest,
    ::testing::Values(
        CBoundaryCase{"Success", [] { return S_OK; }, S_OK},
        CBoundaryCase{"PositiveStatusPassesThrough", [] { return S_FALSE; }, S_FALSE},
        CBoundaryCase{"ReturnedFailurePassesThrough", [] { return E_INVALIDARG; }, E_INVALIDARG},
        CBoundaryCase{"HostCallError", []() -> HRESULT { throw _com_error(static_cast<HRESULT>(0x800706BAu)); },
                      static_cast<HRESULT>(0x800706BAu)},
        CBoundaryCase{"OutOfMemory", []() -> HRESULT { throw std::bad_alloc(); }, E_OUTOFMEMORY}),
    [](const ::testing::TestParamInfo<CBoundaryCase>& info) { return info.param.name; });

TEST(HostBoundaryFailureTest, HostCallErrorNeverReadsAsSuccess)
{
    EXPECT_TRUE(FAILED(HostBoundary([]() -> HRESULT { throw _com_error(S_OK); })));
    EXPECT_TRUE(FAILED(HostBoundary([]() -> HRESULT { throw _com_error(S_FALSE); })));
}

}  // namespace
