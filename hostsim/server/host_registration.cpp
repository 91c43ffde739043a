#include "host_registration.h"

#include "classes_root.h"
#include "host/host_interfaces.h"
#include "host_console.h"
#include "platform/ascii_case.h"
#include "type_library_id.h"

#include <functional>
#include <new>
#include <string>
#include <vector>

// The stand-in shares the real host's class, ProgID and interface
// identifiers, and users rehearse on machines where the real host is
// installed. So registration writes only what is missing, never a key that
// is there already, and removes only keys whose data is the stand-in's own:
// the type library that only it has, and the exe that only it is. A
// hand-started stand-in is still found without its class key: activation
// looks for a running class object before it reads the registry.

namespace {

const wchar_t kProgId[] = L"Lumora.Application";
const wchar_t kClassDescription[] = L"Lumora application";
const wchar_t kServerFileName[] = L"lumora-host.exe";
// The automation marshaler, which marshals dual interfaces from their type library.
const wchar_t kAutomationMarshaler[] = L"{00020424-0000-0000-C000-000000000046}";

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

// A command line's program, without its quotes and arguments.
std::wstring ProgramOf(const std::wstring& commandLine)
{
    if (!commandLine.empty() && commandLine[0] == L'"') return commandLine.substr(1, commandLine.find(L'"', 1) - 1);
    return commandLine.substr(0, commandLine.find(L' '));
}

bool NamesStandInExe(const std::wstring& commandLine)
{
    const std::wstring program = ProgramOf(commandLine);
    const size_t slash = program.find_last_of(L"\\/");
    return EqualIgnoringAsciiCase(program.substr(slash == std::wstring::npos ? 0 : slash + 1),
                                  std::wstring(kServerFileName));
}

// One thing registration makes: a type library, the class with its ProgID,
// or an interface's marshaling. It is written whole or not at all.
struct CUnit {
    std::wstring m_what;                // as the console names it
    std::vector<std::wstring> m_roots;  // the keys that make it up
    std::vector<CRegistryKey> m_keys;   // what /regserver writes
    std::wstring m_ownParent;           // a parent named by the stand-in's own identifier, gone once empty
    std::function<bool(CClassesRoot&, const std::wstring& root)> m_holdsStandInData;
    std::function<std::wstring(CClassesRoot&)> m_otherOwner;  // what the console says of another's
};

struct CInterfaceName {
    IID m_iid;
    std::wstring m_name;
};

// The dual interfaces as the exe's own type library declares them.
HRESULT ReadInterfaces(const std::wstring& exe, std::wstring& libraryName, std::vector<CInterfaceName>& interfaces)
{
    ITypeLib* library = nullptr;
    HRESULT hr = LoadTypeLibEx(exe.c_str(), REGKIND_NONE, &library);
    if (FAILED(hr)) return hr;
    BSTR documentation = nullptr;
    if (SUCCEEDED(library->GetDocumentation(-1, nullptr, &documentation, nullptr, nullptr)) && documentation)
        libraryName = documentation;
    SysFreeString(documentation);
    const UINT count = library->GetTypeInfoCount();
    for (UINT index = 0; index < count && SUCCEEDED(hr); ++index) {
        TYPEKIND kind = TKIND_MAX;
        hr = library->GetTypeInfoType(index, &kind);
        if (FAILED(hr) || kind != TKIND_DISPATCH) continue;
        ITypeInfo* info = nullptr;
        hr = library->GetTypeInfo(index, &info);
        if (FAILED(hr)) break;
        TYPEATTR* attributes = nullptr;
        BSTR name = nullptr;
        hr = info->GetTypeAttr(&attributes);
        if (SUCCEEDED(hr)) {
            hr = info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
            if (SUCCEEDED(hr)) interfaces.push_back({attributes->guid, name ? name : L""});
            info->ReleaseTypeAttr(attributes);
        }
        SysFreeString(name);
        info->Release();
    }
    library->Release();
    return hr;
}

std::vector<CUnit> Units(const std::wstring& exe, const std::wstring& libraryName,
                         const std::vector<CInterfaceName>& interfaces)
{
    const std::wstring libraryId = GuidText(LIBID_LumoraHostLib);
    const std::wstring classId = GuidText(CLSID_LumoraApplication);
    const std::wstring version = std::to_wstring(kLumoraHostLibMajor) + L"." + std::to_wstring(kLumoraHostLibMinor);
    const std::wstring classKey = L"CLSID\\" + classId;
    std::vector<CUnit> units;

    const std::wstring libraryParent = L"TypeLib\\" + libraryId;
    const std::wstring libraryKey = libraryParent + L"\\" + version;
    const std::wstring folder = exe.substr(0, exe.find_last_of(L'\\') + 1);
    units.push_back({L"type library " + libraryId + L" " + version,
                     {libraryKey},
                     {{libraryKey, {{L"", libraryName}}},
                      {libraryKey + L"\\0\\" + (sizeof(void*) == 8 ? L"win64" : L"win32"), {{L"", exe}}},
                      {libraryKey + L"\\FLAGS", {{L"", L"0"}}},
                      {libraryKey + L"\\HELPDIR", {{L"", folder}}}},
                     libraryParent,
                     // The library identifier is the stand-in's alone.
                     [](CClassesRoot&, const std::wstring&) { return true; },
                     [](CClassesRoot&) { return std::wstring(); }});

    const auto classIsStandIns = [classKey, libraryId](CClassesRoot& root) {
        return root.ReadString(classKey + L"\\TypeLib", nullptr) == libraryId &&
               NamesStandInExe(root.ReadString(classKey + L"\\LocalServer32", nullptr).value_or(L""));
    };
    // The ProgID is the stand-in's only while the class is, so it goes first:
    // an /unregserver cut short between the two leaves a class key that the
    // next one still knows as the stand-in's.
    units.push_back({L"class " + classId + L" with ProgID " + kProgId,
                     {kProgId, classKey},
                     {{classKey, {{L"", kClassDescription}}},
                      // Quoted, so a path with spaces still names the whole exe.
                      {classKey + L"\\LocalServer32", {{L"", L"\"" + exe + L"\""}}},
                      {classKey + L"\\ProgID", {{L"", kProgId}}},
                      {classKey + L"\\TypeLib", {{L"", libraryId}}},
                      {kProgId, {{L"", kClassDescription}}},
                      {std::wstring(kProgId) + L"\\CLSID", {{L"", classId}}}},
                     L"",
                     [classKey, classId, classIsStandIns](CClassesRoot& root, const std::wstring& key) {
                         if (key == classKey) return classIsStandIns(root);
                         return root.ReadString(key + L"\\CLSID", nullptr) == classId &&
                                root.ReadString(key, nullptr) == std::wstring(kClassDescription) &&
                                classIsStandIns(root);
                     },
                     [classKey](CClassesRoot& root) {
                         return L"server " +
                                root.ReadString(classKey + L"\\LocalServer32", nullptr).value_or(L"(none)");
                     }});

    for (const CInterfaceName& named : interfaces) {
        const std::wstring key = L"Interface\\" + GuidText(named.m_iid);
        units.push_back({L"interface " + named.m_name + L" " + GuidText(named.m_iid),
                         {key},
                         {{key, {{L"", named.m_name}}},
                          {key + L"\\ProxyStubClsid", {{L"", kAutomationMarshaler}}},
                          {key + L"\\ProxyStubClsid32", {{L"", kAutomationMarshaler}}},
                          {key + L"\\TypeLib", {{L"", libraryId}, {L"Version", version}}}},
                         L"",
                         [libraryId](CClassesRoot& root, const std::wstring& interfaceKey) {
                             return root.ReadString(interfaceKey + L"\\TypeLib", nullptr) == libraryId;
                         },
                         [key](CClassesRoot& root) {
                             return L"type library " +
                                    root.ReadString(key + L"\\TypeLib", nullptr).value_or(L"(none)");
                         }});
    }
    return units;
}

enum class Holder { Nobody, StandIn, Another };

Holder HolderOf(CClassesRoot& root, const CUnit& unit, const std::wstring& key)
{
    if (!root.Exists(key)) return Holder::Nobody;
    return unit.m_holdsStandInData(root, key) ? Holder::StandIn : Holder::Another;
}

void Say(const std::wstring& line)
{
    WriteHostLine(HostStream::Output, L"lumora-host: " + line);
}

void SayLeftAlone(CClassesRoot& root, const CUnit& unit)
{
    Say(L"left alone: " + unit.m_what + L", registered by another program (" + unit.m_otherOwner(root) + L")");
}

void SayFailure(const wchar_t* what, const CRegistryError& error, const wchar_t* outcome)
{
    ReportHostFailure((std::wstring(what) + L": cannot " + error.m_verb + L" " + ClassesRootName(error.m_path) +
                       L"; " + outcome)
                          .c_str(),
                      error.m_hr);
}

// Writing stops at the first failure, and then everything written so far is
// removed again, so a registration that cannot finish leaves nothing.
struct CWritten {
    const CUnit* m_unit;
    bool m_parentExisted;
};

void Undo(CClassesRoot& root, const std::vector<CWritten>& written)
{
    for (auto entry = written.rbegin(); entry != written.rend(); ++entry) {
        for (const std::wstring& key : entry->m_unit->m_roots) root.DeleteTree(key);
        if (!entry->m_unit->m_ownParent.empty() && !entry->m_parentExisted)
            root.DeleteTree(entry->m_unit->m_ownParent);
    }
}

HRESULT LoadUnits(std::vector<CUnit>& units)
{
    const std::wstring exe = ExePath();
    if (exe.empty()) return HRESULT_FROM_WIN32(GetLastError());
    std::wstring libraryName;
    std::vector<CInterfaceName> interfaces;
    const HRESULT hr = ReadInterfaces(exe, libraryName, interfaces);
    if (FAILED(hr)) return hr;
    units = Units(exe, libraryName, interfaces);
    return S_OK;
}

}  // namespace

HRESULT RegisterHostServer()
{
    std::vector<CUnit> units;
    HRESULT hr = LoadUnits(units);
    if (FAILED(hr)) {
        ReportHostFailure(L"cannot register: cannot read the type library in this exe", hr);
        return hr;
    }
    CClassesRoot root;
    // Everything is read before anything is written: what cannot be read
    // cannot be known to be free.
    std::vector<const CUnit*> toWrite;
    std::vector<CWritten> written;
    try {
        for (const CUnit& unit : units) {
            bool free = true;
            bool standIns = true;
            for (const std::wstring& key : unit.m_roots) {
                const Holder holder = HolderOf(root, unit, key);
                free = free && holder == Holder::Nobody;
                standIns = standIns && holder == Holder::StandIn;
            }
            if (free) toWrite.push_back(&unit);
            else if (standIns) Say(L"already registered: " + unit.m_what);
            else SayLeftAlone(root, unit);
        }
        std::vector<bool> parentExisted;
        for (const CUnit* unit : toWrite)
            parentExisted.push_back(!unit->m_ownParent.empty() && root.Exists(unit->m_ownParent));
        for (size_t index = 0; index < toWrite.size(); ++index) {
            written.push_back({toWrite[index], parentExisted[index]});
            for (const CRegistryKey& key : toWrite[index]->m_keys) root.Write(key);
        }
    } catch (const std::bad_alloc&) {
        try {
            Undo(root, written);
        } catch (const CRegistryError&) {
            // The exit value still says the registration failed.
        }
        throw;
    } catch (const CRegistryError& error) {
        if (written.empty()) {
            SayFailure(L"cannot register", error, L"nothing was changed");
            return error.m_hr;
        }
        try {
            Undo(root, written);
        } catch (const CRegistryError& undoError) {
            SayFailure(L"cannot register", undoError, L"run /unregserver to remove what was written");
            return error.m_hr;
        }
        SayFailure(L"cannot register", error, L"what was written is removed, nothing was changed");
        return error.m_hr;
    }
    for (const CWritten& entry : written) Say(L"registered " + entry.m_unit->m_what);
    return S_OK;
}

HRESULT UnregisterHostServer()
{
    std::vector<CUnit> units;
    HRESULT hr = LoadUnits(units);
    if (FAILED(hr)) {
        ReportHostFailure(L"cannot unregister: cannot read the type library in this exe", hr);
        return hr;
    }
    CClassesRoot root;
    std::vector<std::pair<const CUnit*, std::vector<std::wstring>>> toDelete;
    try {
        for (const CUnit& unit : units) {
            std::vector<std::wstring> keys;
            bool another = false;
            for (const std::wstring& key : unit.m_roots) {
                const Holder holder = HolderOf(root, unit, key);
                if (holder == Holder::StandIn) keys.push_back(key);
                another = another || holder == Holder::Another;
            }
            if (another) SayLeftAlone(root, unit);
            // A parent named by the stand-in's own identifier goes once it is
            // empty, also when an earlier /unregserver was cut short after
            // emptying it.
            if (!keys.empty() || !unit.m_ownParent.empty()) toDelete.emplace_back(&unit, keys);
        }
    } catch (const CRegistryError& error) {
        SayFailure(L"cannot unregister", error, L"nothing was changed");
        return error.m_hr;
    }
    try {
        for (const auto& [unit, keys] : toDelete) {
            for (const std::wstring& key : keys) root.DeleteTree(key);
            if (!unit->m_ownParent.empty() && root.IsEmpty(unit->m_ownParent)) root.DeleteTree(unit->m_ownParent);
            if (!keys.empty()) Say(L"removed " + unit->m_what);
        }
    } catch (const CRegistryError& error) {
        SayFailure(L"cannot unregister", error, L"what another program registered is untouched; run /unregserver again");
        return error.m_hr;
    }
    return S_OK;
}
