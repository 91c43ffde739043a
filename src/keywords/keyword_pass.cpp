// The keyword pass: the only step of a run that changes the catalog. It only
// ever adds a keyword to a list; nothing is removed or replaced.
#include "host/host_call.h"
#include "keywords/keyword_text.h"
#include "tree/media_set_tree.h"

#include <vector>

HRESULT CMediaSetTree::AddKeywords() const
{
    const WideString rootText(kRootKeyword);
    for (const auto& root : m_roots) {
        const HRESULT hr = root.second->AddKeywords(rootText);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

HRESULT CMediaSetNode::AddKeywords(const WideString& parentText) const
{
    return HostBoundary([&]() -> HRESULT {
        // Depth first, each set before its children, with an explicit stack
        // so the depth of the hierarchy never grows the call stack. One text
        // serves the whole subtree: a node appends its segment and cuts it
        // off again when its subtree is done, so a deep hierarchy costs
        // memory in proportion to its depth rather than to its square.
        struct Pending {
            const CMediaSetNode* node;
            MediaSetNodeMap::const_iterator next;
            std::size_t parentLength;
        };
        WideString text = parentText;
        std::vector<Pending> stack;
        const auto enter = [&](const CMediaSetNode& node) -> HRESULT {
            if (!node.m_mediaSet) return E_INVALIDARG;
            const std::size_t parentLength = text.size();
            AppendSetSegment(text, HostGetString(node.m_mediaSet.Get(), &IHostMediaSet::get_Name).UpToNul());
            const HRESULT hr = node.AddKeywordToMediaItems(text);
            if (FAILED(hr)) return hr;
            stack.push_back({&node, node.m_children.begin(), parentLength});
            return S_OK;
        };
        HRESULT hr = enter(*this);
        while (SUCCEEDED(hr) && !stack.empty()) {
            Pending& top = stack.back();
            if (top.next == top.node->m_children.end()) {
                text.resize(top.parentLength);
                stack.pop_back();
                continue;
            }
            const CMediaSetNode& child = *(top.next++)->second;
            hr = enter(child);
        }
        return FAILED(hr) ? hr : S_OK;
    });
}

HRESULT CMediaSetNode::AddKeywordToMediaItems(const WideString& keyword) const
{
    if (!m_mediaSet) return E_INVALIDARG;
    return HostBoundary([&]() -> HRESULT {
        const CCountedRef<IHostMediaItems> items =
            HostGetObject<IHostMediaItems>(m_mediaSet.Get(), &IHostMediaSet::get_MediaItems);
        if (!items) return S_OK;  // a set without an item collection has no items
        // The count is read again before every item, so the walk follows a
        // collection that changes while it runs.
        for (long long position = 1; position <= HostGetValue<LONG>(items.Get(), &IHostMediaItems::get_Count);
             ++position) {
            const CCountedRef<IHostMediaItem> item =
                HostGetObject<IHostMediaItem>(items.Get(), &IHostMediaItems::get_Item, static_cast<LONG>(position));
            const CCountedRef<IHostAnnotations> annotations =
                HostGetObject<IHostAnnotations>(item.Get(), &IHostMediaItem::get_Annotations);
            // The whole list, embedded NULs included: a list is never written
            // back shorter than it was read.
            const WideString list = HostGetString(annotations.Get(), &IHostAnnotations::get_Keywords).Whole();
            if (KeywordListContains(list, keyword)) continue;
            const WideString extended = AppendKeyword(list, keyword);
            const CHostString written(SysAllocStringLen(extended.data(), static_cast<UINT>(extended.size())));
            if (written.IsNull()) throw std::bad_alloc();
            HostCall(annotations.Get(), &IHostAnnotations::put_Keywords, written.Get());
        }
        return S_OK;
    });
}
