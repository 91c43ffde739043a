// The tree owns its nodes and each node one count on its host set. Clearing
// and destruction give every count back exactly once, children before their
// parent and siblings in ascending index order, so the host sees its sets
// released in post-order.
#include "support/test_host_fixture.h"
#include "support/tree_shape.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using Names = std::vector<std::string>;

class MediaSetTreeTest : public CHostTest {
protected:
    // Root R (1) with children 5 and 3; 3 has the child 9.
    void AddSmallHierarchy()
    {
        m_host.AddSet(1, WideString(OLESTR("R")));
        m_host.AddSet(5, WideString(OLESTR("five")), 1);
        m_host.AddSet(9, WideString(OLESTR("nine")), 3);
        m_host.AddSet(3, WideString(OLESTR("three")), 1);
    }

    // Forgets what the load itself released, so only what follows counts:
    // clearing the calls clears the ledger's events and release order too.
    void ForgetLoad() { m_host.ClearCalls(); }
};

TEST_F(MediaSetTreeTest, DestructionReleasesSetsInPostOrder)
{
    AddSmallHierarchy();
    {
        CMediaSetTree tree;
        ASSERT_EQ(LoadFromHost(m_host, tree), S_OK);
        ASSERT_EQ(TreeShape(tree), "1(3(9) 5)");
        ForgetLoad();
    }
    EXPECT_EQ(m_host.Ledger().ZeroOrder(), (Names{"set:9", "set:3", "set:5", "set:1"}));
    EXPECT_TRUE(m_host.Calls().empty()) << "releasing is not a host operation";
}

TEST_F(MediaSetTreeTest, ClearReleasesInPostOrderAndLeavesAnEmptyTree)
{
    AddSmallHierarchy();
    m_host.AddSet(-4, WideString(OLESTR("minus")));
    CMediaSetTree tree;
    ASSERT_EQ(LoadFromHost(m_host, tree), S_OK);
    ForgetLoad();
    EXPECT_EQ(tree.Clear(), S_OK);
    EXPECT_TRUE(tree.Roots().empty());
    EXPECT_EQ(m_host.Ledger().ZeroOrder(), (Names{"set:-4", "set:9", "set:3", "set:5", "set:1"}));
    EXPECT_EQ(tree.Clear(), S_OK) << "clearing twice is harmless";
    EXPECT_EQ(m_host.Ledger().ZeroOrder().size(), 5u);
}

TEST_F(MediaSetTreeTest, ClearingOneNodeReleasesItsSubtreeAndThenItsOwnSet)
{
    AddSmallHierarchy();
    CMediaSetTree tree;
    ASSERT_EQ(LoadFromHost(m_host, tree), S_OK);
    ForgetLoad();
    CMediaSetNode& three = *tree.Roots().at(1)->Children().at(3);
    EXPECT_EQ(three.Clear(), S_OK);
    EXPECT_TRUE(three.Children().empty());
    EXPECT_FALSE(three.MediaSet());
    EXPECT_EQ(m_host.Ledger().ZeroOrder(), (Names{"set:9", "set:3"}));
    ForgetLoad();
    tree.Clear();
    EXPECT_EQ(m_host.Ledger().ZeroOrder(), (Names{"set:5", "set:1"}))
        << "a node without a set is destroyed without any release";
}

TEST_F(MediaSetTreeTest, EmptyTreeClearsAndDiesWithoutTouchingTheHost)
{
    {
        CMediaSetTree tree;
        EXPECT_EQ(tree.Clear(), S_OK);
        EXPECT_TRUE(tree.Roots().empty());
    }
    EXPECT_TRUE(m_host.Events().empty());
    EXPECT_EQ(m_host.Ledger().InstanceCount(), 0u);
}

TEST_F(MediaSetTreeTest, ParentLinksPointAtTheOwningNode)
{
    AddSmallHierarchy();
    CMediaSetTree tree;
    ASSERT_EQ(LoadFromHost(m_host, tree), S_OK);
    EXPECT_TRUE(ParentLinksConsistent(tree));
    const CMediaSetNode& root = *tree.Roots().at(1);
    const CMediaSetNode& nine = *root.Children().at(3)->Children().at(9);
    EXPECT_EQ(root.Parent(), nullptr);
    EXPECT_EQ(nine.Parent(), root.Children().at(3).get());
    EXPECT_EQ(nine.Parent()->Parent(), &root);
}

TEST_F(MediaSetTreeTest, EveryNodeHoldsExactlyOneCountOnItsSet)
{
    AddSmallHierarchy();
    CMediaSetTree tree;
    ASSERT_EQ(LoadFromHost(m_host, tree), S_OK);
    for (const char* set : {"set:1", "set:3", "set:5", "set:9"}) EXPECT_EQ(m_host.Ledger().References(set), 1) << set;
}

}  // namespace
