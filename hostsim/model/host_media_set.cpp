#include "model/host_objects.h"

using namespace HostOperation;

CHostMediaSetObject::CHostMediaSetObject(std::shared_ptr<CHostState> state, std::size_t set)
    : CHostObject(std::move(state)), m_set(set)
{
    RegisterLocked();
}

std::string CHostMediaSetObject::TraceLabel() const { return "set:" + Record().m_id; }

HRESULT CHostMediaSetObject::get_Name(BSTR* name)
{
    return Serve(kSetName, name, [&](BSTR& out) { return CopyHostText(Record().m_name, out); });
}

HRESULT CHostMediaSetObject::get_Index(LONG* index)
{
    return Serve(kSetIndex, index, [&](LONG& out) {
        out = Record().m_index;
        return S_OK;
    });
}

HRESULT CHostMediaSetObject::get_IsSkipped(VARIANT_BOOL* skipped)
{
    return Serve(kSetIsSkipped, skipped, [&](VARIANT_BOOL& out) {
        out = Record().m_skipped;
        return S_OK;
    });
}

HRESULT CHostMediaSetObject::get_Level(LONG* level)
{
    return Serve(kSetLevel, level, [&](LONG& out) {
        out = Record().m_level;
        return S_OK;
    });
}

HRESULT CHostMediaSetObject::get_Parent(IHostMediaSet** parent)
{
    return Serve(kSetParent, parent, [&](IHostMediaSet*& out) {
        // A hidden parent is still returned: hiding only leaves a set out of the list.
        if (Record().m_parent) out = new CHostMediaSetObject(m_state, *Record().m_parent);
        return S_OK;
    });
}

HRESULT CHostMediaSetObject::get_MediaItems(IHostMediaItems** items)
{
    return Serve(kSetMediaItems, items, [&](IHostMediaItems*& out) {
        if (Record().m_hasItemList) out = new CHostMediaItemsObject(m_state, m_set);
        return S_OK;
    });
}
