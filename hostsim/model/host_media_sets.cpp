#include "model/host_objects.h"

using namespace HostOperation;

CHostMediaSetsObject::CHostMediaSetsObject(std::shared_ptr<CHostState> state) : CHostObject(std::move(state)) {}

HRESULT CHostMediaSetsObject::get_Count(LONG* count)
{
    return Serve(kSetsCount, count, [&](LONG& out) {
        out = static_cast<LONG>(Catalog().m_listedSets.size());
        return S_OK;
    });
}

HRESULT CHostMediaSetsObject::get_Item(LONG position, IHostMediaSet** set)
{
    return Serve(
        kSetsItem, set,
        [&](IHostMediaSet*& out) {
            const std::vector<std::size_t>& listed = Catalog().m_listedSets;
            if (position < 1 || static_cast<std::size_t>(position) > listed.size()) return E_INVALIDARG;
            out = new CHostMediaSetObject(m_state, listed[static_cast<std::size_t>(position) - 1]);
            return S_OK;
        },
        position);
}
