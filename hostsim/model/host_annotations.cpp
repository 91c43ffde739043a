#include "model/host_objects.h"

using namespace HostOperation;

CHostAnnotationsObject::CHostAnnotationsObject(std::shared_ptr<CHostState> state, std::size_t item)
    : CHostObject(std::move(state)), m_item(item)
{
    RegisterLocked();
}

std::string CHostAnnotationsObject::TraceLabel() const { return "annotations:" + Catalog().m_items[m_item].m_label; }

HRESULT CHostAnnotationsObject::get_Keywords(BSTR* keywords)
{
    return Serve(kKeywordsGet, keywords,
                 [&](BSTR& out) { return CopyHostText(Catalog().m_items[m_item].m_keywords, out); });
}

HRESULT CHostAnnotationsObject::put_Keywords(BSTR keywords)
{
    return ServeChange(
        kKeywordsPut,
        [&]() {
            // The whole BSTR, by its length: embedded NULs are part of the list.
            const WideString text = keywords ? WideString(keywords, SysStringLen(keywords)) : WideString();
            // Marking the catalog changed is all; it is saved when the
            // clients let go of the host, or when the host ends.
            if (m_state->SetKeywordsLocked(m_item, text) == KeywordChange::NotStorable) return E_INVALIDARG;
            if (CHostLedger* ledger = m_state->LedgerLocked()) ledger->RecordWrite(m_item, text);
            return S_OK;
        });
}
