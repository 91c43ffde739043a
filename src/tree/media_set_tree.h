// The forest of media sets rebuilt from the host's flat list.
#pragma once

#include "tree/media_set_node.h"

#include <vector>

class CMediaSetTree {
public:
    CMediaSetTree() = default;
    CMediaSetTree(const CMediaSetTree&) = delete;
    CMediaSetTree& operator=(const CMediaSetTree&) = delete;
    virtual ~CMediaSetTree();

    // Clears the tree, then builds it from the catalog's media sets. The
    // catalog is borrowed for the call.
    HRESULT Load(IHostCatalog* catalog) noexcept;

    // Destroys every root entry with its subtree. Always S_OK.
    HRESULT Clear() noexcept;

    // Writes the listing: the number of root entries, then every node.
    HRESULT Print() const noexcept;

    // The keyword pass over the whole forest.
    HRESULT AddKeywords() const noexcept;

    const MediaSetNodeMap& Roots() const noexcept { return m_roots; }

private:
    // Finds or creates the node of every set on a chain of indexes, top-level
    // set first.
    void Place(const std::vector<LONG>& chain, const std::map<LONG, CCountedRef<IHostMediaSet>>& byIndex);

    MediaSetNodeMap m_roots;
};
