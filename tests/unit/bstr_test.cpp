// The BSTR functions of the POSIX layer must give the host's strings the
// memory layout real clients rely on: a 32-bit byte length just before the
// text, a terminating NUL after it, and the length, not the first NUL, as the
// end of the text.
#include "platform/com.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace {

std::uint32_t BytePrefix(BSTR text)
{
    std::uint32_t prefix = 0;
    std::memcpy(&prefix, reinterpret_cast<const char*>(text) - sizeof prefix, sizeof prefix);
    return prefix;
}

struct CLayoutCase {
    const char* name;
    WideString text;
};

class BstrLayoutTest : public ::testing::TestWithParam<CLayoutCase> {};

TEST_P(BstrLayoutTest, KeepsEveryCodeUnitWithByteLengthPrefixAndTerminator)
{
    const WideString& text = GetParam().text;
    BSTR copy = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(BytePrefix(copy), text.size() * sizeof(OLECHAR));
    EXPECT_EQ(SysStringLen(copy), text.size());
    EXPECT_EQ(SysStringByteLen(copy), text.size() * sizeof(OLECHAR));
    EXPECT_EQ(WideString(copy, SysStringLen(copy)), text);
    EXPECT_EQ(copy[text.size()], 0) << "a BSTR is always NUL-terminated";
    SysFreeString(copy);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, BstrLayoutTest,
    ::testing::Values(CLayoutCase{"Empty", WideString()}, CLayoutCase{"Ascii", WideString(OLESTR("Photos"))},
                      CLayoutCase{"EmbeddedNul", WideString(OLESTR("beach\0{Root}{A}"), 15)},
                      CLayoutCase{"OnlyNuls", WideString(3, OLECHAR(0))},
                      CLayoutCase{"TrailingNul", WideString(OLESTR("a;\0"), 3)},
                      CLayoutCase{"NonAscii", WideString(OLESTR("\u00C9t\u00E9 \u65E5\u672C \U0001F600"))}),
    [](const ::testing::TestParamInfo<CLayoutCase>& info) { return info.param.name; });

TEST(BstrTest, SysAllocStringStopsAtTheFirstNul)
{
    const OLECHAR text[] = OLESTR("beach\0hidden");
    BSTR copy = SysAllocString(text);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(SysStringLen(copy), 5u);
    EXPECT_EQ(WideString(copy), OLESTR("beach"));
    SysFreeString(copy);
}

TEST(BstrTest, SysAllocStringOfEmptyTextIsAnEmptyStringNotNull)
{
    BSTR copy = SysAllocString(OLESTR(""));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(SysStringLen(copy), 0u);
    EXPECT_EQ(copy[0], 0);
    SysFreeString(copy);
}

TEST(BstrTest, SysAllocStringLenWithoutTextReservesTheLengthAndTerminates)
{
    BSTR buffer = SysAllocStringLen(nullptr, 4);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(SysStringLen(buffer), 4u);
    EXPECT_EQ(BytePrefix(buffer), 8u);
    EXPECT_EQ(buffer[4], 0);
    // The caller fills the reserved text.
    std::memcpy(buffer, OLESTR("abcd"), 4 * sizeof(OLECHAR));
    EXPECT_EQ(WideString(buffer, 4), OLESTR("abcd"));
    SysFreeString(buffer);
}

TEST(BstrTest, SysAllocStringLenCopiesOnlyTheGivenLength)
{
    BSTR copy = SysAllocStringLen(OLESTR("Photos"), 3);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(WideString(copy), OLESTR("Pho"));
    EXPECT_EQ(SysStringLen(copy), 3u);
    SysFreeString(copy);
}

TEST(BstrTest, NullBstrReadsAsEmptyAndFreesAsNothing)
{
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysStringByteLen(nullptr), 0u);
    SysFreeString(nullptr);
}

TEST(BstrTest, LengthWhoseByteCountCannotFitThePrefixIsRefused)
{
    EXPECT_EQ(SysAllocStringLen(nullptr, 0x7FFFFFFFu), nullptr);
    EXPECT_EQ(SysAllocStringLen(nullptr, 0xFFFFFFFFu), nullptr);
}

}  // namespace
