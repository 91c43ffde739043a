#include "support/tree_shape.h"

#include "host/counted_ref.h"

namespace {

std::string Shape(const MediaSetNodeMap& nodes)
{
    std::string text;
    for (const auto& entry : nodes) {
        if (!text.empty()) text += ' ';
        text += std::to_string(entry.first);
        if (!entry.second->MediaSet()) text += '*';
        if (!entry.second->Children().empty()) text += '(' + Shape(entry.second->Children()) + ')';
    }
    return text;
}

bool Consistent(const MediaSetNodeMap& nodes, const CMediaSetNode* parent)
{
    for (const auto& entry : nodes) {
        if (!entry.second || entry.second->Parent() != parent) return false;
        if (!Consistent(entry.second->Children(), entry.second.get())) return false;
    }
    return true;
}

}  // namespace

std::string TreeShape(const CMediaSetTree& tree) { return Shape(tree.Roots()); }

bool ParentLinksConsistent(const CMediaSetTree& tree) { return Consistent(tree.Roots(), nullptr); }

void AddDeepChain(CTestHost& host, LONG depth)
{
    for (LONG index = 1; index <= depth; ++index) {
        CMediaSetRecord& set = index == 1 ? host.AddSet(index) : host.AddSet(index, WideString(), index - 1);
        set.m_skipped = index == depth ? VARIANT_FALSE : VARIANT_TRUE;
    }
}

HRESULT LoadFromHost(CTestHost& host, CMediaSetTree& tree)
{
    CCountedRef<IHostCatalog> catalog;
    *catalog.Put() = host.ObtainCatalog();
    return tree.Load(catalog.Get());
}
