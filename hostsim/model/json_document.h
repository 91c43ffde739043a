// The catalog's JSON document, read and let go without the JSON library's
// one weakness under memory pressure: its value destructor flattens a
// container into a freshly allocated list, and an allocation that fails
// there, inside a destructor, ends the process. Everything here empties a
// document leaf by leaf instead, which needs no memory at all.
#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <string_view>

using JsonDocument = nlohmann::ordered_json;

// A catalog needs four levels; a limit keeps emptying linear and saving
// (which the library does recursively) within the stack.
constexpr std::size_t kMaxJsonDepth = 64;

// Empties `value` to null, deepest and last values first, without allocating.
void EmptyWithoutAllocating(JsonDocument& value) noexcept;

// The member `key` of an object, added as null when it is missing. Grows the
// object by moving its members, never copying them. Throws std::bad_alloc,
// and then leaves the object as it was.
JsonDocument& MemberForWriting(JsonDocument& object, const std::string& key);

// Parses `text` into `document` (which must be null). On a syntax error
// gives false and says why in `problem`. Throws std::bad_alloc. Whatever the
// outcome, a partly read document is left in `document`, never destroyed by
// the library, so the caller's CJsonEmptier can let it go safely.
bool ParseJsonDocument(std::string_view text, JsonDocument& document, std::string& problem);

// Empties a document when its scope ends, however it ends.
class CJsonEmptier {
public:
    explicit CJsonEmptier(JsonDocument& document) noexcept : m_document(document) {}
    ~CJsonEmptier() { EmptyWithoutAllocating(m_document); }
    CJsonEmptier(const CJsonEmptier&) = delete;
    CJsonEmptier& operator=(const CJsonEmptier&) = delete;

private:
    JsonDocument& m_document;
};
