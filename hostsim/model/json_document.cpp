#include "model/json_document.h"

#include <unordered_map>
#include <utility>
#include <vector>

namespace {

using Array = JsonDocument::array_t;
using Object = JsonDocument::object_t;

bool IsFilledContainer(const JsonDocument& value) noexcept
{
    return (value.is_array() || value.is_object()) && !value.empty();
}

JsonDocument& LastChild(JsonDocument& container) noexcept
{
    if (container.is_array()) return container.get_ref<Array&>().back();
    return container.get_ref<Object&>().back().second;
}

void RemoveLastChild(JsonDocument& container) noexcept
{
    if (container.is_array())
        container.get_ref<Array&>().pop_back();
    else
        container.get_ref<Object&>().pop_back();
}

// Builds the document as the parser reads it. Unlike the library's own
// builder it keeps a partly built document where the caller owns it, so a
// syntax error or a failed allocation never leaves the library to destroy a
// filled container. An object's members wait in a list of their own until
// the object ends: the library's ordered object copies its members whenever
// it grows (its keys are const), and copies of filled values are exactly what
// cannot be let go without memory.
class CDocumentBuilder {
public:
    CDocumentBuilder(JsonDocument& root, std::string& problem) : m_root(root), m_problem(problem) {}
    CDocumentBuilder(const CDocumentBuilder&) = delete;
    CDocumentBuilder& operator=(const CDocumentBuilder&) = delete;
    ~CDocumentBuilder()
    {
        for (CFrame& frame : m_open)
            for (auto& member : frame.members) EmptyWithoutAllocating(member.second);
    }

    bool null() { return Add(nullptr) != nullptr; }
    bool boolean(bool value) { return Add(value) != nullptr; }
    bool number_integer(JsonDocument::number_integer_t value) { return Add(value) != nullptr; }
    bool number_unsigned(JsonDocument::number_unsigned_t value) { return Add(value) != nullptr; }
    bool number_float(JsonDocument::number_float_t value, const std::string&) { return Add(value) != nullptr; }
    bool string(std::string& value) { return Add(std::move(value)) != nullptr; }
    bool binary(JsonDocument::binary_t& value) { return Add(JsonDocument::binary(std::move(value))) != nullptr; }

    bool start_object(std::size_t) { return Open(JsonDocument::value_t::object); }
    bool key(std::string& name)
    {
        m_open.back().members.emplace_back(std::move(name), nullptr);
        return true;
    }
    bool end_object()
    {
        CFrame& frame = m_open.back();
        Object& members = frame.value->get_ref<Object&>();
        members.reserve(frame.members.size());
        // A key given twice keeps its first place and its last value, as when
        // the library builds.
        std::unordered_map<std::string, std::size_t> places;
        for (auto& member : frame.members) {
            const auto place = places.emplace(member.first, members.size());
            if (place.second) {
                members.Object::Container::emplace_back(std::move(member.first), std::move(member.second));
            } else {
                JsonDocument& earlier = members.Object::Container::operator[](place.first->second).second;
                EmptyWithoutAllocating(earlier);
                earlier = std::move(member.second);
            }
        }
        m_open.pop_back();
        return true;
    }
    bool start_array(std::size_t) { return Open(JsonDocument::value_t::array); }
    bool end_array()
    {
        m_open.pop_back();
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const JsonDocument::exception& error)
    {
        // The library's messages begin with "[json.exception.parse_error.101] ";
        // the reader of a catalog complaint needs only what follows.
        const std::string message = error.what();
        const std::size_t end = message.find("] ");
        m_problem = "not valid JSON: " + (message[0] == '[' && end != std::string::npos ? message.substr(end + 2)
                                                                                       : message);
        return false;
    }

private:
    struct CFrame {
        JsonDocument* value;                                       // the open array or object
        std::vector<std::pair<std::string, JsonDocument>> members;  // an object's, until it ends
    };

    // Places a value where the parser is and gives its address.
    template <class V>
    JsonDocument* Add(V&& value)
    {
        if (m_open.empty()) {
            m_root = JsonDocument(std::forward<V>(value));
            return &m_root;
        }
        CFrame& top = m_open.back();
        if (top.value->is_array()) {
            Array& array = top.value->get_ref<Array&>();
            array.emplace_back(std::forward<V>(value));
            return &array.back();
        }
        JsonDocument& slot = top.members.back().second;
        slot = JsonDocument(std::forward<V>(value));
        return &slot;
    }

    bool Open(JsonDocument::value_t kind)
    {
        if (m_open.size() >= kMaxJsonDepth) {
            m_problem = "not a catalog: values nested more than " + std::to_string(kMaxJsonDepth) + " deep";
            return false;
        }
        m_open.reserve(kMaxJsonDepth);
        m_open.push_back(CFrame{Add(JsonDocument(kind)), {}});
        return true;
    }

    JsonDocument& m_root;
    std::string& m_problem;
    std::vector<CFrame> m_open;
};

}  // namespace

void EmptyWithoutAllocating(JsonDocument& value) noexcept
{
    // Walks down the last children to a value with nothing inside and removes
    // it from its container; a container whose children are gone is removed
    // in its turn. Catalogs are shallow, so the walks from the top cost little.
    while (IsFilledContainer(value)) {
        JsonDocument* container = &value;
        JsonDocument* child = &LastChild(*container);
        while (IsFilledContainer(*child)) {
            container = child;
            child = &LastChild(*container);
        }
        RemoveLastChild(*container);
    }
    // Null, a scalar or an empty container: nothing left that needs memory to go.
    value = nullptr;
}

JsonDocument& MemberForWriting(JsonDocument& object, const std::string& key)
{
    Object& members = object.get_ref<Object&>();
    for (auto& member : members)
        if (member.first == key) return member.second;
    Object::Container& list = members;
    if (list.size() == list.capacity()) {
        // Keys first, with null values: if copying one fails, only nulls are
        // let go. Then the values move over, which cannot fail, and what is
        // left behind is keys and nulls, which go without memory.
        Object::Container grown;
        grown.reserve(list.size() * 2 + 1);
        for (const auto& member : list) grown.emplace_back(member.first, nullptr);
        for (std::size_t i = 0; i < list.size(); ++i) grown[i].second = std::move(list[i].second);
        list.swap(grown);
    }
    list.emplace_back(key, nullptr);
    return list.back().second;
}

bool ParseJsonDocument(std::string_view text, JsonDocument& document, std::string& problem)
{
    CDocumentBuilder builder(document, problem);
    return JsonDocument::sax_parse(text, &builder, nlohmann::json::input_format_t::json, true);
}
