// The listing of the media set hierarchy.
#include "host/host_call.h"
#include "report/report_line.h"
#include "tree/media_set_tree.h"

#include <vector>

namespace {

// One node's block. Each value is read from the host before its line is
// started, so a failed read leaves no partial line.
HRESULT PrintBlock(const CMediaSetNode& node)
{
    IHostMediaSet* const set = node.MediaSet().Get();
    if (!set) return E_INVALIDARG;
    WriteNumberLine(OLESTR("Media Set Index: "), HostGetValue<LONG>(set, &IHostMediaSet::get_Index));
    WriteTextLine(OLESTR("Media Set Name: "), HostGetString(set, &IHostMediaSet::get_Name));
    WriteNumberLine(OLESTR("Media Set Level: "), HostGetValue<LONG>(set, &IHostMediaSet::get_Level));
    if (const CMediaSetNode* parent = node.Parent())
        WriteNumberLine(OLESTR("Media Set Parent: "),
                        HostGetValue<LONG>(parent->MediaSet().Get(), &IHostMediaSet::get_Index));
    else
        WriteBareLine(OLESTR("Media Set Parent: None"));
    WriteNumberLine(OLESTR("Media Set Children: "), static_cast<long long>(node.Children().size()));
    return S_OK;
}

}  // namespace

HRESULT CMediaSetNode::Print() const
{
    return HostBoundary([&]() -> HRESULT {
        // Depth first, pre-order, with an explicit stack of pending children
        // so that the depth of the hierarchy never grows the call stack.
        struct Pending {
            const CMediaSetNode* node;
            MediaSetNodeMap::const_iterator next;
        };
        HRESULT hr = PrintBlock(*this);
        if (FAILED(hr)) return hr;
        std::vector<Pending> stack{{this, m_children.begin()}};
        while (!stack.empty()) {
            Pending& top = stack.back();
            if (top.next == top.node->m_children.end()) {
                stack.pop_back();
                continue;
            }
            const CMediaSetNode& child = *(top.next++)->second;
            hr = PrintBlock(child);
            if (FAILED(hr)) return hr;
            stack.push_back({&child, child.m_children.begin()});
        }
        return S_OK;
    });
}

HRESULT CMediaSetTree::Print() const
{
    return HostBoundary([&]() -> HRESULT {
        WriteNumberLine(OLESTR("Media Set Root Entries: "), static_cast<long long>(m_roots.size()));
        for (const auto& root : m_roots) {
            const HRESULT hr = root.second->Print();
            if (FAILED(hr)) return hr;
        }
        return S_OK;
    });
}
