// registry-dump.exe KEY...: each key below HKEY_CLASSES_ROOT with all its
// subkeys and values, every value's type and data in hexadecimal, or
// "absent". One process for every key the stand-in may touch, where Wine's
// reg would need one per key: the registration check runs it after every
// failed registry operation, and compares the dumps byte for byte.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

void Dump(HKEY parent, const std::wstring& name, const std::wstring& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, name.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        std::wprintf(L"[%ls] absent\n", path.c_str());
        return;
    }
    std::wprintf(L"[%ls]\n", path.c_str());
    std::vector<wchar_t> valueName(16384);
    std::vector<BYTE> data(1 << 16);
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(valueName.size());
        DWORD size = static_cast<DWORD>(data.size());
        DWORD type = 0;
        if (RegEnumValueW(key, index, valueName.data(), &nameLength, nullptr, &type, data.data(), &size) !=
            ERROR_SUCCESS)
            break;
        std::wprintf(L"  \"%ls\" type %lu:", valueName.data(), static_cast<unsigned long>(type));
        for (DWORD byte = 0; byte < size; ++byte) std::wprintf(L" %02x", data[byte]);
        std::wprintf(L"\n");
    }
    std::vector<std::wstring> subkeys;
    for (DWORD index = 0;; ++index) {
        wchar_t subkey[256];
        DWORD length = 256;
        if (RegEnumKeyExW(key, index, subkey, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        subkeys.emplace_back(subkey, length);
    }
    for (const std::wstring& subkey : subkeys) Dump(key, subkey, path + L"\\" + subkey);
    RegCloseKey(key);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    for (int index = 1; index < argc; ++index) Dump(HKEY_CLASSES_ROOT, argv[index], argv[index]);
    return std::fflush(stdout) == 0 ? 0 : 1;
}
