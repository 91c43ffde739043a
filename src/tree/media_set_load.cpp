// Rebuilding the hierarchy from the host's flat list of media sets.
#include "host/host_call.h"
#include "tree/media_set_tree.h"

#include <unordered_set>
#include <vector>

namespace {

using SetsByIndex = std::map<LONG, CCountedRef<IHostMediaSet>>;

// First pass: every listed set under its index. The count is read again
// before every item so the walk follows a list that changes meanwhile; of
// several sets with the same index the one listed last remains.
SetsByIndex CollectSets(IHostMediaSets* sets)
{
    SetsByIndex byIndex;
    for (LONG position = 0;; ++position) {
        const LONG count = HostGetValue<LONG>(sets, &IHostMediaSets::get_Count);
        if (!(position < count)) break;
        CCountedRef<IHostMediaSet> set = HostGetObject<IHostMediaSet>(sets, &IHostMediaSets::get_Item, position + 1);
        if (!set) throw _com_error(E_POINTER);
        const LONG index = HostGetValue<LONG>(set.Get(), &IHostMediaSet::get_Index);
        byIndex[index] = std::move(set);
    }
    return byIndex;
}

// The indexes from a set up to its top-level ancestor, nearest first. A
// climb that meets an index a second time would never end: the host's
// parent links then form a cycle and no hierarchy can be trusted.
void ClimbParents(const CCountedRef<IHostMediaSet>& start, std::vector<LONG>& chain)
{
    std::unordered_set<LONG> seen;
    CCountedRef<IHostMediaSet> current = start;
    chain.push_back(HostGetValue<LONG>(current.Get(), &IHostMediaSet::get_Index));
    seen.insert(chain.back());
    for (;;) {
        CCountedRef<IHostMediaSet> parent = HostGetObject<IHostMediaSet>(current.Get(), &IHostMediaSet::get_Parent);
        if (!parent) return;
        const LONG index = HostGetValue<LONG>(parent.Get(), &IHostMediaSet::get_Index);
        if (!seen.insert(index).second) throw _com_error(HRESULT_FROM_WIN32(ERROR_CIRCULAR_DEPENDENCY));
        chain.push_back(index);
        current = std::move(parent);
    }
}

}  // namespace

HRESULT CMediaSetTree::Load(IHostCatalog* catalog) noexcept
{
    Clear();
    return HostBoundary([&] {
        const CCountedRef<IHostMediaSets> sets =
            HostGetObject<IHostMediaSets>(catalog, &IHostCatalog::get_MediaSets);
        const SetsByIndex byIndex = CollectSets(sets.Get());

        std::vector<LONG> chain;
        for (const auto& entry : byIndex) {
            // A skipped set starts no chain of its own, but still gets its
            // node as the ancestor of a set that is not skipped.
            if (HostGetValue<VARIANT_BOOL>(entry.second.Get(), &IHostMediaSet::get_IsSkipped) != 0) continue;
            chain.clear();
            ClimbParents(entry.second, chain);
            Place(chain, byIndex);
        }
        return S_OK;
    });
}

void CMediaSetTree::Place(const std::vector<LONG>& chain, const std::map<LONG, CCountedRef<IHostMediaSet>>& byIndex)
{
    CMediaSetNode* above = nullptr;
    for (auto index = chain.rbegin(); index != chain.rend(); ++index) {
        MediaSetNodeMap& level = above ? above->m_children : m_roots;
        auto found = level.find(*index);
        if (found == level.end()) {
            auto node = std::make_unique<CMediaSetNode>();
            // An ancestor the host's list leaves out gets a node without a
            // set; the listing and the keyword pass refuse such a node.
            const auto listed = byIndex.find(*index);
            if (listed != byIndex.end()) node->m_mediaSet.Assign(listed->second.Get());
            node->m_parent = above;
            found = level.emplace(*index, std::move(node)).first;
        }
        above = found->second.get();
    }
}
