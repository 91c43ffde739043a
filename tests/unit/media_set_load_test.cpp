// Rebuilding the hierarchy from the host's flat list: the host calls in their
// exact order, the count read again before every item, maps in signed index
// order, skipped sets only as ancestors, the last of several sets with one
// index, and a failed load that keeps only its complete nodes.
#include "support/test_host_fixture.h"
#include "support/traced_call_fault.h"
#include "support/tree_shape.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Calls = std::vector<std::string>;
using Names = std::vector<std::string>;

class MediaSetLoadTest : public CHostTest {
protected:
    // Set A (3) and set B (5) below it.
    void AddExample()
    {
        m_host.AddSet(3, WideString(OLESTR("A")));
        m_host.AddSet(5, WideString(OLESTR("B")), 3);
    }
};

const Calls kExampleLoad = {
    "catalog IHostCatalog::MediaSets",
    "sets IHostMediaSets::Count", "sets IHostMediaSets::Item(1)", "set:3 IHostMediaSet::Index",
    "sets IHostMediaSets::Count", "sets IHostMediaSets::Item(2)", "set:5 IHostMediaSet::Index",
    "sets IHostMediaSets::Count",
    "set:3 IHostMediaSet::IsSkipped", "set:3 IHostMediaSet::Index", "set:3 IHostMediaSet::Parent",
    "set:5 IHostMediaSet::IsSkipped", "set:5 IHostMediaSet::Index", "set:5 IHostMediaSet::Parent",
    "set:3 IHostMediaSet::Index", "set:3 IHostMediaSet::Parent",
};

TEST_F(MediaSetLoadTest, AsksTheHostInTheDocumentedOrder)
{
    AddExample();
    CMediaSetTree tree;
    EXPECT_EQ(LoadFromHost(m_host, tree), S_OK);
    EXPECT_EQ(m_host.Calls(), kExampleLoad);
    EXPECT_EQ(TreeShape(tree), "3(5)");
    EXPECT_TRUE(ParentLinksConsistent(tree));
}

TEST_F(MediaSetLoadTest, ReleasesAllWorkingReferencesWhenDone)
{
    AddExample();
    CMediaSetTree tree;
    ASSERT_EQ(LoadFromHost(m_host, tree), S_OK);
    EXPECT_EQ(m_host.Ledger().References("sets"), 0);
    EXPECT_EQ(m_host.Ledger().References("set:3"), 1);
    EXPECT_EQ(m_host.Ledger().References("set:5"), 1);
}

TEST_F(MediaSetLoadTest, EmptyCatalogReadsTheCountOnceAndBuildsNothing)
{
    CMediaSetTree tree;
    EXPECT_EQ(LoadFromHost(m_host, tree), S_OK);
    EXPECT_EQ(m_host.Calls(), (Calls{"catalog IHostCatalog::MediaSets", "sets IHostMediaSets::Count"}));
    EXPECT_TRUE(tree.Roots().empty());
}

TEST_F(MediaSetLoadTest, NegativeCountMeansNoSets)
{
    AddExample();
    m_host.SetCountHook([](CTestHost&, const std::string&, int) { return std::optional<LONG>(-1); });
    CMediaSetTree tree;
    EXPECT_EQ(LoadFromHost(m_host, tree), S_OK);
    EXPECT_EQ(m_host.Calls(), (Calls{"catalog IHostCatalog::MediaSets", "sets IHostMediaSets::Count"}));
}

TEST_F(MediaSetLoadTest, FollowsACountThatGrowsWhileTheListIsRead)
{
    AddExample();
    m_host.AddSet(8, WideString(OLESTR("late")));
    m_host.SetHidden("8", true);
    m_host.SetCountHook([](CTestHost& host, const std::string&, int number) {
        if (number == 2) host.SetHidden("8", false);
        return std::optional<LONG>();
    });
    CMediaSetTree tree;
    EXPECT_EQ(LoadFromHost(m_host, tree), S_OK);
    EXPECT_EQ(TreeShape(tree), "3(5) 8");
    const Calls calls = m_host.Calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "sets IHostMediaSets::Count"), 4);
}

TEST_F(MediaSetLoadTest, FollowsACountThatShrinksWhileTheListIsRead)
{
    AddExample();
    m_host.AddSet(8, WideString(OLESTR("gone")));
    m_host.SetCountHook([](CTestHost& host, const std::string&, int number) {
        if (number == 2) host.SetHidden("8", true);
        return std::optional<LONG>();
    });
    CMediaSetTree tree;
    EXPECT_EQ(LoadFromHost(m_host, tree), S_OK);
    EXPECT_EQ(TreeShape(tree), "3(5)");
    const Calls calls = m_host.Calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "sets IHostMediaSets::Count"), 3);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "sets IHostMediaSets::Item(3)"), 0);
}

TEST_F(MediaSetLoadTest, MapsAreOrderedBySignedIndex)
{
    m_host.AddSet(5);
    m_host.AddSet(-2);
    m_host.AddSet(0);
    m_host.AddSet(2147483647);
    m_host.AddSet(-2147483647 - 1);
    m_host.AddSet(7, WideString(), 0);
    m_host.AddSet(-9, WideString(), 0);
    CMediaSetTree tree;
    ASSERT_EQ(LoadFromHost(m_host, tree), S_OK);
    EXPECT_EQ(TreeShape(tree), "-2147483648 -2 0(-9 7) 5 2147483647");
    Calls skippedAsked;
    for (const std::string& call : m_host.Calls())
        if (call.find("IsSkipped") != std::string::npos) skippedAsked.push_back(call);
    EXPECT_EQ(skippedAsked,
              (Calls{"set:-2147483648 IHostMediaSet::IsSkipped", "set:-9 IHostMediaSet::IsSkipped",
                     "set:-2 IHostMediaSet::IsSkipped", "set:0 IHostMediaSet::IsSkipped",
                     "set:5 IHostMediaSet::IsSkipped", "set:7 IHostMediaSet::IsSkipped",
                     "set:2147483647 IHostMediaSet::IsSkipped"}));
}

TEST_F(MediaSetLoadTest, SkippedSetsStartNoChainButBecomeNodesAsAncestors)
{
    m_host.AddSet(1, WideString(OLESTR("R"))).m_skipped = VARIANT_TRUE;
    m_host.AddSet(4, WideString(OLESTR("A")), 1).m_skipped = VARIANT_TRUE;
    m_host.AddSet(2, WideString(OLESTR("B")), 4);
    m_host.AddSet(6, WideString(OLESTR("alone"))).m_skipped = VARIANT_TRUE;
    CMediaSetTree tree;
    ASSERT_EQ(LoadFromHost(m_host, tree), S_OK);
    EXPECT_EQ(TreeShape(tree), "1(4(2))");
    const Calls calls = m_host.Calls();
    ASSERT_GE(calls.size(), 14u);
    const Calls secondPass(calls.begin() + 14, calls.end());
    EXPECT_EQ(secondPass,
              (Calls{"set:1 IHostMediaSet::IsSkipped", "set:2 IHostMediaSet::IsSkipped", "set:2 IHostMediaSet::Index",
                     "set:2 IHostMediaSet::Parent", "set:4 IHostMediaSet::Index", "set:4 IHostMediaSet::Parent",
                     "set:1 IHostMediaSet::Index", "set:1 IHostMediaSet::Parent", "set:4 IHostMediaSet::IsSkipped",
                     "set:6 IHostMediaSet::IsSkipped"}));
    EXPECT_EQ(m_host.Ledger().References("set:6"), 0);
}

class MediaSetSkippedValueTest : public MediaSetLoadTest, public ::testing::WithParamInterface<VARIANT_BOOL> {};

TEST_P(MediaSetSkippedValueTest, AnyNonZeroValueSkips)
{
    m_host.AddSet(1).m_skipped = GetParam();
    m_host.AddSet(2);
    CMediaSetTree tree;
    ASSERT_EQ(LoadFromHost(m_host, tree), S_OK);
    EXPECT_EQ(TreeShape(tree), "2");
}

INSTANTIATE_TEST_SUITE_P(Values, MediaSetSkippedValueTest,
                         ::testing::Values(VARIANT_BOOL{-1}, VARIANT_BOOL{1}, VARIANT_BOOL{2}, VARIANT_BOOL{0x7FFF},
                                           static_cast<VARIANT_BOOL>(-32768)));

TEST_F(MediaSetLoadTest, SetListedBeforeItsParentIsPlacedTheSame)
{
    m_host.AddSet(5, WideString(OLESTR("B")), 3);
    m_host.AddSet(3, WideString(OLESTR("A")));
    CMediaSetTree tree;
    ASSERT_EQ(LoadFromHost(m_host, tree), S_OK);
    EXPECT_EQ(TreeShape(tree), "3(5)");
    EXPECT_TRUE(ParentLinksConsistent(tree));
}

TEST_F(MediaSetLoadTest, OfSeveralSetsWithOneIndexTheLastListedRemains)
{
    m_host.AddSet(3, WideString(OLESTR("first")));
    m_host.AddSet(3, WideString(OLESTR("second")));  // id "3b"
    m_host.AddSet(3, WideString(OLESTR("third")));   // id "3c"
    CMediaSetTree tree;
    ASSERT_EQ(LoadFromHost(m_host, tree), S_OK);
    ASSERT_EQ(TreeShape(tree), "3");
    EXPECT_EQ(m_host.LedgerName(tree.Roots().at(3)->MediaSet().Get()), "set:3c#1");
    EXPECT_EQ(m_host.Ledger().References("set:3"), 0);
    EXPECT_EQ(m_host.Ledger().References("set:3b"), 0);
    // The earlier ones are given back during the first pass, as they are replaced.
    const Names zeroes = m_host.Ledger().ZeroOrder();
    ASSERT_GE(zeroes.size(), 2u);
    EXPECT_EQ(Names(zeroes.begin(), zeroes.begin() + 2), (Names{"set:3", "set:3b"}));
}

TEST_F(MediaSetLoadTest, NodesHoldTheObjectsOfTheListNotThoseOfTheParentLinks)
{
    AddExample();
    CMediaSetTree tree;
    ASSERT_EQ(LoadFromHost(m_host, tree), S_OK);
    const CMediaSetNode& a = *tree.Roots().at(3);
    const CMediaSetNode& b = *a.Children().at(5);
    // The host hands out a new object per call, numbered per set: the first
    // of each came from the list (sets Item(1), Item(2)); B's Parent link
    // gave A's second, which the load let go.
    EXPECT_EQ(m_host.LedgerName(a.MediaSet().Get()), "set:3#1");
    EXPECT_EQ(m_host.LedgerName(b.MediaSet().Get()), "set:5#1");
}

TEST_F(MediaSetLoadTest, ChainsAreNotSharedBetweenSets)
{
    m_host.AddSet(1);
    m_host.AddSet(2, WideString(), 1);
    m_host.AddSet(3, WideString(), 1);
    CMediaSetTree tree;
    ASSERT_EQ(LoadFromHost(m_host, tree), S_OK);
    EXPECT_EQ(TreeShape(tree), "1(2 3)");
    const Calls calls = m_host.Calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "set:1 IHostMediaSet::Parent"), 3);
}

TEST_F(MediaSetLoadTest, LoadDestroysTheOldTreeBeforeAskingTheHost)
{
    AddExample();
    CMediaSetTree tree;
    ASSERT_EQ(LoadFromHost(m_host, tree), S_OK);
    m_host.ClearCalls();
    m_host.FailCall("IHostCatalog::MediaSets", E_FAIL);
    EXPECT_EQ(LoadFromHost(m_host, tree), E_FAIL);
    EXPECT_TRUE(tree.Roots().empty()) << "the old tree is cleared even when the load then fails";
    const Calls events = m_host.Events();
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(Calls(events.begin(), events.begin() + 3),
              (Calls{"set:5#1 released", "set:3#1 released", "catalog IHostCatalog::MediaSets"}));
}

// ---- failures ----

class MediaSetLoadEveryCallTest : public MediaSetLoadTest, public ::testing::WithParamInterface<int> {};

TEST_P(MediaSetLoadEveryCallTest, FailureAtAnyHostCallEndsTheLoadKeepingCompleteNodes)
{
    const int failing = GetParam();
    const HRESULT failure = static_cast<HRESULT>(0x80010108u);
    AddExample();
    FailTracedCall(m_host, kExampleLoad, static_cast<std::size_t>(failing), failure);
    {
        CMediaSetTree tree;
        EXPECT_EQ(LoadFromHost(m_host, tree), failure);
        EXPECT_EQ(m_host.Calls(), Calls(kExampleLoad.begin(), kExampleLoad.begin() + failing))
            << "nothing is asked after the failing call";
        // The chain of 3 is complete once its last Parent came back empty.
        EXPECT_EQ(TreeShape(tree), failing <= 11 ? "" : "3");
        EXPECT_EQ(m_host.Ledger().References("sets"), 0);
        EXPECT_EQ(m_host.Ledger().References("set:5"), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Calls, MediaSetLoadEveryCallTest, ::testing::Range(1, 17));

struct CNullCase {
    const char* name;
    const char* operation;
    HRESULT expected;
    const char* shape;
};

class MediaSetLoadNullTest : public MediaSetLoadTest, public ::testing::WithParamInterface<CNullCase> {};

TEST_P(MediaSetLoadNullTest, NullResultOfAGetter)
{
    AddExample();
    m_host.NullResult(GetParam().operation, 0);
    CMediaSetTree tree;
    EXPECT_EQ(LoadFromHost(m_host, tree), GetParam().expected);
    EXPECT_EQ(TreeShape(tree), GetParam().shape);
}

INSTANTIATE_TEST_SUITE_P(
    Getters, MediaSetLoadNullTest,
    ::testing::Values(CNullCase{"MediaSets", "IHostCatalog::MediaSets", E_POINTER, ""},
                      CNullCase{"Item", "IHostMediaSets::Item", E_POINTER, ""},
                      // A set whose parent comes back empty is a top-level set.
                      CNullCase{"Parent", "IHostMediaSet::Parent", S_OK, "3 5"}),
    [](const ::testing::TestParamInfo<CNullCase>& info) { return info.param.name; });

TEST_F(MediaSetLoadTest, NullCatalogFailsWithPointerError)
{
    CMediaSetTree tree;
    EXPECT_EQ(tree.Load(nullptr), E_POINTER);
    EXPECT_TRUE(m_host.Events().empty());
}

struct CCycleCase {
    const char* name;
    std::function<void(CTestHost&)> build;
    const char* kept;
};

class MediaSetLoadCycleTest : public MediaSetLoadTest, public ::testing::WithParamInterface<CCycleCase> {};

TEST_P(MediaSetLoadCycleTest, ParentChainThatNeverEndsFailsTheLoad)
{
    GetParam().build(m_host);
    CMediaSetTree tree;
    EXPECT_EQ(LoadFromHost(m_host, tree), HRESULT_FROM_WIN32(ERROR_CIRCULAR_DEPENDENCY));
    EXPECT_EQ(TreeShape(tree), GetParam().kept);
    EXPECT_LT(m_host.Calls().size(), 100u) << "the climb stops";
}

INSTANTIATE_TEST_SUITE_P(
    Cycles, MediaSetLoadCycleTest,
    ::testing::Values(CCycleCase{"OwnParent", [](CTestHost& h) { h.AddSet(4, WideString(), 4); }, ""},
                      CCycleCase{"TwoSets",
                                 [](CTestHost& h) {
                                     h.AddSet(3, WideString(), 5);
                                     h.AddSet(5, WideString(), 3);
                                 },
                                 ""},
                      CCycleCase{"BehindAGoodSet",
                                 [](CTestHost& h) {
                                     h.AddSet(1);
                                     h.AddSet(2, WideString(), 1);
                                     h.AddSet(7, WideString(), 9);
                                     h.AddSet(8, WideString(), 7);
                                     h.AddSet(9, WideString(), 8);
                                 },
                                 "1(2)"},
                      CCycleCase{"AboveTheStartingSet",
                                 [](CTestHost& h) {
                                     h.AddSet(2, WideString(), 3);
                                     h.AddSet(3, WideString(), 4);
                                     h.AddSet(4, WideString(), 3);
                                 },
                                 ""}),
    [](const ::testing::TestParamInfo<CCycleCase>& info) { return info.param.name; });

TEST_F(MediaSetLoadTest, AncestorMissingFromTheListGetsANodeWithoutASet)
{
    m_host.AddSet(9, WideString(OLESTR("hidden")));
    m_host.SetHidden("9", true);
    m_host.AddSet(5, WideString(OLESTR("B")), 9);
    CMediaSetTree tree;
    EXPECT_EQ(LoadFromHost(m_host, tree), S_OK);
    EXPECT_EQ(TreeShape(tree), "9*(5)");
    EXPECT_TRUE(ParentLinksConsistent(tree));
    EXPECT_EQ(m_host.Ledger().References("set:9"), 0) << "the parent link's object is not kept";
}

TEST_F(MediaSetLoadTest, DeepChainLoadsWithOneClimbAndIsDestroyedWithoutRecursion)
{
    constexpr LONG kDepth = 10000;
    AddDeepChain(m_host, kDepth);
    {
        CMediaSetTree tree;
        ASSERT_EQ(LoadFromHost(m_host, tree), S_OK);
        // First pass 3 calls a set plus 1; second pass one IsSkipped a set and
        // one climb of about two calls a level.
        EXPECT_EQ(m_host.Calls().size(), static_cast<std::size_t>(1 + 3 * kDepth + 1 + kDepth + 2 * kDepth));
        LONG depth = 0;
        const MediaSetNodeMap* level = &tree.Roots();
        const CMediaSetNode* parent = nullptr;
        while (!level->empty()) {
            ASSERT_EQ(level->size(), 1u);
            ASSERT_EQ(level->begin()->first, depth + 1);
            ASSERT_EQ(level->begin()->second->Parent(), parent);
            parent = level->begin()->second.get();
            level = &parent->Children();
            ++depth;
        }
        EXPECT_EQ(depth, kDepth);
        m_host.Ledger().ClearEvents();
    }
    const Names zeroes = m_host.Ledger().ZeroOrder();
    ASSERT_EQ(zeroes.size(), static_cast<std::size_t>(kDepth));
    EXPECT_EQ(zeroes.front(), "set:10000");
    EXPECT_EQ(zeroes.back(), "set:1");
}

}  // namespace
