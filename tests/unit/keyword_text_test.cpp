// The text rules of the keywords that name a set's place in the hierarchy:
// ";" is the only character a set name may not carry into a keyword, tokens
// of a list are maximal runs without ";", a match is a whole token with only
// A-Z folded, and a keyword is appended without tidying the list.
#include "keywords/keyword_text.h"

#include <gtest/gtest.h>

namespace {

WideString W(const OLECHAR* text) { return WideString(text); }

// ---- sanitising and composing ----

struct CComposeCase {
    const char* name;
    WideString parent;
    WideString setName;
    WideString keyword;
};

class MakeSetKeywordTest : public ::testing::TestWithParam<CComposeCase> {};

TEST_P(MakeSetKeywordTest, ParentTextThenTheSanitisedNameInBraces)
{
    EXPECT_EQ(MakeSetKeyword(GetParam().parent, GetParam().setName), GetParam().keyword);
}

INSTANTIATE_TEST_SUITE_P(
    Keywords, MakeSetKeywordTest,
    ::testing::Values(
        CComposeCase{"RootEntry", W(OLESTR("{Root}")), W(OLESTR("2007")), W(OLESTR("{Root}{2007}"))},
        CComposeCase{"Child", W(OLESTR("{Root}{2007}")), W(OLESTR("Trips")), W(OLESTR("{Root}{2007}{Trips}"))},
        CComposeCase{"SemicolonAndSpace", W(OLESTR("{Root}{2007}{Trips}")), W(OLESTR("Rome; Day 1")),
                     W(OLESTR("{Root}{2007}{Trips}{Rome_ Day 1}"))},
        CComposeCase{"Semicolon", W(OLESTR("{Root}")), W(OLESTR("A;B")), W(OLESTR("{Root}{A_B}"))},
        CComposeCase{"OnlySemicolons", W(OLESTR("{Root}")), W(OLESTR(";;")), W(OLESTR("{Root}{__}"))},
        CComposeCase{"BracesPassThrough", W(OLESTR("{Root}")), W(OLESTR("x}{y")), W(OLESTR("{Root}{x}{y}"))},
        CComposeCase{"SpacesKept", W(OLESTR("{Root}{2007}")), W(OLESTR(" Trips ")),
                     W(OLESTR("{Root}{2007}{ Trips }"))},
        CComposeCase{"EmptyName", W(OLESTR("{Root}")), WideString(), W(OLESTR("{Root}{}"))},
        CComposeCase{"UnderscoreAndCaseKept", W(OLESTR("{Root}")), W(OLESTR("a_B")), W(OLESTR("{Root}{a_B}"))},
        CComposeCase{"NonAsciiKept", W(OLESTR("{Root}")), W(OLESTR("\u00C9t\u00E9;\u65E5")),
                     W(OLESTR("{Root}{\u00C9t\u00E9_\u65E5}"))},
        // The parent text is used as it is, even if it holds a ";".
        CComposeCase{"ParentNotSanitisedAgain", W(OLESTR("{Ro;ot}")), W(OLESTR("x")), W(OLESTR("{Ro;ot}{x}"))},
        // Only the name's own text is sanitised: a NUL inside it stays a NUL.
        CComposeCase{"NulInNameKept", W(OLESTR("{Root}")), WideString(OLESTR("a\0;"), 3),
                     WideString(OLESTR("{Root}{a\0_}"), 11)}),
    [](const ::testing::TestParamInfo<CComposeCase>& info) { return info.param.name; });

TEST(SanitizeSetNameTest, ReplacesEverySemicolonOneForOneAndNothingElse)
{
    const WideString everyAscii = [] {
        WideString text;
        for (OLECHAR c = 1; c < 0x80; ++c) text += c;
        return text;
    }();
    const WideString safe = SanitizeSetName(everyAscii);
    ASSERT_EQ(safe.size(), everyAscii.size());
    for (std::size_t i = 0; i < safe.size(); ++i)
        EXPECT_EQ(safe[i], everyAscii[i] == u';' ? u'_' : everyAscii[i]) << "code unit " << i;
    EXPECT_EQ(SanitizeSetName(WideString()), WideString());
    EXPECT_EQ(SanitizeSetName(W(OLESTR(";a;;b;"))), W(OLESTR("_a__b_")));
}

// ---- matching ----

struct CMatchCase {
    const char* name;
    WideString list;
    WideString keyword;
    bool contained;
};

class KeywordListContainsTest : public ::testing::TestWithParam<CMatchCase> {};

TEST_P(KeywordListContainsTest, MatchesOnlyWholeTokensFoldingOnlyAsciiLetters)
{
    EXPECT_EQ(KeywordListContains(GetParam().list, GetParam().keyword), GetParam().contained);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, KeywordListContainsTest,
    ::testing::Values(
        CMatchCase{"EmptyList", WideString(), W(OLESTR("{Root}{A}")), false},
        CMatchCase{"OnlySeparators", W(OLESTR(";;;")), W(OLESTR("{Root}{A}")), false},
        CMatchCase{"Alone", W(OLESTR("{Root}{A}")), W(OLESTR("{Root}{A}")), true},
        CMatchCase{"AsciiCaseFolded", W(OLESTR("{root}{2007}")), W(OLESTR("{Root}{2007}")), true},
        CMatchCase{"AsciiCaseFoldedBothWays", W(OLESTR("{ROOT}{TRIPS}")), W(OLESTR("{root}{trips}")), true},
        CMatchCase{"AccentedNotFolded", W(OLESTR("{Root}{\u00C9T\u00C9}")), W(OLESTR("{Root}{\u00E9t\u00E9}")), false},
        CMatchCase{"AccentedEqual", W(OLESTR("x;{Root}{\u00E9t\u00E9}")), W(OLESTR("{ROOT}{\u00E9t\u00E9}")), true},
        CMatchCase{"LeadingSpaceIsPartOfTheToken", W(OLESTR("x; {Root}{A}")), W(OLESTR("{Root}{A}")), false},
        CMatchCase{"TrailingSpaceIsPartOfTheToken", W(OLESTR("{Root}{A} ;x")), W(OLESTR("{Root}{A}")), false},
        CMatchCase{"LongerTokenDoesNotMatch", W(OLESTR("{Root}{A}{B}")), W(OLESTR("{Root}{A}")), false},
        CMatchCase{"ShorterTokenDoesNotMatch", W(OLESTR("{Root}")), W(OLESTR("{Root}{A}")), false},
        CMatchCase{"SeparatorsAround", W(OLESTR(";;{Root}{A};;")), W(OLESTR("{Root}{A}")), true},
        CMatchCase{"LastToken", W(OLESTR("beach;sun;{Root}{A}")), W(OLESTR("{Root}{A}")), true},
        CMatchCase{"FirstToken", W(OLESTR("{Root}{A};beach")), W(OLESTR("{Root}{A}")), true},
        CMatchCase{"MiddleOfARunOfSeparators", W(OLESTR("a;;;{Root}{A};;;b")), W(OLESTR("{Root}{A}")), true},
        CMatchCase{"AtSignNotFolded", W(OLESTR("{Root}{@}")), W(OLESTR("{Root}{`}")), false},
        CMatchCase{"BracketNotFolded", W(OLESTR("{Root}{[}")), W(OLESTR("{Root}{{}")), false},
        CMatchCase{"UnderscoreIsNotASemicolon", W(OLESTR("{Root}{A;B}")), W(OLESTR("{Root}{A_B}")), false},
        // A NUL is a character like any other: the list is searched whole.
        CMatchCase{"KeywordBehindANul", WideString(OLESTR("beach\0x;{Root}{A}"), 17), W(OLESTR("{Root}{A}")), true},
        CMatchCase{"NulSplitsNoToken", WideString(OLESTR("{Root}{A}\0"), 10), W(OLESTR("{Root}{A}")), false}),
    [](const ::testing::TestParamInfo<CMatchCase>& info) { return info.param.name; });

// ---- appending ----

struct CAppendCase {
    const char* name;
    WideString list;
    WideString extended;
};

class AppendKeywordTest : public ::testing::TestWithParam<CAppendCase> {};

TEST_P(AppendKeywordTest, AppendsWithOneSeparatorAndNoTidying)
{
    EXPECT_EQ(AppendKeyword(GetParam().list, W(OLESTR("{Root}{A}"))), GetParam().extended);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, AppendKeywordTest,
    ::testing::Values(CAppendCase{"Empty", WideString(), W(OLESTR("{Root}{A}"))},
                      CAppendCase{"OneToken", W(OLESTR("a")), W(OLESTR("a;{Root}{A}"))},
                      CAppendCase{"EndsWithSeparator", W(OLESTR("a;")), W(OLESTR("a;;{Root}{A}"))},
                      CAppendCase{"OnlySeparator", W(OLESTR(";")), W(OLESTR(";;{Root}{A}"))},
                      CAppendCase{"OneSpace", W(OLESTR(" ")), W(OLESTR(" ;{Root}{A}"))},
                      CAppendCase{"UntidyKept", W(OLESTR(" b ;;a")), W(OLESTR(" b ;;a;{Root}{A}"))},
                      CAppendCase{"EmbeddedNulKept", WideString(OLESTR("x\0y"), 3),
                                  WideString(OLESTR("x\0y;{Root}{A}"), 13)},
                      CAppendCase{"OnlyNul", WideString(1, OLECHAR(0)), WideString(OLESTR("\0;{Root}{A}"), 11)}),
    [](const ::testing::TestParamInfo<CAppendCase>& info) { return info.param.name; });

TEST(KeywordTextTest, ComposedKeywordIsAlwaysExactlyOneToken)
{
    const WideString keyword = MakeSetKeyword(W(OLESTR("{Root}")), W(OLESTR(";a;;b;")));
    EXPECT_EQ(keyword.find(u';'), WideString::npos);
    EXPECT_TRUE(KeywordListContains(AppendKeyword(W(OLESTR("x;")), keyword), keyword));
}

}  // namespace
