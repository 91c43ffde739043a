// The rules of the catalog file: what each key may hold and what it means
// when absent. Reading a document either gives the complete content or names
// the first rule that is broken.
#pragma once

#include "model/catalog_records.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <stdexcept>

// A rule of the catalog file is broken; what() says where and how.
class CCatalogFormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// `openedAs` is the path the file was opened by: it gives the catalog's
// default name and path. Throws CCatalogFormatError and std::bad_alloc.
CCatalogContent ReadCatalogContent(const nlohmann::ordered_json& document, const std::filesystem::path& openedAs);
