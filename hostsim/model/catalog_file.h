// One catalog file: read and checked once, changed only in its items'
// keyword lists, and saved back with everything else as it was read (key
// order and keys the host does not know included).
#pragma once

#include "model/catalog_records.h"

#include "model/json_document.h"

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>

enum class KeywordChange { Unchanged, Changed, NotStorable };

class CCatalogFile {
public:
    // Reads and checks the file. On failure `file` stays empty, the result
    // is HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND) for a missing file,
    // HRESULT_FROM_WIN32(ERROR_INVALID_DATA) for content that is not a
    // catalog, another failure when it cannot be read, and `problem` says
    // what is wrong. Throws std::bad_alloc.
    static HRESULT Open(const std::filesystem::path& path, std::unique_ptr<CCatalogFile>& file, std::string& problem);
    // A catalog that exists only in memory, as a unit test builds it: its
    // keyword lists change like a file's, and saving it writes nothing.
    static std::unique_ptr<CCatalogFile> InMemory(CCatalogContent content);

    const std::filesystem::path& Path() const noexcept { return m_path; }
    const CCatalogContent& Content() const noexcept { return m_content; }
    CCatalogContent& EditableContent() noexcept { return m_content; }
    bool IsChanged() const noexcept { return m_changed; }

    // Replaces an item's whole keyword list, every code unit of it (embedded
    // NULs included). Text that UTF-8 cannot hold (an unpaired surrogate) is
    // refused rather than stored altered. Throws std::bad_alloc.
    KeywordChange SetKeywords(std::size_t item, const WideString& keywords);

    // Writes the changed catalog back atomically, streaming the text into the
    // temporary file rather than holding it whole; clears the change mark on
    // success. Throws std::bad_alloc.
    bool Save(std::string& problem);

private:
    CCatalogFile(std::filesystem::path path, JsonDocument&& document, CCatalogContent&& content);

    std::filesystem::path m_path;
    JsonDocument m_document;
    CJsonEmptier m_emptier{m_document};  // lets the document go without needing memory
    CCatalogContent m_content;
    bool m_changed = false;
};

// The text a save writes: the document with two-space indentation and a final
// newline. Throws nlohmann::json::type_error for a string that is not UTF-8,
// after some of the text may have gone to the stream.
void WriteCatalogText(const JsonDocument& document, std::ostream& stream);
