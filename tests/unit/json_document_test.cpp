// The catalog's JSON document is built by our own parser callbacks, so that
// it can be let go without memory. It must still read every text exactly as
// the library's own builder does.
#include "model/json_document.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class JsonDocumentTest : public ::testing::TestWithParam<const char*> {};

TEST_P(JsonDocumentTest, ReadsAsTheLibraryDoes)
{
    JsonDocument document;
    const CJsonEmptier emptier(document);
    std::string problem;
    ASSERT_TRUE(ParseJsonDocument(GetParam(), document, problem)) << problem;
    EXPECT_EQ(document.dump(), JsonDocument::parse(GetParam()).dump());
}

INSTANTIATE_TEST_SUITE_P(
    Texts, JsonDocumentTest,
    ::testing::Values("null", "[]", "{}", "\"\\u0000x\"", "-12.5e3", "18446744073709551615",
                      R"({"b": 1, "a": [true, false, null, {}], "c": {"x": [[], [{}]]}})",
                      // A key given twice keeps its first place and its last value.
                      R"({"k": 1, "other": 2, "k": {"deep": [1, 2, 3]}})",
                      R"([{"k": [1]}, {"k": [2], "k": 3}, "\u00e9\ud83d\ude00"])"));

TEST(JsonDocumentTest, RefusesWhatIsNoCatalog)
{
    const std::string deep = std::string(kMaxJsonDepth + 1, '[') + std::string(kMaxJsonDepth + 1, ']');
    for (const std::string& text : {std::string("{\"a\": [1, 2"), std::string("[1] 2"), deep}) {
        JsonDocument document;
        const CJsonEmptier emptier(document);
        std::string problem;
        EXPECT_FALSE(ParseJsonDocument(text, document, problem)) << text;
        EXPECT_FALSE(problem.empty()) << text;
    }
}

TEST(JsonDocumentTest, MemberForWritingKeepsOrderAndValuesWhileTheObjectGrows)
{
    JsonDocument item = JsonDocument::parse(R"({"id": 1, "file": "a.jpg", "extra": {"x": [1, 2]}})");
    MemberForWriting(item, "file") = "b.jpg";
    for (int i = 0; i < 20; ++i) MemberForWriting(item, "k" + std::to_string(i)) = i;
    MemberForWriting(item, "keywords") = "beach";
    EXPECT_EQ(item.begin().key(), "id");
    EXPECT_EQ(item["file"], "b.jpg");
    EXPECT_EQ(item["extra"].dump(), R"({"x":[1,2]})");
    EXPECT_EQ(item["k19"], 19);
    EXPECT_EQ((--item.end()).key(), "keywords");
    EXPECT_EQ(item.size(), 24u);
    EmptyWithoutAllocating(item);
    EXPECT_TRUE(item.is_null());
}

}  // namespace
