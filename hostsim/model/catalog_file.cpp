#include "model/catalog_file.h"

#include "model/catalog_rules.h"
#include "model/file_system.h"
#include "platform/utf8.h"

#include <iomanip>
#include <ostream>

namespace {

bool HasUnpairedSurrogate(const WideString& text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = static_cast<char16_t>(text[i]);
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 >= text.size()) return true;
            const char16_t next = static_cast<char16_t>(text[i + 1]);
            if (next < 0xDC00 || next > 0xDFFF) return true;
            ++i;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return true;
        }
    }
    return false;
}

// The library's messages begin with "[json.exception.type_error.316] "; the
// reader of a catalog complaint needs only what follows.
std::string WithoutExceptionTag(const std::string& message)
{
    const std::size_t end = message.find("] ");
    return (!message.empty() && message[0] == '[' && end != std::string::npos) ? message.substr(end + 2) : message;
}

}  // namespace

CCatalogFile::CCatalogFile(std::filesystem::path path, JsonDocument&& document, CCatalogContent&& content)
    : m_path(std::move(path)), m_document(std::move(document)), m_content(std::move(content))
{
}

HRESULT CCatalogFile::Open(const std::filesystem::path& path, std::unique_ptr<CCatalogFile>& file,
                           std::string& problem)
{
    file.reset();
    std::string text;
    const HRESULT hr = ReadWholeFile(path, text, problem);
    if (FAILED(hr)) return hr;
    JsonDocument document;
    const CJsonEmptier emptier(document);  // whatever is left of it when Open ends, however it ends
    if (!ParseJsonDocument(text, document, problem)) return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
    try {
        CCatalogContent content = ReadCatalogContent(document, path);
        file.reset(new CCatalogFile(path, std::move(document), std::move(content)));
    } catch (const CCatalogFormatError& error) {
        problem = error.what();
        return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
    }
    return S_OK;
}

std::unique_ptr<CCatalogFile> CCatalogFile::InMemory(CCatalogContent content)
{
    return std::unique_ptr<CCatalogFile>(new CCatalogFile({}, JsonDocument(), std::move(content)));
}

KeywordChange CCatalogFile::SetKeywords(std::size_t item, const WideString& keywords)
{
    if (HasUnpairedSurrogate(keywords)) return KeywordChange::NotStorable;
    OptionalText& current = m_content.m_items.at(item).m_keywords;
    // A null list and an empty one are the same text to every client.
    if (current.value_or(WideString()) == keywords) return KeywordChange::Unchanged;
    // Everything that can fail comes first, so that the document and the
    // content never disagree about a list.
    WideString stored = keywords;
    if (!m_path.empty()) {
        JsonDocument text(ToUtf8(keywords));
        JsonDocument& slot = MemberForWriting(m_document.at("items").at(item), "keywords");
        slot = std::move(text);
    }
    current = std::move(stored);
    m_changed = true;
    return KeywordChange::Changed;
}

bool CCatalogFile::Save(std::string& problem)
{
    if (m_path.empty()) {
        m_changed = false;
        return true;
    }
    try {
        const auto write = [this](std::ostream& stream) { WriteCatalogText(m_document, stream); };
        if (!ReplaceFileAtomically(m_path, write, problem)) return false;
    } catch (const nlohmann::json::type_error& error) {
        problem = "cannot write the catalog as JSON: " + WithoutExceptionTag(error.what());
        return false;
    }
    m_changed = false;
    return true;
}

void WriteCatalogText(const JsonDocument& document, std::ostream& stream)
{
    // The library streams a document as dump() would lay it out, indented by
    // the stream's width with its fill character.
    const char fill = stream.fill(' ');
    stream << std::setw(2) << document << '\n';
    stream.fill(fill);
}
