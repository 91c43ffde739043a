#include "fakes/tree_shape.h"

void AddDeepChain(CFakeHost& host, LONG depth)
{
    for (LONG index = 1; index <= depth; ++index) {
        CFakeSetData& set = index == 1 ? host.AddSet(index) : host.AddSet(index, WideString(), index - 1);
        set.skipped = index == depth ? VARIANT_FALSE : VARIANT_TRUE;
    }
}

HRESULT LoadFromHost(CFakeHost& host, CMediaSetTree& tree)
{
    CCountedRef<IHostCatalog> catalog;
    *catalog.Put() = host.ObtainCatalog();
    return tree.Load(catalog.Get());
}
