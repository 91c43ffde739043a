#include "model/host_objects.h"

using namespace HostOperation;

CHostCatalogObject::CHostCatalogObject(std::shared_ptr<CHostState> state) : CHostObject(std::move(state))
{
    RegisterLocked();
}

HRESULT CHostCatalogObject::get_Index(LONG* index)
{
    return Serve(kCatalogIndex, index, [&](LONG& out) {
        out = Catalog().m_catalog.m_index;
        return S_OK;
    });
}

HRESULT CHostCatalogObject::get_Name(BSTR* name)
{
    return Serve(kCatalogName, name, [&](BSTR& out) { return CopyHostText(Catalog().m_catalog.m_name, out); });
}

HRESULT CHostCatalogObject::get_Path(BSTR* path)
{
    return Serve(kCatalogPath, path, [&](BSTR& out) { return CopyHostText(Catalog().m_catalog.m_path, out); });
}

HRESULT CHostCatalogObject::get_MediaSets(IHostMediaSets** sets)
{
    return Serve(kCatalogMediaSets, sets, [&](IHostMediaSets*& out) {
        out = new CHostMediaSetsObject(m_state);
        return S_OK;
    });
}
