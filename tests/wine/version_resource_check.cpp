// Reads back what Windows itself shows of an exe's release: the version
// resource through the version API, and the manifest resource.
//
//   version-resource-check.exe <exe> <version x.y.z> <product name>
//
// One line per finding; exits 0 only when the fixed and string versions,
// the product name and a description are there and agree, and the exe
// carries a manifest.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

int failures = 0;

void Fail(const wchar_t* what, const std::wstring& detail)
{
    ++failures;
    std::wprintf(L"FAIL %ls: %ls\n", what, detail.c_str());
}

std::wstring StringValue(std::vector<BYTE>& block, const wchar_t* translation, const wchar_t* name)
{
    const std::wstring path = std::wstring(L"\\StringFileInfo\\") + translation + L"\\" + name;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), path.c_str(), &value, &length) || length == 0) return L"";
    // length counts the terminating NUL for string values.
    return std::wstring(static_cast<const wchar_t*>(value), wcsnlen(static_cast<const wchar_t*>(value), length));
}

std::wstring FixedVersion(DWORD ms, DWORD ls)
{
    wchar_t text[64];
    std::swprintf(text, 64, L"%lu.%lu.%lu.%lu", static_cast<unsigned long>(HIWORD(ms)),
                  static_cast<unsigned long>(LOWORD(ms)), static_cast<unsigned long>(HIWORD(ls)),
                  static_cast<unsigned long>(LOWORD(ls)));
    return text;
}

void CheckVersionResource(const wchar_t* exe, const std::wstring& version, const std::wstring& product)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(exe, &ignored);
    if (size == 0) {
        Fail(L"version resource", L"none (error " + std::to_wstring(GetLastError()) + L")");
        return;
    }
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(exe, 0, size, block.data())) {
        Fail(L"version resource", L"unreadable");
        return;
    }

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    const std::wstring fourPart = version + L".0";
    if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || length < sizeof *fixed ||
        fixed->dwSignature != 0xFEEF04BD) {
        Fail(L"fixed file info", L"missing");
    } else {
        const std::wstring file = FixedVersion(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
        const std::wstring prod = FixedVersion(fixed->dwProductVersionMS, fixed->dwProductVersionLS);
        std::wprintf(L"fixed file version %ls, product version %ls\n", file.c_str(), prod.c_str());
        if (file != fourPart) Fail(L"fixed file version", file);
        if (prod != fourPart) Fail(L"fixed product version", prod);
        if (fixed->dwFileType != VFT_APP) Fail(L"file type", L"not an application");
    }

    // The string table is looked up through the translation the resource
    // itself declares, as Explorer does.
    struct Translation {
        WORD language;
        WORD codePage;
    }* translations = nullptr;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
                        &length) ||
        length < sizeof *translations) {
        Fail(L"translation", L"missing");
        return;
    }
    wchar_t key[16];
    std::swprintf(key, 16, L"%04x%04x", translations[0].language, translations[0].codePage);

    const struct {
        const wchar_t* name;
        std::wstring expected;  // empty: any text that is not empty
    } strings[] = {
        {L"FileVersion", version},
        {L"ProductVersion", version},
        {L"ProductName", product},
        {L"FileDescription", L""},
        {L"OriginalFilename", L""},
    };
    for (const auto& string : strings) {
        const std::wstring value = StringValue(block, key, string.name);
        std::wprintf(L"%ls: %ls\n", string.name, value.c_str());
        if (value.empty()) Fail(string.name, L"missing");
        else if (!string.expected.empty() && value != string.expected) Fail(string.name, value);
    }
}

void CheckManifest(const wchar_t* exe)
{
    const HMODULE module = LoadLibraryExW(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!module) {
        Fail(L"manifest", L"cannot load the exe as data");
        return;
    }
    const HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    const DWORD size = resource ? SizeofResource(module, resource) : 0;
    const HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    const char* text = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (!text || size == 0) {
        Fail(L"manifest", L"no RT_MANIFEST resource 1");
    } else {
        const std::string manifest(text, size);
        std::wprintf(L"manifest: %lu bytes\n", static_cast<unsigned long>(size));
        if (manifest.find("requestedExecutionLevel level=\"asInvoker\"") == std::string::npos)
            Fail(L"manifest", L"no asInvoker execution level");
    }
    FreeLibrary(module);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 4) {
        std::fputs("usage: version-resource-check.exe <exe> <version x.y.z> <product name>\n", stderr);
        return 2;
    }
    CheckVersionResource(argv[1], argv[2], argv[3]);
    CheckManifest(argv[1]);
    std::fflush(stdout);
    return failures == 0 ? 0 : 1;
}
