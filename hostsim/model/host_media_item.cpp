#include "model/host_objects.h"

using namespace HostOperation;

CHostMediaItemObject::CHostMediaItemObject(std::shared_ptr<CHostState> state, std::size_t item)
    : CHostObject(std::move(state)), m_item(item)
{
    RegisterLocked();
}

std::string CHostMediaItemObject::TraceLabel() const { return "item:" + Catalog().m_items[m_item].m_label; }

HRESULT CHostMediaItemObject::get_Annotations(IHostAnnotations** annotations)
{
    return Serve(kItemAnnotations, annotations, [&](IHostAnnotations*& out) {
        out = new CHostAnnotationsObject(m_state, m_item);
        return S_OK;
    });
}
