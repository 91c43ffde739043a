// Rebuilding the hierarchy from the host's flat list: the host calls in their
// exact order, the count read again before every item, maps in signed index
// order, skipped sets only as ancestors, the last of several sets with one
// index, and a failed load that keeps only its complete nodes.
#include "fakes/fake_host_fixture.h"
#include "fakes/tree_shape.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Calls = std::vector<std::string>;
using Names = std::vector<std::string>;

class MediaSetLoadTest : public CFakeHostTest {
protected:
    // Set A (3) and set B (5) below it.
    void AddExample()
    {
        m_host.AddSet(3, WideString(OLESTR("A")));
        m_host.AddSet(5, WideString(OLESTR("B")), 3);
    }
};

const Calls kExampleLoad = {
    "catalog MediaSets",
    "sets Count", "sets Item(1)", "set:3 Index",
    "sets Count", "sets Item(2)", "set:5 Index",
    "sets Count",
    "set:3 IsSkipped", "set:3 Index", "set:3 Parent",
    "set:5 IsSkipped", "set:5 Index", "set:5 Parent", "set:3 Index", "set:3 Parent",
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
    EXPECT_EQ(m_host.Calls(), (Calls{"catalog MediaSets", "sets Count"}));
    EXPECT_TRUE(tree.Roots().empty());
}

TEST_F(MediaSetLoadTest, NegativeCountMeansNoSets)
{
    AddExample();
    m_host.SetCountHook([](const std::string&, int) { return std::optional<LONG>(-1); });
    CMediaSetTree tree;
    EXPECT_EQ(LoadFromHost(m_host, tree), S_OK);
    EXPECT_EQ(m_host.Calls(), (Calls{"catalog MediaSets", "sets Count"}));
}

TEST_F(MediaSetLoadTest, FollowsACountThatGrowsWhileTheListIsRead)
{
    AddExample();
    m_host.AddSet(8, WideString(OLESTR("late")));
    m_host.SetHidden("8", true);
    m_host.SetCountHook([&](const std::string&, int number) {
        if (number == 2) m_host.SetHidden("8", false);
        return std::optional<LONG>();
    });
    CMediaSetTree tree;
    EXPECT_EQ(LoadFromHost(m_host, tree), S_OK);
    EXPECT_EQ(TreeShape(tree), "3(5) 8");
    const Calls& calls = m_host.Calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "sets Count"), 4);
}

TEST_F(MediaSetLoadTest, FollowsACountThatShrinksWhileTheListIsRead)
{
    AddExample();
    m_host.AddSet(8, WideString(OLESTR("gone")));
    m_host.SetCountHook([&](const std::string&, int number) {
        if (number == 2) m_host.SetHidden("8", true);
        return std::optional<LONG>();
    });
    CMediaSetTree tree;
    EXPECT_EQ(LoadFromHost(m_host, tree), S_OK);
    EXPECT_EQ(TreeShape(tree), "3(5)");
    const Calls& calls = m_host.Calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "sets Count"), 3);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "sets Item(3)"), 0);
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
    EXPECT_EQ(skippedAsked, (Calls{"set:-2147483648 IsSkipped", "set:-9 IsSkipped", "set:-2 IsSkipped",
                                   "set:0 IsSkipped", "set:5 IsSkipped", "set:7 IsSkipped",
                                   "set:2147483647 IsSkipped"}));
}

TEST_F(MediaSetLoadTest, SkippedSetsStartNoChainButBecomeNodesAsAncestors)
{
    m_host.AddSet(1, WideString(OLESTR("R"))).skipped = VARIANT_TRUE;
    m_host.AddSet(4, WideString(OLESTR("A")), 1).skipped = VARIANT_TRUE;
    m_host.AddSet(2, WideString(OLESTR("B")), 4);
    m_host.AddSet(6, WideString(OLESTR("alone"))).skipped = VARIANT_TRUE;
    CMediaSetTree tree;
    ASSERT_EQ(LoadFromHost(m_host, tree), S_OK);
    EXPECT_EQ(TreeShape(tree), "1(4(2))");
    const Calls secondPass(m_host.Calls().begin() + 14, m_host.Calls().end());
    EXPECT_EQ(secondPass, (Calls{"set:1 IsSkipped", "set:2 IsSkipped", "set:2 Index", "set:2 Parent", "set:4 Index",
                                 "set:4 Parent", "set:1 Index", "set:1 Parent", "set:4 IsSkipped",
                                 "set:6 IsSkipped"}));
    EXPECT_EQ(m_host.Ledger().References("set:6"), 0);
}

class MediaSetSkippedValueTest : public MediaSetLoadTest, public ::testing::WithParamInterface<VARIANT_BOOL> {};

TEST_P(MediaSetSkippedValueTest, AnyNonZeroValueSkips)
{
    m_host.AddSet(1).skipped = GetParam();
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
    EXPECT_EQ(CFakeHost::Describe(tree.Roots().at(3)->MediaSet().Get())->Label(), "set:3c");
    EXPECT_EQ(m_host.Ledger().References("set:3"), 0);
    EXPECT_EQ(m_host.Ledger().References("set:3b"), 0);
    // The earlier ones are given back during the first pass, as they are replaced.
    const Names& zeroes = m_host.Ledger().ZeroOrder();
    ASSERT_GE(zeroes.size(), 2u);
    EXPECT_EQ(Names(zeroes.begin(), zeroes.begin() + 2), (Names{"set:3", "set:3b"}));
}

TEST_F(MediaSetLoadTest, NodesHoldTheObjectsOfTheListNotThoseOfTheParentLinks)
{
    m_host.SetFreshObjects(true);
    AddExample();
    CMediaSetTree tree;
    ASSERT_EQ(LoadFromHost(m_host, tree), S_OK);
    const CMediaSetNode& a = *tree.Roots().at(3);
    const CMediaSetNode& b = *a.Children().at(5);
    EXPECT_EQ(CFakeHost::Describe(a.MediaSet().Get())->Origin(), "sets Item(1)");
    EXPECT_EQ(CFakeHost::Describe(b.MediaSet().Get())->Origin(), "sets Item(2)");
}

TEST_F(MediaSetLoadTest, ChainsAreNotSharedBetweenSets)
{
    m_host.AddSet(1);
    m_host.AddSet(2, WideString(), 1);
    m_host.AddSet(3, WideString(), 1);
    CMediaSetTree tree;
    ASSERT_EQ(LoadFromHost(m_host, tree), S_OK);
    EXPECT_EQ(TreeShape(tree), "1(2 3)");
    const Calls& calls = m_host.Calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "set:1 Parent"), 3);
}

TEST_F(MediaSetLoadTest, LoadDestroysTheOldTreeBeforeAskingTheHost)
{
    AddExample();
    CMediaSetTree tree;
    ASSERT_EQ(LoadFromHost(m_host, tree), S_OK);
    m_host.ClearCalls();
    m_host.FailCall("MediaSets", E_FAIL);
    EXPECT_EQ(LoadFromHost(m_host, tree), E_FAIL);
    EXPECT_TRUE(tree.Roots().empty()) << "the old tree is cleared even when the load then fails";
    const Calls& timeline = m_host.Timeline();
    ASSERT_GE(timeline.size(), 3u);
    EXPECT_EQ(Calls(timeline.begin(), timeline.begin() + 3),
              (Calls{"set:5 released", "set:3 released", "catalog MediaSets"}));
}

// ---- failures ----

class MediaSetLoadEveryCallTest : public MediaSetLoadTest, public ::testing::WithParamInterface<int> {};

TEST_P(MediaSetLoadEveryCallTest, FailureAtAnyHostCallEndsTheLoadKeepingCompleteNodes)
{
    const int failing = GetParam();
    const HRESULT failure = static_cast<HRESULT>(0x80010108u);
    AddExample();
    m_host.FailCall("*", failure).Nth(failing);
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
    m_host.NullResult(GetParam().operation).Every();
    CMediaSetTree tree;
    EXPECT_EQ(LoadFromHost(m_host, tree), GetParam().expected);
    EXPECT_EQ(TreeShape(tree), GetParam().shape);
}

INSTANTIATE_TEST_SUITE_P(
    Getters, MediaSetLoadNullTest,
    ::testing::Values(CNullCase{"MediaSets", "MediaSets", E_POINTER, ""},
                      CNullCase{"Item", "Item", E_POINTER, ""},
                      // A set whose parent comes back empty is a top-level set.
                      CNullCase{"Parent", "Parent", S_OK, "3 5"}),
    [](const ::testing::TestParamInfo<CNullCase>& info) { return info.param.name; });

TEST_F(MediaSetLoadTest, NullCatalogFailsWithPointerError)
{
    CMediaSetTree tree;
    EXPECT_EQ(tree.Load(nullptr), E_POINTER);
    EXPECT_TRUE(m_host.AllCalls().empty());
}

struct CCycleCase {
    const char* name;
    std::function<void(CFakeHost&)> build;
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
    ::testing::Values(CCycleCase{"OwnParent", [](CFakeHost& h) { h.AddSet(4, WideString(), 4); }, ""},
                      CCycleCase{"TwoSets",
                                 [](CFakeHost& h) {
                                     h.AddSet(3, WideString(), 5);
                                     h.AddSet(5, WideString(), 3);
                                 },
                                 ""},
                      CCycleCase{"BehindAGoodSet",
                                 [](CFakeHost& h) {
                                     h.AddSet(1);
                                     h.AddSet(2, WideString(), 1);
                                     h.AddSet(7, WideString(), 9);
                                     h.AddSet(8, WideString(), 7);
                                     h.AddSet(9, WideString(), 8);
                                 },
                                 "1(2)"},
                      CCycleCase{"AboveTheStartingSet",
                                 [](CFakeHost& h) {
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
        m_host.Ledger().ClearZeroOrder();
    }
    const Names& zeroes = m_host.Ledger().ZeroOrder();
    ASSERT_EQ(zeroes.size(), static_cast<std::size_t>(kDepth));
    EXPECT_EQ(zeroes.front(), "set:10000");
    EXPECT_EQ(zeroes.back(), "set:1");
}

}  // namespace
