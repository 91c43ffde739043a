#include "catalog_decoder.h"

#include "model/host_operations.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <set>
#include <utility>

namespace {

// The pieces names and keyword lists are made of: letters in both ASCII
// cases (keywords match without ASCII case), separators and braces, NUL,
// accented letters that ASCII case leaves alone, a character outside the
// Basic Multilingual Plane, characters JSON must escape, and keywords that a run
// over a small catalog really writes.
const std::vector<std::u16string>& Fragments()
{
    static const std::vector<std::u16string> fragments = {
        u"A", u"a", u"B", u"b", u"Tr", u"x", u";", u";", u"{", u"}", u"_", std::u16string(1, u'\0'),
        u"\u00E9", u"\u00C9", u"\U0001F600", u" ", u"\\", u"\"", u"\n", u"{Root}", u"{Root}{A}", u"{ROOT}{a}",
        u"{Root}{A}{b}", u"{Root}{Tr}", u"{Root}{}",
    };
    return fragments;
}

class CDecoder {
public:
    CDecoder(const std::uint8_t* data, std::size_t size) : m_input(data, size) {}

    FuzzedDataProvider& Input() { return m_input; }
    bool& FollowsFormat() { return m_followsFormat; }

    // One in `n` chances, taken from the input.
    bool OneIn(unsigned n) { return m_input.ConsumeIntegralInRange<unsigned>(0, n - 1) == 0; }

    std::u16string Text(std::size_t most)
    {
        std::u16string text;
        const std::size_t count = m_input.ConsumeIntegralInRange<std::size_t>(0, most);
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t pick = m_input.ConsumeIntegral<std::uint8_t>();
            if (pick < 2 && OneIn(4)) {
                // An unpaired surrogate: JSON can write it, the host refuses the
                // file. The high one is never left where a low one could follow.
                text += pick == 0 ? std::u16string(u"\xD800x") : std::u16string(1, static_cast<char16_t>(0xDC80));
                m_followsFormat = false;
            } else {
                text += Fragments()[pick % Fragments().size()];
            }
        }
        return text;
    }

    // A JSON string. Characters beyond ASCII are escaped or written as
    // UTF-8, as the catalog chooses; surrogates are always escaped.
    std::string Quoted(const std::u16string& text) const
    {
        std::string out = "\"";
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char16_t c = text[i];
            if (c == u'"' || c == u'\\') {
                out += '\\';
                out += static_cast<char>(c);
            } else if (c >= 0x20 && c < 0x7F) {
                out += static_cast<char>(c);
            } else if (c < 0x20 || m_escapeAll || (c >= 0xD800 && c <= 0xDFFF)) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
                out += escape;
            } else if (c < 0x800) {
                out += static_cast<char>(0xC0 | (c >> 6));
                out += static_cast<char>(0x80 | (c & 0x3F));
            } else {
                out += static_cast<char>(0xE0 | (c >> 12));
                out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
                out += static_cast<char>(0x80 | (c & 0x3F));
            }
        }
        return out + "\"";
    }

    // A string-or-null key: left out, null, or a text.
    void TextKey(std::string& object, const char* key, std::size_t most)
    {
        const unsigned choice = m_input.ConsumeIntegralInRange<unsigned>(0, 5);
        if (choice == 0) return;
        Key(object, key, choice == 1 ? std::string("null") : Quoted(Text(most)));
    }

    static void Key(std::string& object, const char* key, const std::string& value)
    {
        if (object.size() > 1) object += ',';
        object += '"';
        object += key;
        object += "\":";
        object += value;
    }

    void SetEscapeAll(bool escapeAll) { m_escapeAll = escapeAll; }

private:
    FuzzedDataProvider m_input;
    bool m_escapeAll = false;
    bool m_followsFormat = true;
};

std::string FlippedAsciiCase(std::string text)
{
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

std::u16string Ascii(const std::string& text) { return std::u16string(text.begin(), text.end()); }

std::string ApplicationBlock(CDecoder& decoder)
{
    std::string block = "{";
    decoder.TextKey(block, "name", 3);
    decoder.TextKey(block, "version", 2);
    decoder.TextKey(block, "path", 3);
    return block + "}";
}

std::string CatalogBlock(CDecoder& decoder, const std::string& catalogPath)
{
    FuzzedDataProvider& input = decoder.Input();
    std::string block = "{";
    if (decoder.OneIn(2)) CDecoder::Key(block, "index", std::to_string(input.ConsumeIntegralInRange<int>(-2, 9)));
    decoder.TextKey(block, "name", 3);
    // The path the host reports, against which Quillfen checks its argument.
    switch (input.ConsumeIntegralInRange<unsigned>(0, 19)) {
    case 0: CDecoder::Key(block, "path", "null"); break;
    case 1: CDecoder::Key(block, "path", "\"\""); break;
    case 2: CDecoder::Key(block, "path", decoder.Quoted(Ascii(FlippedAsciiCase(catalogPath)))); break;
    case 3: CDecoder::Key(block, "path", decoder.Quoted(Ascii("C:\\Other\\catalog.json"))); break;
    case 4: CDecoder::Key(block, "path", decoder.Quoted(Ascii(catalogPath) + u'\0' + u"x")); break;
    default: break;  // the file's own path
    }
    return block + "}";
}

constexpr std::uint32_t kFailures[] = {0x80010108, 0x80004005, 0x8007000E, 0x80070057, 0x80004003, 0x80070423,
                                       0x8000FFFF, 0x80000000, 0xFFFFFFFF, 0x80010100, 0x8007000D};

std::vector<CDecodedFault> Faults(CDecoder& decoder)
{
    FuzzedDataProvider& input = decoder.Input();
    std::vector<CDecodedFault> faults;
    std::set<std::pair<std::string, std::uint64_t>> taken;
    const std::size_t count = input.ConsumeIntegralInRange<std::size_t>(0, decoder.OneIn(8) ? 8 : 3);
    for (std::size_t k = 0; k < count; ++k) {
        CDecodedFault fault;
        const CHostOperationInfo& operation =
            kHostOperations[input.ConsumeIntegralInRange<std::size_t>(0, std::size(kHostOperations) - 1)];
        fault.m_call = operation.m_name;
        const std::uint8_t nth = input.ConsumeIntegral<std::uint8_t>();
        // Mostly early calls, which every run reaches; now and then a late one.
        fault.m_nth = 1 + (nth < 128 ? nth % 4 : nth < 224 ? nth % 16 : nth % 96);
        const bool canBeNull = operation.CanReturnNull();
        fault.m_null = input.ConsumeBool() && (canBeNull || decoder.OneIn(16));
        if (fault.m_null && !canBeNull) decoder.FollowsFormat() = false;
        fault.m_hresult = static_cast<HRESULT>(kFailures[input.ConsumeIntegralInRange<std::size_t>(0, std::size(kFailures) - 1)]);
        // Two faults on one call are an error in the file; now and then keep one.
        while (!taken.emplace(fault.m_call, fault.m_nth).second) {
            if (decoder.OneIn(16)) {
                decoder.FollowsFormat() = false;
                break;
            }
            ++fault.m_nth;
        }
        faults.push_back(std::move(fault));
    }
    return faults;
}

std::string FaultList(CDecoder& decoder, const std::vector<CDecodedFault>& faults)
{
    std::string list = "[";
    for (const CDecodedFault& fault : faults) {
        if (list.size() > 1) list += ',';
        std::string entry = "{";
        CDecoder::Key(entry, "call", decoder.Quoted(Ascii(fault.m_call)));
        if (fault.m_nth != 1 || decoder.OneIn(2)) CDecoder::Key(entry, "nth", std::to_string(fault.m_nth));
        if (fault.m_null) {
            CDecoder::Key(entry, "null", "true");
        } else if (decoder.OneIn(3)) {
            CDecoder::Key(entry, "hr", std::to_string(static_cast<std::uint32_t>(fault.m_hresult)));
        } else {
            char text[16];
            std::snprintf(text, sizeof text, "\"0x%08X\"", static_cast<unsigned>(fault.m_hresult));
            CDecoder::Key(entry, "hr", text);
        }
        list += entry + "}";
    }
    return list + "]";
}

struct CSetShape {
    int m_index = 0;
    bool m_defaultId = true;  // its id is the decimal text of its index
    std::string Id(std::size_t position) const
    {
        return m_defaultId ? std::to_string(m_index) : "s" + std::to_string(position);
    }
};

}  // namespace

CDecodedRun DecodeRun(const std::uint8_t* data, std::size_t size, const std::string& catalogPath)
{
    CDecoder decoder(data, size);
    FuzzedDataProvider& input = decoder.Input();
    CDecodedRun run;

    const unsigned command = input.ConsumeIntegralInRange<unsigned>(0, 63);
    run.m_argumentCount = command == 0 ? 1 : command == 1 ? 3 : 2;
    run.m_catalogActive = command != 2;
    switch (input.ConsumeIntegralInRange<unsigned>(0, 15)) {
    case 0: run.m_requestedPath = FlippedAsciiCase(catalogPath); break;
    case 1: run.m_requestedPath = catalogPath + "x"; break;
    default: run.m_requestedPath = catalogPath; break;
    }
    decoder.SetEscapeAll(input.ConsumeBool());

    std::string head = "{";
    if (decoder.OneIn(3)) CDecoder::Key(head, "application", ApplicationBlock(decoder));
    if (decoder.OneIn(2)) CDecoder::Key(head, "catalog", CatalogBlock(decoder, catalogPath));

    // Items: ids 1, 2, ... as integers or, now and then, as strings.
    const std::size_t itemCount = input.ConsumeIntegralInRange<std::size_t>(0, 8);
    const bool textIds = decoder.OneIn(4);
    const auto itemId = [&](std::size_t k) {
        return textIds ? "\"" + std::to_string(k + 1) + "\"" : std::to_string(k + 1);
    };
    std::string items = "[";
    for (std::size_t k = 0; k < itemCount; ++k) {
        if (items.size() > 1) items += ',';
        std::string item = "{";
        CDecoder::Key(item, "id", itemId(k));
        decoder.TextKey(item, "keywords", 6);
        if (decoder.OneIn(16)) CDecoder::Key(item, "rating", "[3,null,\"\\u0000\"]");  // kept, never read
        items += item + "}";
    }
    items += "]";

    // Sets: the index and id of each first, so parents can name any of them.
    const std::size_t setCount = input.ConsumeIntegralInRange<std::size_t>(0, 8);
    std::vector<CSetShape> shapes(setCount);
    std::set<int> defaultIds;
    for (std::size_t k = 0; k < setCount; ++k) {
        shapes[k].m_index = decoder.OneIn(32) ? (input.ConsumeBool() ? 2147483647 : -2147483647 - 1)
                                              : input.ConsumeIntegralInRange<int>(-2, 5);
        shapes[k].m_defaultId = defaultIds.count(shapes[k].m_index) == 0 && !decoder.OneIn(4);
        if (shapes[k].m_defaultId) defaultIds.insert(shapes[k].m_index);
    }
    std::string sets = "[";
    for (std::size_t k = 0; k < setCount; ++k) {
        if (sets.size() > 1) sets += ',';
        std::string set = "{";
        CDecoder::Key(set, "index", std::to_string(shapes[k].m_index));
        if (!shapes[k].m_defaultId) CDecoder::Key(set, "id", "\"" + shapes[k].Id(k) + "\"");
        decoder.TextKey(set, "name", 3);
        switch (input.ConsumeIntegralInRange<unsigned>(0, 9)) {
        case 0: break;
        case 1: CDecoder::Key(set, "parent", "null"); break;
        case 2:
            if (!decoder.OneIn(8)) break;
            CDecoder::Key(set, "parent", "\"nowhere\"");
            decoder.FollowsFormat() = false;
            break;
        default: {
            // Any set, itself and sets listed later included: cycles come of it.
            const std::size_t parent = input.ConsumeIntegralInRange<std::size_t>(0, setCount - 1);
            const std::string id = shapes[parent].Id(parent);
            CDecoder::Key(set, "parent", shapes[parent].m_defaultId && input.ConsumeBool() ? id : "\"" + id + "\"");
            break;
        }
        }
        if (decoder.OneIn(6)) CDecoder::Key(set, "level", std::to_string(input.ConsumeIntegralInRange<int>(-1, 4)));
        switch (input.ConsumeIntegralInRange<unsigned>(0, 11)) {
        case 0: CDecoder::Key(set, "skipped", "true"); break;
        case 1: CDecoder::Key(set, "skipped", "false"); break;
        case 2: CDecoder::Key(set, "skipped", std::to_string(input.ConsumeIntegralInRange<int>(-2, 2))); break;
        default: break;
        }
        const unsigned itemChoice = input.ConsumeIntegralInRange<unsigned>(0, 9);
        if (itemChoice == 0) {
            CDecoder::Key(set, "items", "null");
        } else if (itemChoice > 1 && itemCount > 0) {
            std::string list = "[";
            const std::size_t length = input.ConsumeIntegralInRange<std::size_t>(0, 4);
            for (std::size_t n = 0; n < length; ++n) {
                if (list.size() > 1) list += ',';
                if (decoder.OneIn(128)) {
                    list += "99";
                    decoder.FollowsFormat() = false;
                } else {
                    list += itemId(input.ConsumeIntegralInRange<std::size_t>(0, itemCount - 1));  // repeats allowed
                }
            }
            CDecoder::Key(set, "items", list + "]");
        }
        if (decoder.OneIn(5)) CDecoder::Key(set, "hidden", "true");
        sets += set + "}";
    }
    sets += "]";

    CDecoder::Key(head, "items", items);
    CDecoder::Key(head, "sets", sets);
    if (decoder.OneIn(8)) CDecoder::Key(head, "notes", "{\"by\":\"\\u0000\",\"n\":[1,-1]}");  // unknown, kept
    run.m_cleanFollowsFormat = decoder.FollowsFormat();
    run.m_faults = Faults(decoder);
    run.m_cleanCatalog = head + "}\n";
    if (run.m_faults.empty()) {
        run.m_catalog = run.m_cleanCatalog;
    } else {
        std::string withFaults = head;
        CDecoder::Key(withFaults, "faults", FaultList(decoder, run.m_faults));
        run.m_catalog = withFaults + "}\n";
    }
    run.m_followsFormat = decoder.FollowsFormat();
    return run;
}
