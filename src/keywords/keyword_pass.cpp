// The keyword pass: the only step of a run that changes the catalog. It only
// ever adds a keyword to a list; nothing is removed or replaced.
#include "host/host_call.h"
#include "keywords/keyword_text.h"
#include "tree/media_set_tree.h"

#include <vector>

namespace {

// A node without a set (an ancestor the host's list leaves out) names no
// place in the hierarchy, so none of its items can be given a keyword.
IHostMediaSet* RequireSet(const CMediaSetNode& node)
{
    if (!node.MediaSet()) throw _com_error(E_INVALIDARG);
    return node.MediaSet().Get();
}

void AddKeywordToItemsOf(IHostMediaSet* set, const WideString& keyword)
{
    const CCountedRef<IHostMediaItems> items = HostGetObject<IHostMediaItems>(set, &IHostMediaSet::get_MediaItems);
    if (!items) return;  // a set without an item collection has no items
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
}

// Depth first, each set before its children, with an explicit stack so the
// depth of the hierarchy never grows the call stack. One text serves the
// whole subtree: a node appends its segment to `text` and cuts it off again
// when its subtree is done, so a deep hierarchy costs memory in proportion
// to its depth rather than to its square.
void AddKeywordsToSubtree(const CMediaSetNode& top, WideString& text)
{
    struct Pending {
        const CMediaSetNode* node;
        MediaSetNodeMap::const_iterator next;
        std::size_t parentLength;
    };
    std::vector<Pending> stack;
    const auto enter = [&](const CMediaSetNode& node) {
        IHostMediaSet* const set = RequireSet(node);
        const std::size_t parentLength = text.size();
        AppendSetSegment(text, HostGetString(set, &IHostMediaSet::get_Name).UpToNul());
        AddKeywordToItemsOf(set, text);
        stack.push_back({&node, node.Children().begin(), parentLength});
    };
    enter(top);
    while (!stack.empty()) {
        Pending& pending = stack.back();
        if (pending.next == pending.node->Children().end()) {
            text.resize(pending.parentLength);
            stack.pop_back();
            continue;
        }
        enter(*(pending.next++)->second);
    }
}

}  // namespace

HRESULT CMediaSetTree::AddKeywords() const noexcept
{
    return HostBoundary([&] {
        WideString text(kRootKeyword);
        for (const auto& root : m_roots) AddKeywordsToSubtree(*root.second, text);
        return S_OK;
    });
}

HRESULT CMediaSetNode::AddKeywords(const WideString& parentText) const noexcept
{
    return HostBoundary([&] {
        WideString text = parentText;
        AddKeywordsToSubtree(*this, text);
        return S_OK;
    });
}

HRESULT CMediaSetNode::AddKeywordToMediaItems(const WideString& keyword) const noexcept
{
    return HostBoundary([&] {
        AddKeywordToItemsOf(RequireSet(*this), keyword);
        return S_OK;
    });
}
