// The keyword text rules against their properties, for any texts: a
// sanitised name has no ";" and its length; a keyword appended to a list is
// then found in it; appending keeps the list as it was in front; and the
// token search agrees with the plainest split-and-compare.
#include "fuzz_support.h"
#include "keywords/keyword_text.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr OLECHAR kSemicolon = u';';

// Code units as keyword lists and set names meet them: separators, braces,
// letters in both ASCII cases, letters whose case ASCII does not fold, NUL
// and both halves of a surrogate pair. Anything else is taken as it comes.
OLECHAR NextUnit(FuzzedDataProvider& input)
{
    static constexpr OLECHAR kCommon[] = {u';', u';', u'{', u'}', u'a', u'A', u'b', u'B', u'z', u'Z', u'_',
                                          u'R', u'r', u'o', u'O', u't', u'T', u' ', 0x0000, 0x00E9, 0x00C9,
                                          0x0130, 0x0131, 0x212A, 0xD83D, 0xDE00, 0xFFFD, u'@', u'[', u'`'};
    const std::uint8_t pick = input.ConsumeIntegral<std::uint8_t>();
    if (pick < 224) return kCommon[pick % (sizeof kCommon / sizeof kCommon[0])];
    return static_cast<OLECHAR>(input.ConsumeIntegral<std::uint16_t>());
}

WideString NextText(FuzzedDataProvider& input)
{
    const std::size_t length = input.ConsumeIntegralInRange<std::size_t>(0, 24);
    WideString text;
    for (std::size_t i = 0; i < length && input.remaining_bytes() > 0; ++i) text += NextUnit(input);
    return text;
}

// Written here the plainest way, to be different from the rule it checks.
OLECHAR Lower(OLECHAR c) { return (c >= u'A' && c <= u'Z') ? static_cast<OLECHAR>(c - u'A' + u'a') : c; }

bool SameIgnoringAsciiCase(const WideString& a, const WideString& b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

bool NaiveContains(const WideString& list, const WideString& keyword)
{
    std::vector<WideString> tokens(1);
    for (OLECHAR c : list) {
        if (c == kSemicolon)
            tokens.emplace_back();
        else
            tokens.back() += c;
    }
    for (const WideString& token : tokens)
        if (!token.empty() && SameIgnoringAsciiCase(token, keyword)) return true;
    return false;
}

bool StartsWith(const WideString& text, const WideString& prefix)
{
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

std::string Shown(const WideString& text)
{
    std::string shown;
    for (OLECHAR c : text) {
        if (c >= 0x20 && c < 0x7F) {
            shown += static_cast<char>(c);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
            shown += escape;
        }
    }
    return "\"" + shown + "\"";
}

void CheckSanitizedName(const WideString& name)
{
    const WideString safe = SanitizeSetName(name);
    RequireThat(safe.size() == name.size(), [&] { return "sanitising " + Shown(name) + " changed its length"; });
    for (std::size_t i = 0; i < name.size(); ++i) {
        const OLECHAR expected = name[i] == kSemicolon ? u'_' : name[i];
        RequireThat(safe[i] == expected, [&] {
            return "sanitising " + Shown(name) + " gave " + Shown(safe) + " (only \";\" may change, into \"_\")";
        });
    }
}

// The keyword of a set below `parentText`, both ways it is built.
WideString CheckSetKeyword(const WideString& parentText, const WideString& name)
{
    const WideString keyword = MakeSetKeyword(parentText, name);
    const WideString expected = parentText + u'{' + SanitizeSetName(name) + u'}';
    RequireThat(keyword == expected, [&] {
        return "the keyword of " + Shown(name) + " below " + Shown(parentText) + " is " + Shown(keyword);
    });
    WideString inPlace = parentText;
    AppendSetSegment(inPlace, name);
    RequireThat(inPlace == keyword, [&] { return "appending the segment of " + Shown(name) + " in place differs"; });
    return keyword;
}

void CheckContains(const WideString& list, const WideString& keyword)
{
    const bool found = KeywordListContains(list, keyword);
    RequireThat(found == NaiveContains(list, keyword), [&] {
        return "KeywordListContains(" + Shown(list) + ", " + Shown(keyword) + ") is " + (found ? "true" : "false") +
               ", splitting at \";\" says otherwise";
    });
}

void CheckAppend(const WideString& list, const WideString& keyword)
{
    const WideString extended = AppendKeyword(list, keyword);
    RequireThat(StartsWith(extended, list), [&] {
        return "appending " + Shown(keyword) + " to " + Shown(list) + " gave " + Shown(extended) +
               ", which does not start with the list";
    });
    const WideString expectedTail = list.empty() ? keyword : WideString(1, kSemicolon) + keyword;
    RequireThat(extended.size() == list.size() + expectedTail.size() &&
                    extended.compare(list.size(), WideString::npos, expectedTail) == 0,
                [&] { return "appending " + Shown(keyword) + " to " + Shown(list) + " gave " + Shown(extended); });
    // A keyword that is a whole token (no ";", not empty) is found once appended.
    if (!keyword.empty() && keyword.find(kSemicolon) == WideString::npos)
        RequireThat(KeywordListContains(extended, keyword), [&] {
            return Shown(extended) + " does not contain " + Shown(keyword) + ", which was just appended";
        });
    CheckContains(extended, keyword);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const WideString list = NextText(input);
    const WideString freeKeyword = NextText(input);

    // A keyword as the keyword pass builds it: {Root} and one segment per
    // set on the way down.
    WideString keyword = kRootKeyword;
    const std::size_t depth = input.ConsumeIntegralInRange<std::size_t>(1, 4);
    for (std::size_t level = 0; level < depth; ++level) {
        const WideString name = NextText(input);
        CheckSanitizedName(name);
        keyword = CheckSetKeyword(keyword, name);
    }
    RequireThat(keyword.find(kSemicolon) == WideString::npos,
                [&] { return "the keyword " + Shown(keyword) + " holds a separator"; });

    CheckContains(list, freeKeyword);
    CheckContains(list, keyword);
    CheckAppend(list, keyword);
    CheckAppend(list, freeKeyword);
    // The text the pass reads back after its write: the same keyword is then
    // already there and would not be written a second time.
    CheckAppend(AppendKeyword(list, keyword), keyword);
    return 0;
}
