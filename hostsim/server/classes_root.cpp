#include "classes_root.h"

#include <cwchar>

namespace {

class CKeyHandle {
public:
    explicit CKeyHandle(HKEY handle) : m_handle(handle) {}
    ~CKeyHandle()
    {
        if (m_handle) RegCloseKey(m_handle);
    }
    CKeyHandle(const CKeyHandle&) = delete;
    CKeyHandle& operator=(const CKeyHandle&) = delete;
    HKEY Get() const { return m_handle; }

private:
    HKEY m_handle;
};

void Check(LONG status, const wchar_t* verb, const std::wstring& path)
{
    if (status != ERROR_SUCCESS) throw CRegistryError{HRESULT_FROM_WIN32(status), verb, path};
}

unsigned long PlantedFault()
{
    wchar_t text[32] = {};
    const DWORD length = GetEnvironmentVariableW(L"LUMORA_REGISTRY_FAULT", text, 32);
    if (length == 0 || length >= 32) return 0;
    return std::wcstoul(text, nullptr, 10);
}

}  // namespace

CClassesRoot::CClassesRoot() : m_failAt(PlantedFault()) {}

void CClassesRoot::Count(const wchar_t* verb, const std::wstring& path)
{
    if (++m_operations == m_failAt) throw CRegistryError{HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED), verb, path};
}

HKEY CClassesRoot::Open(const std::wstring& path)
{
    HKEY handle = nullptr;
    const LONG status = RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &handle);
    if (status == ERROR_FILE_NOT_FOUND) return nullptr;
    Check(status, L"read", path);
    return handle;
}

bool CClassesRoot::Exists(const std::wstring& path)
{
    Count(L"read", path);
    const CKeyHandle key(Open(path));
    return key.Get() != nullptr;
}

std::optional<std::wstring> CClassesRoot::ReadString(const std::wstring& path, const wchar_t* name)
{
    Count(L"read", path);
    const CKeyHandle key(Open(path));
    if (!key.Get()) return std::nullopt;
    for (DWORD bytes = 256;;) {
        std::wstring data(bytes / sizeof(wchar_t) + 1, L'\0');
        DWORD type = 0;
        DWORD size = bytes;
        const LONG status =
            RegQueryValueExW(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size);
        if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;
        if (status == ERROR_MORE_DATA) {
            bytes = size;
            continue;
        }
        Check(status, L"read", path);
        // Data of another type is never the stand-in's own, so it reads as
        // nothing that matches.
        if (type != REG_SZ && type != REG_EXPAND_SZ) return std::wstring();
        data.resize(size / sizeof(wchar_t));
        while (!data.empty() && data.back() == L'\0') data.pop_back();
        return data;
    }
}

bool CClassesRoot::IsEmpty(const std::wstring& path)
{
    Count(L"read", path);
    const CKeyHandle key(Open(path));
    if (!key.Get()) return false;
    DWORD subkeys = 0;
    DWORD values = 0;
    Check(RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                           nullptr, nullptr, nullptr),
          L"read", path);
    return subkeys == 0 && values == 0;
}

void CClassesRoot::Write(const CRegistryKey& key)
{
    Count(L"write", key.m_path);
    HKEY created = nullptr;
    Check(RegCreateKeyExW(HKEY_CLASSES_ROOT, key.m_path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_SET_VALUE, nullptr, &created, nullptr),
          L"write", key.m_path);
    const CKeyHandle handle(created);
    for (const CRegistryValue& value : key.m_values) {
        const DWORD bytes = static_cast<DWORD>((value.m_data.size() + 1) * sizeof(wchar_t));
        Check(RegSetValueExW(handle.Get(), value.m_name.empty() ? nullptr : value.m_name.c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(value.m_data.c_str()), bytes),
              L"write", key.m_path);
    }
}

void CClassesRoot::DeleteTree(const std::wstring& path)
{
    Count(L"delete", path);
    LONG status = RegDeleteTreeW(HKEY_CLASSES_ROOT, path.c_str());
    if (status == ERROR_FILE_NOT_FOUND) return;
    Check(status, L"delete", path);
    // RegDeleteTree empties the key but leaves the key itself.
    status = RegDeleteKeyW(HKEY_CLASSES_ROOT, path.c_str());
    if (status != ERROR_FILE_NOT_FOUND) Check(status, L"delete", path);
}

std::wstring ClassesRootName(const std::wstring& path)
{
    return L"HKEY_CLASSES_ROOT\\" + path;
}
