// One media set in the rebuilt hierarchy. The node holds the host's set
// through a counted reference and asks the host for everything else (name,
// level, items) whenever a reader needs it.
#pragma once

#include "host/counted_ref.h"
#include "host/host_interfaces.h"

#include <map>
#include <memory>

class CMediaSetNode;

// Children and root entries are keyed by the host's set index and walked in
// ascending signed order.
using MediaSetNodeMap = std::map<LONG, std::unique_ptr<CMediaSetNode>>;

class CMediaSetNode {
public:
    CMediaSetNode() = default;
    CMediaSetNode(const CMediaSetNode&) = delete;
    CMediaSetNode& operator=(const CMediaSetNode&) = delete;
    virtual ~CMediaSetNode();

    // Destroys every descendant, then gives back the held set. Always S_OK.
    HRESULT Clear() noexcept;

    // Writes this node's block and those of its whole subtree, pre-order.
    HRESULT Print() const noexcept;

    // Gives every media item of this node's set, and of every set below it,
    // the keyword that names its place in the hierarchy.
    HRESULT AddKeywords(const WideString& parentText) const noexcept;
    HRESULT AddKeywordToMediaItems(const WideString& keyword) const noexcept;

    const CCountedRef<IHostMediaSet>& MediaSet() const noexcept { return m_mediaSet; }
    const CMediaSetNode* Parent() const noexcept { return m_parent; }
    const MediaSetNodeMap& Children() const noexcept { return m_children; }

private:
    friend class CMediaSetTree;

    // Destroys every node of the map with its subtree, deepest first.
    static void DestroyNodes(MediaSetNodeMap& nodes) noexcept;

    CCountedRef<IHostMediaSet> m_mediaSet;
    CMediaSetNode* m_parent = nullptr;  // back link, never owning
    MediaSetNodeMap m_children;
};
