// Arguments and file names are bytes on POSIX. Their text must tell every
// two byte strings apart, or Quillfen could take one catalog for another.
#include "platform/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct CBytesCase {
    const char* name;
    std::string bytes;
    WideString text;
};

class NativeBytesTest : public ::testing::TestWithParam<CBytesCase> {};

TEST_P(NativeBytesTest, DecodesAndComesBackUnchanged)
{
    EXPECT_EQ(FromNativeBytes(GetParam().bytes), GetParam().text);
    EXPECT_EQ(ToNativeBytes(GetParam().text), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, NativeBytesTest,
    ::testing::Values(CBytesCase{"Ascii", "/tmp/photos.json", WideString(OLESTR("/tmp/photos.json"))},
                      CBytesCase{"Utf8", "caf\xC3\xA9", WideString(OLESTR("caf\u00E9"))},
                      CBytesCase{"Latin1Byte", "caf\xE9", WideString{u'c', u'a', u'f', char16_t(0xDCE9)}},
                      CBytesCase{"TruncatedSequence", "\xE6\x97", WideString{char16_t(0xDCE6), char16_t(0xDC97)}},
                      // The UTF-8 form of a surrogate is not UTF-8: each byte is kept.
                      CBytesCase{"EncodedSurrogate", "\xED\xB3\xA9",
                                 WideString{char16_t(0xDCED), char16_t(0xDCB3), char16_t(0xDCA9)}},
                      CBytesCase{"Overlong", "\xC0\xAF", WideString{char16_t(0xDCC0), char16_t(0xDCAF)}},
                      CBytesCase{"BeyondUnicode", "\xF4\x90\x80\x80",
                                 WideString{char16_t(0xDCF4), char16_t(0xDC90), char16_t(0xDC80), char16_t(0xDC80)}}),
    [](const ::testing::TestParamInfo<CBytesCase>& info) { return info.param.name; });

// The catalog file's text: where a file name keeps an undecodable byte,
// text from UTF-8 gets U+FFFD, and the caller can learn that it did.
TEST_P(NativeBytesTest, FromUtf8ReplacesWhatFileNamesKeep)
{
    WideString replaced = GetParam().text;
    for (OLECHAR& c : replaced)
        if (c >= 0xDC80 && c <= 0xDCFF) c = 0xFFFD;
    bool valid = false;
    EXPECT_EQ(FromUtf8(GetParam().bytes, &valid), replaced);
    EXPECT_EQ(valid, replaced == GetParam().text);
}

TEST(NativeBytesTest, EveryByteStringOfTwoBytesHasItsOwnText)
{
    // All 65,536 two-byte strings: a collision would let one file name pass
    // for another in the active-catalog check.
    for (int first = 0; first < 256; ++first) {
        for (int second = 0; second < 256; ++second) {
            const std::string bytes{static_cast<char>(first), static_cast<char>(second)};
            ASSERT_EQ(ToNativeBytes(FromNativeBytes(bytes)), bytes) << first << " " << second;
        }
    }
}

}  // namespace
