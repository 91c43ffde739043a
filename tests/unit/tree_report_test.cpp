// The listing of the hierarchy: the number of root entries, then one block
// per node, depth first and pre-order, siblings in signed index order. Every
// value is read from the host when its line is written; a failed read ends
// the whole listing without a partial line.
#include "support/console_capture.h"
#include "support/example_listing.h"
#include "support/test_host_fixture.h"
#include "support/tree_shape.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using Calls = std::vector<std::string>;

struct CListing {
    HRESULT hr = E_UNEXPECTED;
    std::string out;
};

class TreeReportTest : public CHostTest {
protected:
    // Lists a whole tree, or one node's subtree.
    template <class Printable>
    CListing Print(const Printable& printable)
    {
        m_host.ClearCalls();
        CListing listing;
        listing.out = CaptureConsole([&] { listing.hr = printable.Print(); }).out;
        return listing;
    }

    // The index lines of a listing, in order.
    static std::vector<std::string> Indexes(const std::string& out)
    {
        std::vector<std::string> indexes;
        const std::string label = "Media Set Index: ";
        for (std::size_t at = out.find(label); at != std::string::npos; at = out.find(label, at + 1))
            indexes.push_back(out.substr(at + label.size(), out.find('\n', at) - at - label.size()));
        return indexes;
    }
};

TEST_F(TreeReportTest, ExampleListingReadsEachValueAsItsLineIsWritten)
{
    m_host.AddSet(3, WideString(OLESTR("A")));
    m_host.AddSet(5, WideString(OLESTR("B")), 3);
    CMediaSetTree tree;
    ASSERT_EQ(LoadFromHost(m_host, tree), S_OK);
    const CListing listing = Print(tree);
    EXPECT_EQ(listing.hr, S_OK);
    EXPECT_EQ(listing.out, kExampleListing);
    EXPECT_EQ(m_host.Calls(),
              (Calls{"set:3 IHostMediaSet::Index", "set:3 IHostMediaSet::Name", "set:3 IHostMediaSet::Level",
                     "set:5 IHostMediaSet::Index", "set:5 IHostMediaSet::Name", "set:5 IHostMediaSet::Level",
                     "set:3 IHostMediaSet::Index"}));
}

TEST_F(TreeReportTest, PrintingChangesNothingSoItCanBeRepeated)
{
    m_host.AddSet(3, WideString(OLESTR("A")));
    m_host.AddSet(5, WideString(OLESTR("B")), 3);
    CMediaSetTree tree;
    ASSERT_EQ(LoadFromHost(m_host, tree), S_OK);
    EXPECT_EQ(Print(tree).out, Print(tree).out);
    EXPECT_EQ(TreeShape(tree), "3(5)");
    // A node lists its subtree as the tree's listing does, without the root count.
    const std::string listing(kExampleListing);
    EXPECT_EQ(Print(*tree.Roots().at(3)).out, listing.substr(listing.find('\n') + 1));
}

TEST_F(TreeReportTest, EmptyTreeIsOneLine)
{
    CMediaSetTree tree;
    const CListing listing = Print(tree);
    EXPECT_EQ(listing.hr, S_OK);
    EXPECT_EQ(listing.out, "Media Set Root Entries: 0\n");
    EXPECT_TRUE(m_host.Calls().empty());
}

TEST_F(TreeReportTest, BlocksComeDepthFirstPreOrderInSignedIndexOrder)
{
    m_host.AddSet(5);
    m_host.AddSet(-2);
    m_host.AddSet(3);
    m_host.AddSet(7, WideString(), 3);
    m_host.AddSet(4, WideString(), 3);
    m_host.AddSet(8, WideString(), 7);
    CMediaSetTree tree;
    ASSERT_EQ(LoadFromHost(m_host, tree), S_OK);
    ASSERT_EQ(TreeShape(tree), "-2 3(4 7(8)) 5");
    const CListing listing = Print(tree);
    EXPECT_EQ(listing.out.substr(0, listing.out.find('\n')), "Media Set Root Entries: 3");
    EXPECT_EQ(Indexes(listing.out), (std::vector<std::string>{"-2", "3", "4", "7", "8", "5"}));
}

TEST_F(TreeReportTest, ParentNumberIsTheParentsIndexAsTheHostReportsItNow)
{
    m_host.AddSet(3, WideString(OLESTR("A")));
    m_host.AddSet(5, WideString(OLESTR("B")), 3);
    CMediaSetTree tree;
    ASSERT_EQ(LoadFromHost(m_host, tree), S_OK);
    m_host.Set("3").m_index = -30;
    m_host.Set("5").m_level = -7;
    const std::string out = Print(tree).out;
    EXPECT_NE(out.find("Media Set Index: -30\n"), std::string::npos);
    EXPECT_NE(out.find("Media Set Level: -7\n"), std::string::npos);
    EXPECT_NE(out.find("Media Set Parent: -30\n"), std::string::npos);
}

TEST_F(TreeReportTest, ParentLineFollowsTheTreeNotTheHostsParentLink)
{
    m_host.AddSet(3, WideString(OLESTR("A")));
    m_host.AddSet(5, WideString(OLESTR("B")), 3);
    CMediaSetTree tree;
    ASSERT_EQ(LoadFromHost(m_host, tree), S_OK);
    m_host.SetParent("5", "");
    m_host.SetParent("3", "5");
    EXPECT_EQ(Print(tree).out, kExampleListing);
    const Calls calls = m_host.Calls();
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(),
                            [](const std::string& call) { return call.find("Parent") != std::string::npos; }),
              0);
}

struct CNameCase {
    const char* name;
    OptionalText text;
    const char* line;
};

class TreeReportNameTest : public TreeReportTest, public ::testing::WithParamInterface<CNameCase> {};

TEST_P(TreeReportNameTest, NameIsWrittenAsReceivedUpToItsFirstNul)
{
    m_host.AddSet(1, GetParam().text);
    CMediaSetTree tree;
    ASSERT_EQ(LoadFromHost(m_host, tree), S_OK);
    const std::string out = Print(tree).out;
    EXPECT_NE(out.find(std::string("\n") + GetParam().line + "\nMedia Set Level: "), std::string::npos) << out;
}

INSTANTIATE_TEST_SUITE_P(
    Names, TreeReportNameTest,
    ::testing::Values(CNameCase{"Empty", WideString(), "Media Set Name: "},
                      CNameCase{"Null", std::nullopt, "Media Set Name: "},
                      CNameCase{"EmbeddedNul", WideString(OLESTR("Trips\0old"), 9), "Media Set Name: Trips"},
                      CNameCase{"SpacesAndBraces", WideString(OLESTR(" x}{y ")), "Media Set Name:  x}{y "},
                      CNameCase{"NonAscii", WideString(OLESTR("\u00C9t\u00E9 \u65E5")),
                                "Media Set Name: \xC3\x89t\xC3\xA9 \xE6\x97\xA5"},
                      // A pair is one character; a high surrogate without its low half is none.
                      CNameCase{"Surrogates",
                                WideString{u'a', char16_t(0xD83D), char16_t(0xDE00), char16_t(0xD83D), u'b',
                                           char16_t(0xD83D)},
                                "Media Set Name: a\xF0\x9F\x98\x80\xEF\xBF\xBD" "b\xEF\xBF\xBD"},
                      CNameCase{"HighSurrogateBeforePrivateUse", WideString{char16_t(0xD83D), char16_t(0xE000)},
                                "Media Set Name: \xEF\xBF\xBD\xEE\x80\x80"}),
    [](const ::testing::TestParamInfo<CNameCase>& info) { return info.param.name; });

struct CReadFailure {
    const char* name;
    const char* operation;
    const char* label;
    int nth;
    const char* out;
};

class TreeReportReadFailureTest : public TreeReportTest, public ::testing::WithParamInterface<CReadFailure> {};

TEST_P(TreeReportReadFailureTest, FailedReadEndsTheListingWithoutAPartialLine)
{
    const HRESULT failure = static_cast<HRESULT>(0x80010108u);
    m_host.AddSet(3, WideString(OLESTR("A")));
    m_host.AddSet(5, WideString(OLESTR("B")), 3);
    m_host.AddSet(9, WideString(OLESTR("C")));
    CMediaSetTree tree;
    ASSERT_EQ(LoadFromHost(m_host, tree), S_OK);
    m_host.FailCall(GetParam().operation, failure, GetParam().nth, GetParam().label);
    const CListing listing = Print(tree);
    EXPECT_EQ(listing.hr, failure);
    EXPECT_EQ(listing.out, GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Reads, TreeReportReadFailureTest,
    ::testing::Values(
        CReadFailure{"FirstIndex", "IHostMediaSet::Index", "set:3", 1, "Media Set Root Entries: 2\n"},
        CReadFailure{"Name", "IHostMediaSet::Name", "set:3", 1, "Media Set Root Entries: 2\nMedia Set Index: 3\n"},
        CReadFailure{"ChildLevel", "IHostMediaSet::Level", "set:5", 1,
                     "Media Set Root Entries: 2\nMedia Set Index: 3\nMedia Set Name: A\nMedia Set Level: 1\n"
                     "Media Set Parent: None\nMedia Set Children: 1\nMedia Set Index: 5\nMedia Set Name: B\n"},
        CReadFailure{"ParentsIndex", "IHostMediaSet::Index", "set:3", 2,
                     "Media Set Root Entries: 2\nMedia Set Index: 3\nMedia Set Name: A\nMedia Set Level: 1\n"
                     "Media Set Parent: None\nMedia Set Children: 1\nMedia Set Index: 5\nMedia Set Name: B\n"
                     "Media Set Level: 2\n"}),
    [](const ::testing::TestParamInfo<CReadFailure>& info) { return info.param.name; });

TEST_F(TreeReportTest, NodeWithoutASetIsRefusedAndEndsTheListing)
{
    m_host.AddSet(9, WideString(OLESTR("hidden")));
    m_host.SetHidden("9", true);
    m_host.AddSet(5, WideString(OLESTR("B")), 9);
    m_host.AddSet(20, WideString(OLESTR("later")));
    CMediaSetTree tree;
    ASSERT_EQ(LoadFromHost(m_host, tree), S_OK);
    ASSERT_EQ(TreeShape(tree), "9*(5) 20");
    const CListing listing = Print(tree);
    EXPECT_EQ(listing.hr, E_INVALIDARG);
    EXPECT_EQ(listing.out, "Media Set Root Entries: 2\n");
    EXPECT_TRUE(m_host.Calls().empty());
}

TEST_F(TreeReportTest, DeepHierarchyPrintsEveryLevel)
{
    constexpr LONG kDepth = 10000;
    AddDeepChain(m_host, kDepth);
    CMediaSetTree tree;
    ASSERT_EQ(LoadFromHost(m_host, tree), S_OK);
    const CListing listing = Print(tree);
    EXPECT_EQ(listing.hr, S_OK);
    EXPECT_EQ(std::count(listing.out.begin(), listing.out.end(), '\n'), 1 + 5 * kDepth);
    EXPECT_NE(listing.out.find("Media Set Index: 10000\nMedia Set Name: \nMedia Set Level: 2\n"
                               "Media Set Parent: 9999\nMedia Set Children: 0\n"),
              std::string::npos);
}

}  // namespace
