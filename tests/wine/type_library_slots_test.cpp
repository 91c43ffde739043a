// Checks the host's type library against our hand-written interface
// declarations: for every function the library describes, a call through
// the vtable slot it names (DispCallFunc with its oVft) must land on the
// declared operation of the same name and kind, and every declared
// operation must be reached exactly once. This needs no knowledge of the
// compiler's vtable layout, so it holds for any compiler.
//
//   type-library-slots-test.exe <file holding the type library>
#include "host/host_interfaces.h"

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

int g_failures = 0;

void Fail(const std::wstring& what)
{
    ++g_failures;
    std::wprintf(L"FAIL %ls\n", what.c_str());
}

// A stand-in object whose every operation only records that it was reached.
template <class I>
class CSlotProbe : public I {
public:
    using Interface = I;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return Hit(L"GetTypeInfoCount"); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return Hit(L"GetTypeInfo"); }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override
    {
        return Hit(L"GetIDsOfNames");
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return Hit(L"Invoke");
    }

    std::wstring TakeHit() { return std::exchange(m_hit, std::wstring()); }

protected:
    HRESULT Hit(const wchar_t* operation)
    {
        m_hit = operation;
        return S_OK;
    }

private:
    std::wstring m_hit;
};

// Each probe overrides every slot of its interface's layout list: one that
// missed a slot could not be instantiated, and one that named a slot the
// interface lacks would not compile (override).
#define QF_PROBE(name, params) \
    HRESULT STDMETHODCALLTYPE name params override { return Hit(L"" #name); }
#define QF_PROBE_GAP(slot) QF_PROBE(Reserved##slot, ())
#define QF_NAME(name, params) L"" #name,
#define QF_GAP_NAME(slot) L"Reserved" #slot,
#define QF_DEFINE_PROBE(I)                                                                     \
    class C##I##Probe final : public CSlotProbe<I> {                                           \
    public:                                                                                    \
        QF_##I##_SLOTS(QF_PROBE, QF_PROBE_GAP)                                                 \
        static std::vector<std::wstring> Operations() { return {QF_##I##_SLOTS(QF_NAME, QF_GAP_NAME)}; } \
    };
QF_HOST_INTERFACES(QF_DEFINE_PROBE)

// The C++ name of a described function: properties carry get_/put_/putref_.
std::wstring DeclaredName(ITypeInfo* info, const FUNCDESC& function)
{
    BSTR name = nullptr;
    if (FAILED(info->GetDocumentation(function.memid, &name, nullptr, nullptr, nullptr))) return L"?";
    std::wstring text(name, SysStringLen(name));
    SysFreeString(name);
    switch (function.invkind) {
    case INVOKE_PROPERTYGET: return L"get_" + text;
    case INVOKE_PROPERTYPUT: return L"put_" + text;
    case INVOKE_PROPERTYPUTREF: return L"putref_" + text;
    default: return text;
    }
}

// The vtable part of a dual interface; a plain interface is its own.
ITypeInfo* VtableInfo(ITypeLib* library, REFIID iid, const std::wstring& label)
{
    ITypeInfo* info = nullptr;
    if (FAILED(library->GetTypeInfoOfGuid(iid, &info))) {
        Fail(label + L": the type library does not describe this interface identifier");
        return nullptr;
    }
    TYPEATTR* attributes = nullptr;
    info->GetTypeAttr(&attributes);
    const WORD flags = attributes->wTypeFlags;
    const TYPEKIND kind = attributes->typekind;
    info->ReleaseTypeAttr(attributes);
    if (kind != TKIND_DISPATCH || !(flags & TYPEFLAG_FDUAL)) {
        Fail(label + L": not described as a dual interface");
        return info;
    }
    HREFTYPE vtable = 0;
    ITypeInfo* result = nullptr;
    if (FAILED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtable)) ||
        FAILED(info->GetRefTypeInfo(vtable, &result)))
        Fail(label + L": the dual interface has no vtable part");
    info->Release();
    if (!result) return nullptr;
    result->GetTypeAttr(&attributes);
    if (!(attributes->wTypeFlags & TYPEFLAG_FOLEAUTOMATION))
        Fail(label + L": not described as automation-compatible, so the type-library marshaler would refuse it");
    result->ReleaseTypeAttr(attributes);
    return result;
}

template <class Probe>
void CheckInterface(ITypeLib* library, REFIID iid, const std::wstring& label)
{
    ITypeInfo* info = VtableInfo(library, iid, label);
    if (!info) return;
    TYPEATTR* attributes = nullptr;
    info->GetTypeAttr(&attributes);
    const UINT functions = attributes->cFuncs;
    info->ReleaseTypeAttr(attributes);

    const std::vector<std::wstring> declared = Probe::Operations();
    if (functions != declared.size()) {
        Fail(label + L": the type library describes " + std::to_wstring(functions) +
             L" operations, the declaration has " + std::to_wstring(declared.size()));
        info->Release();
        return;
    }

    Probe probe;
    std::map<std::wstring, int> reached;
    const UINT firstSlot = 7;  // after IUnknown and IDispatch
    for (UINT i = 0; i < functions; ++i) {
        FUNCDESC* function = nullptr;
        if (FAILED(info->GetFuncDesc(i, &function))) {
            Fail(label + L": function " + std::to_wstring(i) + L" cannot be read");
            continue;
        }
        const std::wstring expected = DeclaredName(info, *function);
        const UINT slot = static_cast<UINT>(function->oVft / static_cast<SHORT>(sizeof(void*)));
        if (slot < firstSlot || slot >= firstSlot + declared.size()) {
            // Calling outside the declared vtable would not be safe.
            Fail(label + L"::" + expected + L": slot " + std::to_wstring(slot) + L" lies outside the declaration");
            info->ReleaseFuncDesc(function);
            continue;
        }
        // Harmless stand-ins for the arguments: the probe reads none of them.
        std::vector<VARIANT> arguments(function->cParams);
        std::vector<VARIANTARG*> argumentPointers;
        std::vector<VARTYPE> argumentTypes;
        void* scratch[4] = {};
        for (VARIANT& argument : arguments) {
            VariantInit(&argument);
            V_VT(&argument) = VT_BYREF | VT_I4;
            V_BYREF(&argument) = scratch;
            argumentPointers.push_back(&argument);
            argumentTypes.push_back(V_VT(&argument));
        }
        VARIANT result;
        VariantInit(&result);
        // VT_ERROR receives the HRESULT the operation returns.
        HRESULT hr = DispCallFunc(static_cast<typename Probe::Interface*>(&probe), function->oVft, CC_STDCALL,
                                  VT_ERROR, function->cParams, argumentTypes.data(), argumentPointers.data(),
                                  &result);
        if (SUCCEEDED(hr)) hr = V_ERROR(&result);
        const std::wstring hit = probe.TakeHit();
        if (FAILED(hr)) {
            wchar_t code[16];
            std::swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(hr));
            Fail(label + L"::" + expected + L": the call through its slot failed with " + code);
        }
        else if (hit != expected)
            Fail(label + L"::" + expected + L": slot " + std::to_wstring(slot) + L" holds " +
                 (hit.empty() ? std::wstring(L"nothing") : hit) + L" in the declaration");
        ++reached[hit];
        info->ReleaseFuncDesc(function);
    }
    for (const std::wstring& operation : declared)
        if (reached[operation] != 1)
            Fail(label + L"::" + operation + L": reached " + std::to_wstring(reached[operation]) +
                 L" times through the type library's slots");
    info->Release();
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fputs("usage: type-library-slots-test.exe <file holding the type library>\n", stderr);
        return 2;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 3;
    ITypeLib* library = nullptr;
    if (FAILED(LoadTypeLibEx(argv[1], REGKIND_NONE, &library))) {
        std::wprintf(L"FAIL cannot load a type library from %ls\n", argv[1]);
        return 1;
    }
    ITypeInfo* application = nullptr;
    if (FAILED(library->GetTypeInfoOfGuid(CLSID_LumoraApplication, &application)))
        Fail(L"the type library does not describe the application class");
    else application->Release();

    CheckInterface<CIHostApplicationProbe>(library, IID_IHostApplication, L"IHostApplication");
    CheckInterface<CIHostCatalogProbe>(library, IID_IHostCatalog, L"IHostCatalog");
    CheckInterface<CIHostMediaSetsProbe>(library, IID_IHostMediaSets, L"IHostMediaSets");
    CheckInterface<CIHostMediaSetProbe>(library, IID_IHostMediaSet, L"IHostMediaSet");
    CheckInterface<CIHostMediaItemsProbe>(library, IID_IHostMediaItems, L"IHostMediaItems");
    CheckInterface<CIHostMediaItemProbe>(library, IID_IHostMediaItem, L"IHostMediaItem");
    CheckInterface<CIHostAnnotationsProbe>(library, IID_IHostAnnotations, L"IHostAnnotations");
    library->Release();

    std::wprintf(g_failures == 0 ? L"every operation sits at its declared slot\n" : L"%d slot checks failed\n",
                 g_failures);
    return g_failures == 0 ? 0 : 1;
}
