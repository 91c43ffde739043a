#include "tree/media_set_node.h"

CMediaSetNode::~CMediaSetNode() { Clear(); }

HRESULT CMediaSetNode::Clear() noexcept
{
    DestroyNodes(m_children);
    m_mediaSet.Reset();
    return S_OK;
}

void CMediaSetNode::DestroyNodes(MediaSetNodeMap& nodes) noexcept
{
    // Post-order without recursion, so a hierarchy of any depth is destroyed
    // without exhausting the stack: descend to the first leaf, give back its
    // set, remove it from its owner, and go on from the owner. Siblings go in
    // ascending index order, each with its whole subtree before the next.
    while (!nodes.empty()) {
        const auto first = nodes.begin();
        CMediaSetNode* const top = first->second.get();
        CMediaSetNode* node = top;
        while (node) {
            if (!node->m_children.empty()) {
                node = node->m_children.begin()->second.get();
                continue;
            }
            node->m_mediaSet.Reset();
            if (node == top) break;
            // A node's owner is always its parent: the load links them so.
            CMediaSetNode* const owner = node->m_parent;
            owner->m_children.erase(owner->m_children.begin());
            node = owner;
        }
        nodes.erase(first);
    }
}
