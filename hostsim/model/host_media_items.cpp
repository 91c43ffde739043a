#include "model/host_objects.h"

using namespace HostOperation;

CHostMediaItemsObject::CHostMediaItemsObject(std::shared_ptr<CHostState> state, std::size_t set)
    : CHostObject(std::move(state)), m_set(set)
{
    RegisterLocked();
}

std::string CHostMediaItemsObject::TraceLabel() const { return "items:" + Catalog().m_sets[m_set].m_id; }

HRESULT CHostMediaItemsObject::get_Count(LONG* count)
{
    return Serve(kItemsCount, count, [&](LONG& out) {
        const std::optional<LONG> hooked = m_state->CountHookedLocked() ? m_state->CountHookLocked(TraceLabel()) : std::nullopt;
        out = hooked ? *hooked : static_cast<LONG>(Catalog().m_sets[m_set].m_items.size());
        return S_OK;
    });
}

HRESULT CHostMediaItemsObject::get_Item(LONG position, IHostMediaItem** item)
{
    return Serve(
        kItemsItem, item,
        [&](IHostMediaItem*& out) {
            const std::vector<std::size_t>& items = Catalog().m_sets[m_set].m_items;
            if (position < 1 || static_cast<std::size_t>(position) > items.size()) return E_INVALIDARG;
            out = new CHostMediaItemObject(m_state, items[static_cast<std::size_t>(position) - 1]);
            return S_OK;
        },
        position);
}
