#include "model/host_operations.h"

#include <iterator>

namespace {

using namespace HostOperation;

constexpr CHostOperationInfo kOperations[] = {
    {kCreateInstance, true},
    {kApplicationName, true},
    {kApplicationVersion, true},
    {kApplicationPath, true},
    {kApplicationActiveCatalog, true},
    {kApplicationRun, false},
    {kCatalogIndex, false},
    {kCatalogName, true},
    {kCatalogPath, true},
    {kCatalogMediaSets, true},
    {kSetsCount, false},
    {kSetsItem, true},
    {kSetName, true},
    {kSetIndex, false},
    {kSetIsSkipped, false},
    {kSetLevel, false},
    {kSetParent, true},
    {kSetMediaItems, true},
    {kItemsCount, false},
    {kItemsItem, true},
    {kItemAnnotations, true},
    {kKeywordsGet, true},
    {kKeywordsPut, false},
};

}  // namespace

const CHostOperationInfo* FindHostOperation(std::string_view name)
{
    for (const CHostOperationInfo& operation : kOperations)
        if (name == operation.m_name) return &operation;
    return nullptr;
}
