#include "keywords/keyword_text.h"

#include "platform/ascii_case.h"

namespace {

constexpr OLECHAR kSeparator = OLESTR(';');

}  // namespace

WideString SanitizeSetName(const WideString& name)
{
    WideString safe = name;
    for (OLECHAR& c : safe)
        if (c == kSeparator) c = OLESTR('_');
    return safe;
}

void AppendSetSegment(WideString& text, const WideString& name)
{
    text.reserve(text.size() + name.size() + 2);
    text += OLESTR('{');
    text += SanitizeSetName(name);
    text += OLESTR('}');
}

WideString MakeSetKeyword(const WideString& parentText, const WideString& name)
{
    WideString keyword = parentText;
    AppendSetSegment(keyword, name);
    return keyword;
}

bool KeywordListContains(const WideString& list, const WideString& keyword)
{
    // Tokens are the maximal runs without ";": a run of separators is one
    // separator and no token is ever empty. Nothing is trimmed.
    const std::size_t length = list.size();
    std::size_t position = 0;
    while (position < length) {
        if (list[position] == kSeparator) {
            ++position;
            continue;
        }
        std::size_t end = position;
        while (end < length && list[end] != kSeparator) ++end;
        if (EqualIgnoringAsciiCase(list.data() + position, end - position, keyword.data(), keyword.size()))
            return true;
        position = end;
    }
    return false;
}

WideString AppendKeyword(const WideString& list, const WideString& keyword)
{
    if (list.empty()) return keyword;
    WideString extended;
    extended.reserve(list.size() + 1 + keyword.size());
    extended += list;
    extended += kSeparator;
    extended += keyword;
    return extended;
}
