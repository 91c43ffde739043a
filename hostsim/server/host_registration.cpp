#include "host_registration.h"

#include "host/host_interfaces.h"
#include "type_library_id.h"

#include <string>

namespace {

const wchar_t kProgId[] = L"Lumora.Application";
const wchar_t kClassDescription[] = L"Lumora application";

std::wstring GuidText(REFGUID guid)
{
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

std::wstring ExePath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0) return std::wstring();
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

HRESULT SetValue(const std::wstring& key, const wchar_t* name, const std::wstring& value)
{
    HKEY handle = nullptr;
    LONG status = RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_SET_VALUE, nullptr, &handle, nullptr);
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    const DWORD bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    status = RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes);
    RegCloseKey(handle);
    return HRESULT_FROM_WIN32(status);
}

HRESULT DeleteTree(const std::wstring& key)
{
    const LONG status = RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    if (status == ERROR_FILE_NOT_FOUND) return S_OK;
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
    // RegDeleteTree empties the key but leaves the key itself.
    const LONG removed = RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
    return removed == ERROR_SUCCESS || removed == ERROR_FILE_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(removed);
}

}  // namespace

HRESULT RegisterHostServer()
{
    const std::wstring exe = ExePath();
    if (exe.empty()) return HRESULT_FROM_WIN32(GetLastError());

    // Registering from our own TYPELIB resource also registers every dual
    // interface for the type-library marshaler.
    ITypeLib* library = nullptr;
    HRESULT hr = LoadTypeLibEx(exe.c_str(), REGKIND_REGISTER, &library);
    if (FAILED(hr)) return hr;
    library->Release();

    const std::wstring clsidKey = L"CLSID\\" + GuidText(CLSID_LumoraApplication);
    const HRESULT steps[] = {
        SetValue(clsidKey, nullptr, kClassDescription),
        // Quoted, so a path with spaces still names the whole exe.
        SetValue(clsidKey + L"\\LocalServer32", nullptr, L"\"" + exe + L"\""),
        SetValue(clsidKey + L"\\ProgID", nullptr, kProgId),
        SetValue(clsidKey + L"\\TypeLib", nullptr, GuidText(LIBID_LumoraHostLib)),
        SetValue(kProgId, nullptr, kClassDescription),
        SetValue(std::wstring(kProgId) + L"\\CLSID", nullptr, GuidText(CLSID_LumoraApplication)),
    };
    for (HRESULT step : steps)
        if (FAILED(step)) return step;
    return S_OK;
}

HRESULT UnregisterHostServer()
{
    HRESULT hr = DeleteTree(L"CLSID\\" + GuidText(CLSID_LumoraApplication));
    const HRESULT progId = DeleteTree(kProgId);
    if (SUCCEEDED(hr)) hr = progId;
    const SYSKIND kind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;
    HRESULT library =
        UnRegisterTypeLib(LIBID_LumoraHostLib, kLumoraHostLibMajor, kLumoraHostLibMinor, LOCALE_NEUTRAL, kind);
    // Removing what is not there is not a failure: /unregserver may run twice.
    if (library == TYPE_E_REGISTRYACCESS || library == TYPE_E_CANTLOADLIBRARY) library = S_OK;
    if (SUCCEEDED(hr)) hr = library;
    return hr;
}
