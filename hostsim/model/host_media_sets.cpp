#include "model/host_objects.h"

using namespace HostOperation;

CHostMediaSetsObject::CHostMediaSetsObject(std::shared_ptr<CHostState> state) : CHostObject(std::move(state))
{
    RegisterLocked();
}

HRESULT CHostMediaSetsObject::get_Count(LONG* count)
{
    return Serve(kSetsCount, count, [&](LONG& out) {
        // A host under test may change the catalog, or the count, mid-walk.
        const std::optional<LONG> hooked = m_state->CountHookedLocked() ? m_state->CountHookLocked("sets") : std::nullopt;
        out = hooked ? *hooked : static_cast<LONG>(Catalog().m_listedSets.size());
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
