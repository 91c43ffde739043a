// Quillfen calls the host through its vtables only, so every operation must
// sit at the host's slot and every identifier must be the host's own. On the
// g++ (Itanium) ABI a pointer to a virtual member function holds 1 plus the
// byte offset of its slot in the vtable.
#include "host/host_interfaces.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

template <class M>
std::ptrdiff_t VtableSlot(M method)
{
    static_assert(sizeof(M) == 2 * sizeof(std::uintptr_t), "Itanium member function pointer");
    std::uintptr_t words[2];
    std::memcpy(words, &method, sizeof words);
    if ((words[0] & 1u) == 0) return -1;  // not a virtual function
    return static_cast<std::ptrdiff_t>((words[0] - 1) / sizeof(void*));
}

struct CSlotCase {
    const char* operation;
    std::ptrdiff_t expected;
    std::ptrdiff_t actual;
};

#define QF_SLOT(Interface, Method, Slot) CSlotCase{#Interface "::" #Method, Slot, VtableSlot(&Interface::Method)}

class HostVtableTest : public ::testing::TestWithParam<CSlotCase> {};

TEST_P(HostVtableTest, OperationSitsAtTheHostsSlot)
{
    EXPECT_EQ(GetParam().actual, GetParam().expected) << GetParam().operation;
}

INSTANTIATE_TEST_SUITE_P(
    Operations, HostVtableTest,
    ::testing::Values(
        // IUnknown and IDispatch come first in every host interface.
        QF_SLOT(IHostMediaSet, QueryInterface, 0), QF_SLOT(IHostMediaSet, AddRef, 1),
        QF_SLOT(IHostMediaSet, Release, 2), QF_SLOT(IHostMediaSet, GetTypeInfoCount, 3),
        QF_SLOT(IHostMediaSet, GetTypeInfo, 4), QF_SLOT(IHostMediaSet, GetIDsOfNames, 5),
        QF_SLOT(IHostMediaSet, Invoke, 6),
        QF_SLOT(IHostApplication, get_Name, 7), QF_SLOT(IHostApplication, get_Version, 8),
        QF_SLOT(IHostApplication, get_Path, 9), QF_SLOT(IHostApplication, get_ActiveCatalog, 10),
        QF_SLOT(IHostCatalog, get_Index, 8), QF_SLOT(IHostCatalog, get_Name, 9),
        QF_SLOT(IHostCatalog, get_Path, 11), QF_SLOT(IHostCatalog, get_MediaSets, 30),
        QF_SLOT(IHostMediaSets, get_Count, 8), QF_SLOT(IHostMediaSets, get_Item, 9),
        QF_SLOT(IHostMediaSet, get_Name, 8), QF_SLOT(IHostMediaSet, get_Index, 10),
        QF_SLOT(IHostMediaSet, get_IsSkipped, 13), QF_SLOT(IHostMediaSet, get_Level, 14),
        QF_SLOT(IHostMediaSet, get_Parent, 15), QF_SLOT(IHostMediaSet, get_MediaItems, 16),
        QF_SLOT(IHostMediaItems, get_Count, 8), QF_SLOT(IHostMediaItems, get_Item, 9),
        QF_SLOT(IHostMediaItem, get_Annotations, 35),
        QF_SLOT(IHostAnnotations, get_Keywords, 48), QF_SLOT(IHostAnnotations, put_Keywords, 49)),
    [](const ::testing::TestParamInfo<CSlotCase>& info) {
        std::string name;
        for (const char* c = info.param.operation; *c; ++c)
            if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
        return name;
    });

#undef QF_SLOT

// Every placeholder of the layout lists sits at the slot its name gives, so a
// miscounted list cannot shift the operations behind it.
#define QF_SKIP_OPERATION(name, parameters)
#define QF_GAP_CASE(slot) CSlotCase{"Reserved" #slot, slot, VtableSlot(&Interface::Reserved##slot)},
template <class I>
std::vector<CSlotCase> GapCases();
#define QF_GAP_CASES(I)                                        \
    template <>                                                \
    std::vector<CSlotCase> GapCases<I>()                       \
    {                                                          \
        using Interface [[maybe_unused]] = I;                  \
        return {QF_##I##_SLOTS(QF_SKIP_OPERATION, QF_GAP_CASE)}; \
    }
QF_HOST_INTERFACES(QF_GAP_CASES)
#undef QF_GAP_CASES
#undef QF_GAP_CASE
#undef QF_SKIP_OPERATION

TEST(HostVtableGapTest, EveryPlaceholderSitsAtTheSlotItNames)
{
    std::size_t gaps = 0;
    for (const std::vector<CSlotCase>& cases :
         {GapCases<IHostApplication>(), GapCases<IHostCatalog>(), GapCases<IHostMediaSets>(), GapCases<IHostMediaSet>(),
          GapCases<IHostMediaItems>(), GapCases<IHostMediaItem>(), GapCases<IHostAnnotations>()}) {
        for (const CSlotCase& gap : cases) EXPECT_EQ(gap.actual, gap.expected) << gap.operation;
        gaps += cases.size();
    }
    EXPECT_EQ(gaps, 20u + 1u + 4u + 1u + 28u + 41u) << "placeholders per interface: catalog, sets, set, items, item, annotations";
}

std::string GuidText(const GUID& guid)
{
    char text[40];
    std::snprintf(text, sizeof text, "%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X",
                  static_cast<unsigned>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1],
                  guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return text;
}

struct CIdentifierCase {
    const char* name;
    const GUID* guid;
    const char* expected;
};

class HostIdentifierTest : public ::testing::TestWithParam<CIdentifierCase> {};

TEST_P(HostIdentifierTest, IsTheHostsIdentifier)
{
    EXPECT_EQ(GuidText(*GetParam().guid), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Identifiers, HostIdentifierTest,
    ::testing::Values(
        CIdentifierCase{"LumoraApplication", &CLSID_LumoraApplication, "16430AC8-7237-44FD-92B4-B6AF687D2019"},
        CIdentifierCase{"IHostApplication", &IID_IHostApplication, "CACA679F-9731-45E0-B627-709DA216124F"},
        CIdentifierCase{"IHostCatalog", &IID_IHostCatalog, "5F729125-9095-432F-B84D-6BBBF4EA6333"},
        CIdentifierCase{"IHostMediaSets", &IID_IHostMediaSets, "EF30CB26-F92F-462B-87F5-47B8A9A17F6D"},
        CIdentifierCase{"IHostMediaSet", &IID_IHostMediaSet, "C1E89B25-C564-464E-B479-9AECF00213AF"},
        CIdentifierCase{"IHostMediaItems", &IID_IHostMediaItems, "9491FC6B-2FA5-4EF5-AC31-37F8EAA81E98"},
        CIdentifierCase{"IHostMediaItem", &IID_IHostMediaItem, "FBEF8CC4-3D8C-4DA7-92BE-024471EAEBEC"},
        CIdentifierCase{"IHostAnnotations", &IID_IHostAnnotations, "6827E93C-AE84-4177-968C-8DEC1CC33866"},
        CIdentifierCase{"IUnknown", &IID_IUnknown, "00000000-0000-0000-C000-000000000046"}),
    [](const ::testing::TestParamInfo<CIdentifierCase>& info) { return info.param.name; });

TEST(HostInterfaceIdTest, EachInterfaceNamesItsOwnIdentifier)
{
    EXPECT_EQ(HostInterfaceId<IHostApplication>::Get(), IID_IHostApplication);
    EXPECT_EQ(HostInterfaceId<IHostCatalog>::Get(), IID_IHostCatalog);
    EXPECT_EQ(HostInterfaceId<IHostMediaSets>::Get(), IID_IHostMediaSets);
    EXPECT_EQ(HostInterfaceId<IHostMediaSet>::Get(), IID_IHostMediaSet);
    EXPECT_EQ(HostInterfaceId<IHostMediaItems>::Get(), IID_IHostMediaItems);
    EXPECT_EQ(HostInterfaceId<IHostMediaItem>::Get(), IID_IHostMediaItem);
    EXPECT_EQ(HostInterfaceId<IHostAnnotations>::Get(), IID_IHostAnnotations);
}

TEST(HostNumberTypesTest, HostNumbersAreThirtyTwoBits)
{
    static_assert(sizeof(LONG) == 4, "LONG is 32 bits");
    static_assert(sizeof(HRESULT) == 4, "HRESULT is 32 bits");
    static_assert(sizeof(VARIANT_BOOL) == 2, "VARIANT_BOOL is 16 bits");
    static_assert(sizeof(OLECHAR) == 2, "OLECHAR is a UTF-16 code unit");
    SUCCEED();
}

}  // namespace
