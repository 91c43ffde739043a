// The classes root (HKEY_CLASSES_ROOT) as /regserver and /unregserver use it:
// string values read, whole keys written and deleted. Every operation is
// counted, so that LUMORA_REGISTRY_FAULT=N fails the Nth with "access denied"
// as a locked-down machine would; the tests fail each position in turn and
// check that the registry is then as it was found.
#pragma once

#include "platform/com.h"

#include <optional>
#include <string>
#include <vector>

struct CRegistryValue {
    std::wstring m_name;  // empty: the key's default value
    std::wstring m_data;  // always REG_SZ
};

struct CRegistryKey {
    std::wstring m_path;  // below HKEY_CLASSES_ROOT
    std::vector<CRegistryValue> m_values;
};

// A registry call that failed: what was asked of which key, and its HRESULT.
struct CRegistryError {
    HRESULT m_hr;
    const wchar_t* m_verb;  // "read", "write", "delete"
    std::wstring m_path;
};

class CClassesRoot {
public:
    CClassesRoot();

    bool Exists(const std::wstring& path);
    // The string value, or nothing when the key or the value is absent.
    std::optional<std::wstring> ReadString(const std::wstring& path, const wchar_t* name);
    // A key with neither subkeys nor values; false when it is absent.
    bool IsEmpty(const std::wstring& path);
    // Creates the key (and any missing parent) and sets its values.
    void Write(const CRegistryKey& key);
    // The key with everything below it; nothing when it is absent.
    void DeleteTree(const std::wstring& path);

private:
    void Count(const wchar_t* verb, const std::wstring& path);
    HKEY Open(const std::wstring& path);  // null when absent

    unsigned long m_operations = 0;
    unsigned long m_failAt = 0;  // 0: no planted fault
};

// "HKEY_CLASSES_ROOT\<path>", as users find the key in regedit.
std::wstring ClassesRootName(const std::wstring& path);
