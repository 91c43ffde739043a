// The names of the host's operations as the trace writes them and as faults
// name them. Keeping them in one table lets a catalog's faults be checked
// when the file is read, so a misspelt name is an error instead of a fault
// that silently never fires.
#pragma once

#include <string_view>

namespace HostOperation {
inline constexpr const char* kCreateInstance = "CreateInstance";
inline constexpr const char* kApplicationName = "IHostApplication::Name";
inline constexpr const char* kApplicationVersion = "IHostApplication::Version";
inline constexpr const char* kApplicationPath = "IHostApplication::Path";
inline constexpr const char* kApplicationActiveCatalog = "IHostApplication::ActiveCatalog";
// Only an application that the catalog makes runnable answers it.
inline constexpr const char* kApplicationRun = "IRunnableObject::Run";
inline constexpr const char* kCatalogIndex = "IHostCatalog::Index";
inline constexpr const char* kCatalogName = "IHostCatalog::Name";
inline constexpr const char* kCatalogPath = "IHostCatalog::Path";
inline constexpr const char* kCatalogMediaSets = "IHostCatalog::MediaSets";
inline constexpr const char* kSetsCount = "IHostMediaSets::Count";
inline constexpr const char* kSetsItem = "IHostMediaSets::Item";
inline constexpr const char* kSetName = "IHostMediaSet::Name";
inline constexpr const char* kSetIndex = "IHostMediaSet::Index";
inline constexpr const char* kSetIsSkipped = "IHostMediaSet::IsSkipped";
inline constexpr const char* kSetLevel = "IHostMediaSet::Level";
inline constexpr const char* kSetParent = "IHostMediaSet::Parent";
inline constexpr const char* kSetMediaItems = "IHostMediaSet::MediaItems";
inline constexpr const char* kItemsCount = "IHostMediaItems::Count";
inline constexpr const char* kItemsItem = "IHostMediaItems::Item";
inline constexpr const char* kItemAnnotations = "IHostMediaItem::Annotations";
inline constexpr const char* kKeywordsGet = "IHostAnnotations::Keywords";
inline constexpr const char* kKeywordsPut = "IHostAnnotations::Keywords(put)";
}  // namespace HostOperation

struct CHostOperationInfo {
    const char* m_name;
    bool m_canReturnNull;  // a string or an object: a fault may make it succeed with null
};

// The operation of that name, or null when the host has none.
const CHostOperationInfo* FindHostOperation(std::string_view name);
