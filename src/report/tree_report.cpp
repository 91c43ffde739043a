// The listing of the media set hierarchy.
#include "host/host_call.h"
#include "report/report_line.h"
#include "tree/media_set_tree.h"

#include <vector>

namespace {

// One node's block. Each value is read from the host before its line is
// started, so a failed read leaves no partial line. A node without a set (an
// ancestor the host's list leaves out) has nothing to show.
void PrintBlock(const CMediaSetNode& node)
{
    IHostMediaSet* const set = node.MediaSet().Get();
    if (!set) throw _com_error(E_INVALIDARG);
    WriteNumberLine(OLESTR("Media Set Index: "), HostGetValue<LONG>(set, &IHostMediaSet::get_Index));
    WriteTextLine(OLESTR("Media Set Name: "), HostGetString(set, &IHostMediaSet::get_Name));
    WriteNumberLine(OLESTR("Media Set Level: "), HostGetValue<LONG>(set, &IHostMediaSet::get_Level));
    if (const CMediaSetNode* parent = node.Parent())
        WriteNumberLine(OLESTR("Media Set Parent: "),
                        HostGetValue<LONG>(parent->MediaSet().Get(), &IHostMediaSet::get_Index));
    else
        WriteBareLine(OLESTR("Media Set Parent: None"));
    WriteNumberLine(OLESTR("Media Set Children: "), static_cast<long long>(node.Children().size()));
}

// The blocks of a node and its whole subtree: depth first, pre-order, with an
// explicit stack of pending children so that the depth of the hierarchy
// never grows the call stack.
void PrintSubtree(const CMediaSetNode& top)
{
    struct Pending {
        const CMediaSetNode* node;
        MediaSetNodeMap::const_iterator next;
    };
    PrintBlock(top);
    std::vector<Pending> stack{{&top, top.Children().begin()}};
    while (!stack.empty()) {
        Pending& pending = stack.back();
        if (pending.next == pending.node->Children().end()) {
            stack.pop_back();
            continue;
        }
        const CMediaSetNode& child = *(pending.next++)->second;
        PrintBlock(child);
        stack.push_back({&child, child.Children().begin()});
    }
}

}  // namespace

HRESULT CMediaSetNode::Print() const noexcept
{
    return HostBoundary([&] {
        PrintSubtree(*this);
        return S_OK;
    });
}

HRESULT CMediaSetTree::Print() const noexcept
{
    return HostBoundary([&] {
        WriteNumberLine(OLESTR("Media Set Root Entries: "), static_cast<long long>(m_roots.size()));
        for (const auto& root : m_roots) PrintSubtree(*root.second);
        return S_OK;
    });
}
