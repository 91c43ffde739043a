// The counted reference owns exactly one count on a host object. The order in
// which it takes and gives back counts matters: giving back the old count
// first could free an object that is being stored again.
#include "host/counted_ref.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

// A reference-counted object that records every count it is given or loses.
class CProbe : public IUnknown {
public:
    CProbe(std::string name, std::vector<std::string>& events) : m_name(std::move(name)), m_events(events) {}
    virtual ~CProbe() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override
    {
        m_events.push_back("AddRef " + m_name);
        return ++m_count;
    }
    ULONG STDMETHODCALLTYPE Release() override
    {
        m_events.push_back("Release " + m_name);
        if (m_count == 0) m_events.push_back("OVER-RELEASED " + m_name);
        return m_count == 0 ? 0 : --m_count;
    }

    ULONG Count() const { return m_count; }

private:
    std::string m_name;
    std::vector<std::string>& m_events;
    ULONG m_count = 1;  // the creator's count
};

using Events = std::vector<std::string>;

class CountedRefTest : public ::testing::Test {
protected:
    Events m_events;
    CProbe m_a{"a", m_events};
    CProbe m_b{"b", m_events};
};

TEST_F(CountedRefTest, AssignTakesTheNewCountBeforeGivingBackTheOld)
{
    CCountedRef<IUnknown> ref;
    ref.Assign(&m_a);
    m_events.clear();
    ref.Assign(&m_b);
    EXPECT_EQ(m_events, (Events{"AddRef b", "Release a"}));
    EXPECT_EQ(ref.Get(), &m_b);
    ref.Reset();
    EXPECT_EQ(m_a.Count(), 1u);
    EXPECT_EQ(m_b.Count(), 1u);
}

TEST_F(CountedRefTest, AssigningTheHeldObjectChangesNothing)
{
    CCountedRef<IUnknown> ref;
    ref.Assign(&m_a);
    m_events.clear();
    ref.Assign(&m_a);
    ref = ref;
    ref = std::move(ref);
    EXPECT_EQ(m_events, Events{});
    EXPECT_EQ(m_a.Count(), 2u);
    EXPECT_EQ(ref.Get(), &m_a);
}

TEST_F(CountedRefTest, CopyAssignFromAnotherReferenceToTheSameObjectKeepsOneCountEach)
{
    CCountedRef<IUnknown> first;
    first.Assign(&m_a);
    CCountedRef<IUnknown> second(first);
    second = first;
    EXPECT_EQ(m_a.Count(), 3u);
    first.Reset();
    second.Reset();
    EXPECT_EQ(m_a.Count(), 1u);
}

TEST_F(CountedRefTest, AssigningNullGivesBackTheCount)
{
    CCountedRef<IUnknown> ref;
    ref.Assign(&m_a);
    m_events.clear();
    ref.Assign(nullptr);
    const CCountedRef<IUnknown> copy(ref);
    EXPECT_EQ(m_events, Events{"Release a"});
    EXPECT_FALSE(ref);
    EXPECT_FALSE(copy);
}

TEST_F(CountedRefTest, PutGivesBackTheHeldCountBeforeTheGetterWrites)
{
    CCountedRef<IUnknown> ref;
    ref.Assign(&m_a);
    m_events.clear();
    IUnknown** slot = ref.Put();
    EXPECT_EQ(m_events, Events{"Release a"});
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(*slot, nullptr);
    // A getter hands over a count of its own, which the reference now owns.
    m_b.AddRef();
    *slot = &m_b;
    m_events.clear();
    ref.Reset();
    EXPECT_EQ(m_events, Events{"Release b"});
    EXPECT_EQ(m_b.Count(), 1u);
}

TEST_F(CountedRefTest, MovingHandsOverTheCountWithoutCountingAgain)
{
    CCountedRef<IUnknown> source;
    source.Assign(&m_a);
    CCountedRef<IUnknown> target;
    target.Assign(&m_b);
    m_events.clear();
    target = std::move(source);
    EXPECT_EQ(m_events, Events{"Release b"});
    CCountedRef<IUnknown> moved(std::move(target));
    EXPECT_EQ(moved.Get(), &m_a);
    moved.Reset();
    EXPECT_EQ(m_a.Count(), 1u);
    EXPECT_EQ(m_b.Count(), 1u);
}

TEST_F(CountedRefTest, DestructionGivesBackExactlyOneCount)
{
    {
        CCountedRef<IUnknown> ref;
        ref.Assign(&m_a);
        ref.Reset();
        ref.Reset();
    }
    EXPECT_EQ(m_events, (Events{"AddRef a", "Release a"}));
}

TEST_F(CountedRefTest, CallingThroughAnEmptyReferenceRaisesPointerError)
{
    CCountedRef<IUnknown> ref;
    try {
        ref->AddRef();
        FAIL() << "no host-call error raised";
    } catch (const _com_error& error) {
        EXPECT_EQ(error.Error(), E_POINTER);
    }
    EXPECT_EQ(m_events, Events{});
    ref.Assign(&m_a);  // through a held reference the call reaches its object
    void* none = nullptr;
    EXPECT_EQ(ref->QueryInterface(IID_IUnknown, &none), E_NOINTERFACE);
}

}  // namespace
