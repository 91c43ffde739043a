#include "model/catalog_rules.h"

#include "model/file_system.h"
#include "model/host_operations.h"
#include "model/set_hierarchy.h"
#include "platform/utf8.h"

#include <cstdint>
#include <limits>
#include <map>

namespace {

using Json = nlohmann::ordered_json;

[[noreturn]] void Broken(const std::string& where, const std::string& what)
{
    throw CCatalogFormatError(where + ": " + what);
}

std::string Field(const std::string& where, const char* key)
{
    return where.empty() ? std::string(key) : where + "." + key;
}

// A set's id as a problem line shows it: quoted and escaped as in JSON, so
// that an id holding a line break or a NUL still gives one whole line.
std::string QuotedId(const std::string& id) { return Json(id).dump(); }

std::string Element(const char* list, std::size_t position) { return std::string(list) + "[" + std::to_string(position) + "]"; }

const Json* Find(const Json& object, const char* key)
{
    const auto found = object.find(key);
    return found == object.end() ? nullptr : &*found;
}

// A JSON integer as a 64-bit value, if it is one that fits.
std::optional<std::int64_t> IntegerValue(const Json& value)
{
    if (value.is_number_unsigned()) {
        const auto unsignedValue = value.get<std::uint64_t>();
        if (unsignedValue > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) return std::nullopt;
        return static_cast<std::int64_t>(unsignedValue);
    }
    if (value.is_number_integer()) return value.get<std::int64_t>();
    return std::nullopt;
}

template <class T>
std::optional<T> NarrowInteger(const Json& value)
{
    const std::optional<std::int64_t> wide = IntegerValue(value);
    if (!wide || *wide < std::numeric_limits<T>::min() || *wide > std::numeric_limits<T>::max()) return std::nullopt;
    return static_cast<T>(*wide);
}

// A key holding a string or null. Absent: `fallback`.
OptionalText ReadText(const Json& object, const char* key, const std::string& where, OptionalText fallback)
{
    const Json* value = Find(object, key);
    if (!value) return fallback;
    if (value->is_null()) return std::nullopt;
    if (!value->is_string()) Broken(Field(where, key), "must be a string or null");
    return FromUtf8(value->get_ref<const std::string&>());
}

LONG ReadLong(const Json& value, const std::string& where)
{
    const std::optional<LONG> number = NarrowInteger<LONG>(value);
    if (!number) Broken(where, "must be an integer from -2147483648 to 2147483647");
    return *number;
}

bool ReadFlag(const Json& object, const char* key, const std::string& where)
{
    const Json* value = Find(object, key);
    if (!value) return false;
    if (!value->is_boolean()) Broken(Field(where, key), "must be true or false");
    return value->get<bool>();
}

const Json& RequireObject(const Json& value, const std::string& where)
{
    if (!value.is_object()) Broken(where, "must be an object");
    return value;
}

// A list that may be left out; null is not a list.
const Json* OptionalList(const Json& document, const char* key)
{
    const Json* list = Find(document, key);
    if (list && !list->is_array()) Broken(key, "must be a list");
    return list;
}

// Items and sets name items by the same JSON value: 2 and "2" are different ids.
// An item id as the trace and the complaints write it. Integers are by far
// the commonest ids, and the library's serializer is costly for one number.
std::string IdText(const Json& id)
{
    if (id.is_string()) return id.get_ref<const std::string&>();
    if (id.is_number_unsigned()) return std::to_string(id.get<std::uint64_t>());
    if (id.is_number_integer()) return std::to_string(id.get<std::int64_t>());
    return id.dump();
}

std::string ItemKey(const Json& id) { return (id.is_string() ? "s" : "i") + IdText(id); }

CApplicationRecord ReadApplication(const Json& document)
{
    CApplicationRecord application = DefaultApplicationRecord();
    const Json* block = Find(document, "application");
    if (!block) return application;
    RequireObject(*block, "application");
    application.m_name = ReadText(*block, "name", "application", application.m_name);
    application.m_version = ReadText(*block, "version", "application", application.m_version);
    application.m_path = ReadText(*block, "path", "application", application.m_path);
    application.m_runnable = ReadFlag(*block, "runnable", "application");
    return application;
}

CCatalogRecord ReadCatalog(const Json& document, const std::filesystem::path& openedAs)
{
    CCatalogRecord catalog;
    catalog.m_name = PathToWide(openedAs.stem());
    catalog.m_path = PathToWide(AbsolutePath(openedAs));
    const Json* block = Find(document, "catalog");
    if (!block) return catalog;
    RequireObject(*block, "catalog");
    if (const Json* index = Find(*block, "index")) catalog.m_index = ReadLong(*index, "catalog.index");
    catalog.m_name = ReadText(*block, "name", "catalog", catalog.m_name);
    catalog.m_path = ReadText(*block, "path", "catalog", catalog.m_path);
    return catalog;
}

void ReadItems(const Json& document, CCatalogContent& content, std::map<std::string, std::size_t>& byKey)
{
    const Json* list = OptionalList(document, "items");
    if (!list) return;
    for (std::size_t position = 0; position < list->size(); ++position) {
        const std::string where = Element("items", position);
        const Json& entry = RequireObject((*list)[position], where);
        const Json* id = Find(entry, "id");
        if (!id || !(id->is_string() || id->is_number_integer()))
            Broken(Field(where, "id"), "is required and must be an integer or a string");
        CMediaItemRecord item;
        item.m_label = IdText(*id);
        item.m_keywords = ReadText(entry, "keywords", where, WideString());
        if (!byKey.emplace(ItemKey(*id), position).second)
            Broken(Field(where, "id"), "the id " + id->dump() + " is used by another item");
        content.m_items.push_back(std::move(item));
    }
}

VARIANT_BOOL ReadSkipped(const Json& entry, const std::string& where)
{
    const Json* value = Find(entry, "skipped");
    if (!value) return VARIANT_FALSE;
    if (value->is_boolean()) return value->get<bool>() ? VARIANT_TRUE : VARIANT_FALSE;
    const std::optional<VARIANT_BOOL> number = NarrowInteger<VARIANT_BOOL>(*value);
    if (!number) Broken(Field(where, "skipped"), "must be true, false or an integer from -32768 to 32767");
    return *number;
}

// The parent as the id it names, if any.
std::optional<std::string> ReadParentId(const Json& entry, const std::string& where)
{
    const Json* value = Find(entry, "parent");
    if (!value || value->is_null()) return std::nullopt;
    if (value->is_string()) return value->get<std::string>();
    const std::optional<std::int64_t> number = IntegerValue(*value);
    if (!number) Broken(Field(where, "parent"), "must be null, a set's id or an integer");
    return std::to_string(*number);
}

void ReadItemList(const Json& entry, const std::string& where, const std::map<std::string, std::size_t>& itemsByKey,
                  CMediaSetRecord& set)
{
    const Json* list = Find(entry, "items");
    if (!list) return;
    if (list->is_null()) {
        set.m_hasItemList = false;
        return;
    }
    if (!list->is_array()) Broken(Field(where, "items"), "must be a list of item ids or null");
    for (std::size_t k = 0; k < list->size(); ++k) {
        const Json& id = (*list)[k];
        const auto found = (id.is_string() || id.is_number_integer()) ? itemsByKey.find(ItemKey(id)) : itemsByKey.end();
        if (found == itemsByKey.end())
            Broken(Field(where, "items") + "[" + std::to_string(k) + "]", "no item has the id " + id.dump());
        set.m_items.push_back(found->second);
    }
}

void ReadSets(const Json& document, const std::map<std::string, std::size_t>& itemsByKey, CCatalogContent& content)
{
    const Json* list = OptionalList(document, "sets");
    if (!list) return;
    std::map<std::string, std::size_t> byId;
    std::vector<std::optional<std::string>> parentIds;
    std::vector<bool> levelGiven;
    for (std::size_t position = 0; position < list->size(); ++position) {
        const std::string where = Element("sets", position);
        const Json& entry = RequireObject((*list)[position], where);
        CMediaSetRecord set;
        const Json* index = Find(entry, "index");
        if (!index) Broken(Field(where, "index"), "is required");
        set.m_index = ReadLong(*index, Field(where, "index"));
        set.m_id = std::to_string(set.m_index);
        if (const Json* id = Find(entry, "id")) {
            if (!id->is_string()) Broken(Field(where, "id"), "must be a string");
            set.m_id = id->get<std::string>();
        }
        const auto known = byId.find(set.m_id);
        if (known != byId.end())
            Broken(where, "the id " + QuotedId(set.m_id) + " is already the id of " + Element("sets", known->second) +
                              " (sets that share an index need ids of their own)");
        byId.emplace(set.m_id, position);
        set.m_name = ReadText(entry, "name", where, WideString());
        parentIds.push_back(ReadParentId(entry, where));
        const Json* level = Find(entry, "level");
        levelGiven.push_back(level != nullptr);
        if (level) set.m_level = ReadLong(*level, Field(where, "level"));
        set.m_skipped = ReadSkipped(entry, where);
        ReadItemList(entry, where, itemsByKey, set);
        set.m_hidden = ReadFlag(entry, "hidden", where);
        content.m_sets.push_back(std::move(set));
    }

    std::vector<std::optional<std::size_t>> parents(content.m_sets.size());
    for (std::size_t position = 0; position < content.m_sets.size(); ++position) {
        if (!parentIds[position]) continue;
        const auto parent = byId.find(*parentIds[position]);
        if (parent == byId.end())
            Broken(Field(Element("sets", position), "parent"), "no set has the id " + QuotedId(*parentIds[position]));
        parents[position] = parent->second;
        content.m_sets[position].m_parent = parent->second;
    }
    const std::vector<LONG> levels = DefaultSetLevels(parents);
    for (std::size_t position = 0; position < content.m_sets.size(); ++position) {
        if (!levelGiven[position]) content.m_sets[position].m_level = levels[position];
        if (!content.m_sets[position].m_hidden) content.m_listedSets.push_back(position);
    }
}

// "0x80010108" as a string, or the number itself.
std::optional<HRESULT> ReadHresult(const Json& value)
{
    if (value.is_string()) {
        const std::string& text = value.get_ref<const std::string&>();
        if (text.size() < 3 || text.size() > 10 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X'))
            return std::nullopt;
        std::uint32_t bits = 0;
        for (std::size_t i = 2; i < text.size(); ++i) {
            const char c = text[i];
            const int digit = (c >= '0' && c <= '9')   ? c - '0'
                              : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                              : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                       : -1;
            if (digit < 0) return std::nullopt;
            bits = (bits << 4) | static_cast<std::uint32_t>(digit);
        }
        return static_cast<HRESULT>(bits);
    }
    const std::optional<std::int64_t> number = IntegerValue(value);
    if (!number || *number < std::numeric_limits<std::int32_t>::min() ||
        *number > static_cast<std::int64_t>(std::numeric_limits<std::uint32_t>::max()))
        return std::nullopt;
    return static_cast<HRESULT>(static_cast<std::uint32_t>(*number));
}

void ReadFaults(const Json& document, CCatalogContent& content)
{
    const Json* list = OptionalList(document, "faults");
    if (!list) return;
    for (std::size_t position = 0; position < list->size(); ++position) {
        const std::string where = Element("faults", position);
        const Json& entry = RequireObject((*list)[position], where);
        CFaultRule rule;
        const Json* call = Find(entry, "call");
        if (!call || !call->is_string()) Broken(Field(where, "call"), "is required and must be a string");
        const CHostOperationInfo* operation = FindHostOperation(call->get_ref<const std::string&>());
        if (!operation) Broken(Field(where, "call"), "the host has no operation " + call->dump());
        rule.m_operation = operation->m_name;
        if (const Json* nth = Find(entry, "nth")) {
            const std::optional<std::int64_t> number = IntegerValue(*nth);
            if (!number || *number < 1) Broken(Field(where, "nth"), "must be an integer of 1 or more");
            rule.m_nth = static_cast<std::uint64_t>(*number);
        }
        const Json* hr = Find(entry, "hr");
        const Json* null = Find(entry, "null");
        const Json* exit = Find(entry, "exit");
        if ((hr != nullptr) + (null != nullptr) + (exit != nullptr) != 1)
            Broken(where, "needs either \"hr\", \"null\": true or \"exit\": true, and only one of them");
        if (exit) {
            if (!exit->is_boolean() || !exit->get<bool>()) Broken(Field(where, "exit"), "must be true");
            rule.m_endsHost = true;
        } else if (hr) {
            const std::optional<HRESULT> value = ReadHresult(*hr);
            if (!value || SUCCEEDED(*value))
                Broken(Field(where, "hr"), "must be a failing HRESULT such as \"0x80010108\"");
            rule.m_hresult = *value;
        } else {
            if (!null->is_boolean() || !null->get<bool>()) Broken(Field(where, "null"), "must be true");
            if (!operation->CanReturnNull())
                Broken(where, std::string(operation->m_name) + " has no result that could be null");
            rule.m_returnsNull = true;
        }
        for (const CFaultRule& earlier : content.m_faults)
            if (earlier.m_operation == rule.m_operation && earlier.m_nth == rule.m_nth)
                Broken(where, "another fault already takes call " + std::to_string(rule.m_nth) + " of " +
                                  rule.m_operation);
        content.m_faults.push_back(std::move(rule));
    }
}

}  // namespace

CApplicationRecord DefaultApplicationRecord()
{
    CApplicationRecord application;
    application.m_name = WideString(OLESTR("Lumora"));
    application.m_version = WideString(OLESTR("3.1"));
    application.m_path = WideString(OLESTR("C:\\Apps\\Lumora"));
    return application;
}

CCatalogContent ReadCatalogContent(const nlohmann::ordered_json& document, const std::filesystem::path& openedAs)
{
    if (!document.is_object()) Broken("the file", "must hold a JSON object");
    CCatalogContent content;
    content.m_application = ReadApplication(document);
    content.m_catalog = ReadCatalog(document, openedAs);
    std::map<std::string, std::size_t> itemsByKey;
    ReadItems(document, content, itemsByKey);
    ReadSets(document, itemsByKey, content);
    ReadFaults(document, content);
    return content;
}
