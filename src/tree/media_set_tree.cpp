#include "tree/media_set_tree.h"

CMediaSetTree::~CMediaSetTree() { Clear(); }

HRESULT CMediaSetTree::Clear() noexcept
{
    CMediaSetNode::DestroyNodes(m_roots);
    return S_OK;
}
