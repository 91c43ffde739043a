// The text rules of the keyword that names a media set's place in the
// hierarchy, and of the host's ";"-separated keyword lists. Pure functions
// over UTF-16 text: they never touch the host.
#pragma once

#include "platform/com.h"

// The prefix of every keyword text: the parent text of each root entry.
inline const OLECHAR* const kRootKeyword = OLESTR("{Root}");

// Replaces every ";" by "_", so a name can never split a keyword list.
WideString SanitizeSetName(const WideString& name);

// The parent text, then the sanitised name in braces.
WideString MakeSetKeyword(const WideString& parentText, const WideString& name);

// Appends the sanitised name in braces to `text` in place.
void AppendSetSegment(WideString& text, const WideString& name);

// True when a whole token of the list equals the keyword, ASCII letters
// compared without case.
bool KeywordListContains(const WideString& list, const WideString& keyword);

// The list, unchanged, then ";" and the keyword (the keyword alone when the
// list is empty).
WideString AppendKeyword(const WideString& list, const WideString& keyword);
