// The keyword pass: depth first, each set before its children, every item of
// a set read once and written at most once, the first failure ending the
// whole pass with what was written before it kept. A list is always written
// back whole, whatever it holds.
#include "support/test_host_fixture.h"
#include "support/traced_call_fault.h"
#include "support/tree_shape.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

using Calls = std::vector<std::string>;

WideString W(const OLECHAR* text) { return WideString(text); }

class KeywordPassTest : public CHostTest {
protected:
    // Root entry "2007" (1) holds item a; its child "Trips" (2) holds a and b.
    void AddExample()
    {
        m_host.AddItem("a", W(OLESTR("beach")));
        m_host.AddItem("b", std::nullopt);
        m_host.AddSet(1, W(OLESTR("2007")));
        m_host.AddSet(2, W(OLESTR("Trips")), 1);
        m_host.SetItems("1", {"a"});
        m_host.SetItems("2", {"a", "b"});
    }

    HRESULT LoadAndAddKeywords()
    {
        const HRESULT loaded = LoadFromHost(m_host, m_tree);
        if (FAILED(loaded)) return loaded;
        m_host.ClearCalls();
        return m_tree.AddKeywords();
    }

    // The tree gives its sets back before the ledger is checked.
    void TearDown() override
    {
        m_tree.Clear();
        CHostTest::TearDown();
    }

    std::size_t Puts() const
    {
        const Calls calls = m_host.Calls();
        return static_cast<std::size_t>(std::count_if(calls.begin(), calls.end(), [](const std::string& call) {
            return call.find("Keywords(put)") != std::string::npos;
        }));
    }

    CMediaSetTree m_tree;
};

const Calls kExamplePass = {
    "set:1 IHostMediaSet::Name", "set:1 IHostMediaSet::MediaItems",
    "items:1 IHostMediaItems::Count", "items:1 IHostMediaItems::Item(1)", "item:a IHostMediaItem::Annotations",
    "annotations:a IHostAnnotations::Keywords", "annotations:a IHostAnnotations::Keywords(put)",
    "items:1 IHostMediaItems::Count",
    "set:2 IHostMediaSet::Name", "set:2 IHostMediaSet::MediaItems",
    "items:2 IHostMediaItems::Count", "items:2 IHostMediaItems::Item(1)", "item:a IHostMediaItem::Annotations",
    "annotations:a IHostAnnotations::Keywords", "annotations:a IHostAnnotations::Keywords(put)",
    "items:2 IHostMediaItems::Count", "items:2 IHostMediaItems::Item(2)", "item:b IHostMediaItem::Annotations",
    "annotations:b IHostAnnotations::Keywords", "annotations:b IHostAnnotations::Keywords(put)",
    "items:2 IHostMediaItems::Count",
};

TEST_F(KeywordPassTest, AddsEachSetsKeywordParentFirstInTheDocumentedOrder)
{
    AddExample();
    EXPECT_EQ(LoadAndAddKeywords(), S_OK);
    EXPECT_EQ(m_host.Calls(), kExamplePass);
    EXPECT_EQ(m_host.Item("a").m_keywords, W(OLESTR("beach;{Root}{2007};{Root}{2007}{Trips}")));
    EXPECT_EQ(m_host.Item("b").m_keywords, W(OLESTR("{Root}{2007}{Trips}"))) << "only its own set's keyword";
}

TEST_F(KeywordPassTest, ItemThatAlreadyHoldsTheKeywordCostsFourCallsAndNoWrite)
{
    AddExample();
    m_host.Item("a").m_keywords = W(OLESTR("beach;{ROOT}{2007}"));
    m_host.SetItems("2", {});
    EXPECT_EQ(LoadAndAddKeywords(), S_OK);
    const Calls calls = m_host.Calls();
    ASSERT_GE(calls.size(), 8u);
    EXPECT_EQ(Calls(calls.begin(), calls.begin() + 8),
              (Calls{"set:1 IHostMediaSet::Name", "set:1 IHostMediaSet::MediaItems", "items:1 IHostMediaItems::Count",
                     "items:1 IHostMediaItems::Item(1)", "item:a IHostMediaItem::Annotations",
                     "annotations:a IHostAnnotations::Keywords", "items:1 IHostMediaItems::Count",
                     "set:2 IHostMediaSet::Name"}));
    EXPECT_TRUE(m_host.Writes("a").empty());
}

TEST_F(KeywordPassTest, SecondPassOverAnUnchangedCatalogWritesNothing)
{
    AddExample();
    ASSERT_EQ(LoadAndAddKeywords(), S_OK);
    m_host.ClearCalls();
    ASSERT_EQ(m_tree.AddKeywords(), S_OK);
    EXPECT_EQ(Puts(), 0u);
}

TEST_F(KeywordPassTest, EmptyTreeMakesNoCall)
{
    EXPECT_EQ(LoadAndAddKeywords(), S_OK);
    EXPECT_TRUE(m_host.Calls().empty());
}

TEST_F(KeywordPassTest, RootEntriesGoInKeyOrderNotNameOrder)
{
    m_host.AddSet(5, W(OLESTR("a")));
    m_host.AddSet(-1, W(OLESTR("z")));
    m_host.AddSet(0, W(OLESTR("m")));
    ASSERT_EQ(LoadAndAddKeywords(), S_OK);
    Calls names;
    for (const std::string& call : m_host.Calls())
        if (call.find("::Name") != std::string::npos) names.push_back(call);
    EXPECT_EQ(names, (Calls{"set:-1 IHostMediaSet::Name", "set:0 IHostMediaSet::Name", "set:5 IHostMediaSet::Name"}));
}

TEST_F(KeywordPassTest, WholeSubtreeIsDoneBeforeTheNextSibling)
{
    m_host.AddSet(1, W(OLESTR("R")));
    m_host.AddSet(3, W(OLESTR("three")), 1);
    m_host.AddSet(2, W(OLESTR("two")), 1);
    m_host.AddSet(9, W(OLESTR("nine")), 2);
    ASSERT_EQ(LoadAndAddKeywords(), S_OK);
    Calls names;
    for (const std::string& call : m_host.Calls())
        if (call.find("::Name") != std::string::npos) names.push_back(call);
    EXPECT_EQ(names, (Calls{"set:1 IHostMediaSet::Name", "set:2 IHostMediaSet::Name", "set:9 IHostMediaSet::Name",
                            "set:3 IHostMediaSet::Name"}));
}

class KeywordPassEveryCallTest : public KeywordPassTest, public ::testing::WithParamInterface<int> {};

TEST_P(KeywordPassEveryCallTest, FirstFailureEndsThePassAndKeepsEarlierWrites)
{
    const int failing = GetParam();
    const HRESULT failure = static_cast<HRESULT>(0x80010108u);
    AddExample();
    ASSERT_EQ(LoadFromHost(m_host, m_tree), S_OK);
    m_host.ClearCalls();
    FailTracedCall(m_host, kExamplePass, static_cast<std::size_t>(failing), failure);
    EXPECT_EQ(m_tree.AddKeywords(), failure);
    EXPECT_EQ(m_host.Calls(), Calls(kExamplePass.begin(), kExamplePass.begin() + failing));
    // a is written at calls 7 and 15, b at call 20.
    const WideString a = failing > 15 ? W(OLESTR("beach;{Root}{2007};{Root}{2007}{Trips}"))
                         : failing > 7 ? W(OLESTR("beach;{Root}{2007}"))
                                       : W(OLESTR("beach"));
    EXPECT_EQ(m_host.Item("a").m_keywords, a);
    EXPECT_EQ(m_host.Item("b").m_keywords, failing > 20 ? OptionalText(W(OLESTR("{Root}{2007}{Trips}"))) : std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Calls, KeywordPassEveryCallTest, ::testing::Range(1, 22));

TEST_F(KeywordPassTest, FailureAtTheThirdItemKeepsTheFirstTwo)
{
    m_host.AddItem("1");
    m_host.AddItem("2");
    m_host.AddItem("3");
    m_host.AddItem("4");
    m_host.AddSet(1, W(OLESTR("S")));
    m_host.AddSet(2, W(OLESTR("later")));
    m_host.SetItems("1", {"1", "2", "3", "4"});
    m_host.SetItems("2", {"4"});
    m_host.FailCall("IHostMediaItems::Item", E_FAIL, 3, "items:1");
    EXPECT_EQ(LoadAndAddKeywords(), E_FAIL);
    EXPECT_EQ(m_host.Item("1").m_keywords, W(OLESTR("{Root}{S}")));
    EXPECT_EQ(m_host.Item("2").m_keywords, W(OLESTR("{Root}{S}")));
    EXPECT_EQ(m_host.Item("3").m_keywords, WideString());
    EXPECT_EQ(m_host.Item("4").m_keywords, WideString());
    EXPECT_EQ(m_host.Calls().back(), "items:1 IHostMediaItems::Item(3)");
}

TEST_F(KeywordPassTest, NullItemCollectionMeansNoItemsAndChildrenStillGetTheirs)
{
    AddExample();
    m_host.Set("1").m_hasItemList = false;
    EXPECT_EQ(LoadAndAddKeywords(), S_OK);
    const Calls calls = m_host.Calls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(Calls(calls.begin(), calls.begin() + 3),
              (Calls{"set:1 IHostMediaSet::Name", "set:1 IHostMediaSet::MediaItems", "set:2 IHostMediaSet::Name"}));
    EXPECT_EQ(m_host.Item("a").m_keywords, W(OLESTR("beach;{Root}{2007}{Trips}")));
}

struct CNullObjectCase {
    const char* name;
    const char* operation;
};

class KeywordPassNullObjectTest : public KeywordPassTest, public ::testing::WithParamInterface<CNullObjectCase> {};

TEST_P(KeywordPassNullObjectTest, SuccessWithoutAnObjectFailsThePassWithPointerError)
{
    AddExample();
    m_host.NullResult(GetParam().operation);
    EXPECT_EQ(LoadAndAddKeywords(), E_POINTER);
    EXPECT_EQ(Puts(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Getters, KeywordPassNullObjectTest,
                         ::testing::Values(CNullObjectCase{"Item", "IHostMediaItems::Item"},
                                           CNullObjectCase{"Annotations", "IHostMediaItem::Annotations"}),
                         [](const ::testing::TestParamInfo<CNullObjectCase>& info) { return info.param.name; });

TEST_F(KeywordPassTest, NullKeywordListReadsAsEmpty)
{
    AddExample();
    m_host.NullResult("IHostAnnotations::Keywords", 1, "annotations:a");
    EXPECT_EQ(LoadAndAddKeywords(), S_OK);
    const std::vector<WideString> writes = m_host.Writes("a");
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.front(), W(OLESTR("{Root}{2007}")));
}

TEST_F(KeywordPassTest, CountIsReadAgainBeforeEveryItem)
{
    AddExample();
    m_host.AddItem("late");
    m_host.SetCountHook([](CTestHost& host, const std::string& label, int number) {
        if (label == "items:1" && number == 2) host.SetItems("1", {"a", "late"});
        return std::optional<LONG>();
    });
    EXPECT_EQ(LoadAndAddKeywords(), S_OK);
    EXPECT_EQ(m_host.Item("late").m_keywords, W(OLESTR("{Root}{2007}")));
}

TEST_F(KeywordPassTest, CountOfZeroOrLessMeansNoItems)
{
    AddExample();
    m_host.SetCountHook([](CTestHost&, const std::string& label, int) {
        return label == "items:1" ? std::optional<LONG>(-3) : std::optional<LONG>();
    });
    EXPECT_EQ(LoadAndAddKeywords(), S_OK);
    EXPECT_EQ(m_host.Item("a").m_keywords, W(OLESTR("beach;{Root}{2007}{Trips}")));
}

TEST_F(KeywordPassTest, ItemListedTwiceIsWrittenOnItsFirstVisitOnly)
{
    m_host.AddItem("a");
    m_host.AddSet(1, W(OLESTR("S")));
    m_host.SetItems("1", {"a", "a"});
    EXPECT_EQ(LoadAndAddKeywords(), S_OK);
    EXPECT_EQ(m_host.Writes("a").size(), 1u);
    EXPECT_EQ(m_host.Item("a").m_keywords, W(OLESTR("{Root}{S}")));
}

TEST_F(KeywordPassTest, SiblingsWithMatchingKeywordsWriteAnItemOnce)
{
    m_host.AddItem("a");
    m_host.AddSet(1, W(OLESTR("x;y")));
    m_host.AddSet(2, W(OLESTR("X_Y")));
    m_host.SetItems("1", {"a"});
    m_host.SetItems("2", {"a"});
    EXPECT_EQ(LoadAndAddKeywords(), S_OK);
    EXPECT_EQ(m_host.Item("a").m_keywords, W(OLESTR("{Root}{x_y}")));
}

struct CListCase {
    const char* name;
    OptionalText setName;
    OptionalText before;
    OptionalText after;  // nullopt: the item is not written
};

class KeywordPassListTest : public KeywordPassTest, public ::testing::WithParamInterface<CListCase> {};

TEST_P(KeywordPassListTest, WritesTheWholeListWithTheKeywordOnlyWhenMissing)
{
    m_host.AddItem("a", GetParam().before);
    m_host.AddSet(1, GetParam().setName);
    m_host.SetItems("1", {"a"});
    EXPECT_EQ(LoadAndAddKeywords(), S_OK);
    const std::vector<WideString> writes = m_host.Writes("a");
    if (GetParam().after) {
        ASSERT_EQ(writes.size(), 1u);
        EXPECT_EQ(writes.front(), *GetParam().after);
    } else {
        EXPECT_TRUE(writes.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lists, KeywordPassListTest,
    ::testing::Values(
        CListCase{"Empty", W(OLESTR("2007")), WideString(), W(OLESTR("{Root}{2007}"))},
        CListCase{"Null", W(OLESTR("2007")), std::nullopt, W(OLESTR("{Root}{2007}"))},
        CListCase{"OneKeyword", W(OLESTR("2007")), W(OLESTR("beach")), W(OLESTR("beach;{Root}{2007}"))},
        CListCase{"PresentInOtherAsciiCase", W(OLESTR("2007")), W(OLESTR("beach;{ROOT}{2007}")), std::nullopt},
        CListCase{"SeparatorsAtBothEnds", W(OLESTR("2007")), W(OLESTR(";beach;")), W(OLESTR(";beach;;{Root}{2007}"))},
        CListCase{"Spaces", W(OLESTR("2007")), W(OLESTR(" {Root}{2007} ")), W(OLESTR(" {Root}{2007} ;{Root}{2007}"))},
        CListCase{"NonAsciiNotFolded", W(OLESTR("\u00E9t\u00E9")), W(OLESTR("{Root}{\u00C9T\u00C9}")),
                  W(OLESTR("{Root}{\u00C9T\u00C9};{Root}{\u00E9t\u00E9}"))},
        CListCase{"NonAsciiPresent", W(OLESTR("\u00E9t\u00E9")), W(OLESTR("{ROOT}{\u00E9t\u00E9}")), std::nullopt},
        CListCase{"NullName", std::nullopt, WideString(), W(OLESTR("{Root}{}"))},
        CListCase{"NameCutAtNul", WideString(OLESTR("Trips\0old"), 9), WideString(), W(OLESTR("{Root}{Trips}"))},
        CListCase{"NameWithSemicolonAndBraces", W(OLESTR(" a;{b} ")), WideString(), W(OLESTR("{Root}{ a_{b} }"))},
        // Nothing behind a NUL may be lost: the list goes back at full length.
        CListCase{"EmbeddedNulKeptWhole", W(OLESTR("2007")), WideString(OLESTR("old\0tail;x"), 10),
                  WideString(OLESTR("old\0tail;x;{Root}{2007}"), 23)},
        CListCase{"PresentBehindANul", W(OLESTR("2007")), WideString(OLESTR("old\0;{Root}{2007}"), 17),
                  std::nullopt},
        CListCase{"TrailingNulKept", W(OLESTR("2007")), WideString(OLESTR("a\0"), 2),
                  WideString(OLESTR("a\0;{Root}{2007}"), 15)}),
    [](const ::testing::TestParamInfo<CListCase>& info) { return info.param.name; });

TEST_F(KeywordPassTest, RenamedSetAddsTheNewKeywordAndKeepsTheOld)
{
    AddExample();
    ASSERT_EQ(LoadAndAddKeywords(), S_OK);
    m_host.Set("1").m_name = W(OLESTR("2008"));
    ASSERT_EQ(m_tree.AddKeywords(), S_OK);
    EXPECT_EQ(m_host.Item("a").m_keywords,
              W(OLESTR("beach;{Root}{2007};{Root}{2007}{Trips};{Root}{2008};{Root}{2008}{Trips}")));
    EXPECT_EQ(m_host.Item("b").m_keywords, W(OLESTR("{Root}{2007}{Trips};{Root}{2008}{Trips}")));
}

TEST_F(KeywordPassTest, NodeWithoutASetEndsThePassAfterTheSetsBeforeIt)
{
    m_host.AddItem("a");
    m_host.AddItem("b");
    m_host.AddItem("c");
    m_host.AddSet(1, W(OLESTR("first")));
    m_host.AddSet(9, W(OLESTR("missing")));
    m_host.SetHidden("9", true);
    m_host.AddSet(10, W(OLESTR("below")), 9);
    m_host.AddSet(20, W(OLESTR("after")));
    m_host.SetItems("1", {"a"});
    m_host.SetItems("10", {"b"});
    m_host.SetItems("20", {"c"});
    ASSERT_EQ(LoadFromHost(m_host, m_tree), S_OK);
    ASSERT_EQ(TreeShape(m_tree), "1 9*(10) 20");
    m_host.ClearCalls();
    EXPECT_EQ(m_tree.AddKeywords(), E_INVALIDARG);
    EXPECT_EQ(m_host.Item("a").m_keywords, W(OLESTR("{Root}{first}")));
    EXPECT_EQ(m_host.Item("b").m_keywords, WideString());
    EXPECT_EQ(m_host.Item("c").m_keywords, WideString());
    EXPECT_EQ(m_host.Calls().back(), "items:1 IHostMediaItems::Count");
}

TEST_F(KeywordPassTest, ItemPassOnANodeWithoutASetIsRefusedWithoutACall)
{
    m_host.AddSet(9);
    m_host.SetHidden("9", true);
    m_host.AddSet(10, WideString(), 9);
    ASSERT_EQ(LoadFromHost(m_host, m_tree), S_OK);
    m_host.ClearCalls();
    const CMediaSetNode& missing = *m_tree.Roots().at(9);
    EXPECT_EQ(missing.AddKeywordToMediaItems(W(OLESTR("{Root}{x}"))), E_INVALIDARG);
    EXPECT_EQ(missing.AddKeywords(W(OLESTR("{Root}"))), E_INVALIDARG);
    EXPECT_TRUE(m_host.Calls().empty());
}

TEST_F(KeywordPassTest, NodePassComposesFromTheParentTextItIsGiven)
{
    AddExample();
    ASSERT_EQ(LoadFromHost(m_host, m_tree), S_OK);
    const CMediaSetNode& trips = *m_tree.Roots().at(1)->Children().at(2);
    EXPECT_EQ(trips.AddKeywords(W(OLESTR("{Root}{Elsewhere}"))), S_OK);
    EXPECT_EQ(m_host.Item("b").m_keywords, W(OLESTR("{Root}{Elsewhere}{Trips}")));
    // The item pass alone adds the keyword it is given as it is.
    EXPECT_EQ(trips.AddKeywordToMediaItems(W(OLESTR("{Root}{Given}"))), S_OK);
    EXPECT_EQ(m_host.Item("b").m_keywords, W(OLESTR("{Root}{Elsewhere}{Trips};{Root}{Given}")));
}

TEST_F(KeywordPassTest, DeepHierarchyGetsItsKeywordsWithoutExhaustingTheStack)
{
    constexpr LONG kDepth = 10000;
    AddDeepChain(m_host, kDepth);
    m_host.AddItem("deep");
    m_host.SetItems("10000", {"deep"});
    m_host.Set("10000").m_name = W(OLESTR("bottom"));
    EXPECT_EQ(LoadAndAddKeywords(), S_OK);
    WideString expected = W(OLESTR("{Root}"));
    for (LONG level = 1; level < kDepth; ++level) expected += W(OLESTR("{}"));
    expected += W(OLESTR("{bottom}"));
    EXPECT_EQ(m_host.Item("deep").m_keywords, expected);
}

}  // namespace
