// Drives a running lumora-host.exe by name only, through IDispatch, as a
// script would: every call crosses the process boundary and is answered
// from the host's type library. Expects the host to have a copy of
// examples/photos.json active and is given that copy's path.
//
//   host-dispatch-test.exe <path of the host's active catalog>
#include "host/host_interfaces.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

int g_failures = 0;

void Check(bool ok, const std::wstring& what)
{
    if (!ok) ++g_failures;
    std::wprintf(L"%ls %ls\n", ok ? L"ok  " : L"FAIL", what.c_str());
}

std::wstring Hex(HRESULT hr)
{
    wchar_t text[16];
    std::swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(hr));
    return text;
}

// One late-bound call: the name is looked up, then invoked with `arguments`
// (given in call order; IDispatch wants them in reverse).
HRESULT Call(IDispatch* object, const wchar_t* name, WORD kind, std::vector<VARIANT> arguments, VARIANT* result)
{
    if (result) VariantInit(result);
    if (!object) return E_POINTER;
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    std::vector<VARIANT> reversed(arguments.rbegin(), arguments.rend());
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params = {reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    if (kind == DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &named;
        params.cNamedArgs = 1;
    }
    EXCEPINFO exception = {};
    UINT argumentError = 0;
    hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, result, &exception, &argumentError);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    return hr;
}

VARIANT Long(LONG value)
{
    VARIANT v;
    VariantInit(&v);
    V_VT(&v) = VT_I4;
    V_I4(&v) = value;
    return v;
}

// Reads a text property; "<failed 0x...>" when the call fails.
std::wstring Text(IDispatch* object, const wchar_t* name)
{
    VARIANT value;
    const HRESULT hr = Call(object, name, DISPATCH_PROPERTYGET, {}, &value);
    if (FAILED(hr)) return L"<failed " + Hex(hr) + L">";
    if (V_VT(&value) != VT_BSTR) {
        VariantClear(&value);
        return L"<not text>";
    }
    std::wstring text(V_BSTR(&value), SysStringLen(V_BSTR(&value)));
    VariantClear(&value);
    return text;
}

LONG Number(IDispatch* object, const wchar_t* name)
{
    VARIANT value;
    if (FAILED(Call(object, name, DISPATCH_PROPERTYGET, {}, &value)) || V_VT(&value) != VT_I4) return -1;
    return V_I4(&value);
}

// Reads an object property (or a collection's Item); null on failure.
IDispatch* Object(IDispatch* object, const wchar_t* name, std::vector<VARIANT> arguments = {})
{
    if (!object) return nullptr;
    VARIANT value;
    if (FAILED(Call(object, name, DISPATCH_PROPERTYGET, std::move(arguments), &value))) return nullptr;
    if (V_VT(&value) != VT_DISPATCH) {
        VariantClear(&value);
        return nullptr;
    }
    return V_DISPATCH(&value);  // the reference passes to the caller
}

void Release(IDispatch* object)
{
    if (object) object->Release();
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fputs("usage: host-dispatch-test.exe <path of the host's active catalog>\n", stderr);
        return 2;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 3;
    IDispatch* application = nullptr;
    const HRESULT created =
        CoCreateInstance(CLSID_LumoraApplication, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                         reinterpret_cast<void**>(&application));
    Check(SUCCEEDED(created), L"the running host gives its application as IDispatch: " + Hex(created));
    if (FAILED(created)) return 1;

    ITypeInfo* info = nullptr;
    std::wstring typeName = L"<none>";
    if (SUCCEEDED(application->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info))) {
        BSTR name = nullptr;
        if (SUCCEEDED(info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr))) typeName = name;
        SysFreeString(name);
        info->Release();
    }
    Check(typeName == L"IHostApplication", L"its type information names IHostApplication: " + typeName);

    Check(Text(application, L"Name") == L"Lumora", L"Name reads Lumora");
    Check(Text(application, L"version") == L"3.1", L"names are found in any case: version reads 3.1");
    VARIANT ignored;
    const HRESULT unknown = Call(application, L"Quit", DISPATCH_METHOD, {}, &ignored);
    Check(unknown == DISP_E_UNKNOWNNAME, L"an operation the host lacks is an unknown name: " + Hex(unknown));

    IDispatch* catalog = Object(application, L"ActiveCatalog");
    Check(catalog != nullptr, L"ActiveCatalog gives an object");
    Check(Text(catalog, L"Path") == argv[1], L"the catalog's Path is the catalog the host was started with");
    IDispatch* sets = Object(catalog, L"MediaSets");
    Check(Number(sets, L"Count") == 2, L"MediaSets.Count is 2");
    IDispatch* second = Object(sets, L"Item", {Long(2)});
    Check(Text(second, L"Name") == L"B", L"MediaSets.Item(2).Name is B");
    IDispatch* parent = Object(second, L"Parent");
    Check(Text(parent, L"Name") == L"A", L"its Parent is A");
    IDispatch* items = Object(second, L"MediaItems");
    IDispatch* item = Object(items, L"Item", {Long(1)});
    IDispatch* annotations = Object(item, L"Annotations");
    Check(Text(annotations, L"Keywords") == L"beach;sunset", L"the first item of B has the keywords beach;sunset");

    // A put by name, with a NUL inside the text: the whole BSTR must arrive.
    const wchar_t written[] = L"beach;sunset;a\0b";
    VARIANT text;
    VariantInit(&text);
    V_VT(&text) = VT_BSTR;
    V_BSTR(&text) = SysAllocStringLen(written, static_cast<UINT>(sizeof written / sizeof written[0] - 1));
    const HRESULT put = Call(annotations, L"Keywords", DISPATCH_PROPERTYPUT, {text}, nullptr);
    VariantClear(&text);
    Check(SUCCEEDED(put), L"Keywords can be written by name: " + Hex(put));
    const std::wstring back = Text(annotations, L"Keywords");
    Check(back == std::wstring(written, sizeof written / sizeof written[0] - 1),
          L"the keywords read back whole, past the NUL (" + std::to_wstring(back.size()) + L" characters)");

    for (IDispatch* object : {annotations, item, items, parent, second, sets, catalog, application}) Release(object);
    std::wprintf(L"%ls\n", g_failures == 0 ? L"late-bound calls work" : L"late-bound calls fail");
    return g_failures == 0 ? 0 : 1;
}
