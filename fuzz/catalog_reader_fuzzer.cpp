// The host stand-in's catalog reader, given any bytes as a catalog file. The
// host either makes the catalog active and says nothing, or refuses it with
// exactly one "lumora-host:" line naming the file and the problem. A catalog
// it opens reads back the same after it has been saved, with and without a
// changed keyword list. Leaks and undefined behaviour are the sanitizers' part.
#include "fuzz_support.h"
#include "model/catalog_file.h"
#include "model/host_state.h"
#include "platform/utf8.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>

namespace {

bool SameApplication(const CApplicationRecord& a, const CApplicationRecord& b)
{
    return a.m_name == b.m_name && a.m_version == b.m_version && a.m_path == b.m_path;
}

bool SameSet(const CMediaSetRecord& a, const CMediaSetRecord& b)
{
    return a.m_id == b.m_id && a.m_index == b.m_index && a.m_name == b.m_name && a.m_parent == b.m_parent &&
           a.m_level == b.m_level && a.m_skipped == b.m_skipped && a.m_hasItemList == b.m_hasItemList &&
           a.m_items == b.m_items && a.m_hidden == b.m_hidden;
}

bool SameFault(const CFaultRule& a, const CFaultRule& b)
{
    return a.m_operation == b.m_operation && a.m_nth == b.m_nth && a.m_returnsNull == b.m_returnsNull &&
           a.m_hresult == b.m_hresult;
}

template <class T, class Same>
bool SameList(const std::vector<T>& a, const std::vector<T>& b, Same same)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!same(a[i], b[i])) return false;
    return true;
}

// Where two readings of a catalog differ, or null when they agree.
const char* Difference(const CCatalogContent& a, const CCatalogContent& b)
{
    if (!SameApplication(a.m_application, b.m_application)) return "the application block";
    if (a.m_catalog.m_index != b.m_catalog.m_index || a.m_catalog.m_name != b.m_catalog.m_name ||
        a.m_catalog.m_path != b.m_catalog.m_path)
        return "the catalog block";
    if (!SameList(a.m_sets, b.m_sets, SameSet) || a.m_listedSets != b.m_listedSets) return "the sets";
    if (!SameList(a.m_items, b.m_items, [](const CMediaItemRecord& x, const CMediaItemRecord& y) {
            return x.m_label == y.m_label && x.m_keywords == y.m_keywords;
        }))
        return "the items";
    if (!SameList(a.m_faults, b.m_faults, SameFault)) return "the faults";
    return nullptr;
}

std::unique_ptr<CCatalogFile> Reopen(const std::filesystem::path& file, const char* after)
{
    std::unique_ptr<CCatalogFile> reopened;
    std::string problem;
    const HRESULT hr = CCatalogFile::Open(file, reopened, problem);
    RequireThat(SUCCEEDED(hr) && reopened,
                [&] { return std::string("the host cannot read its own catalog ") + after + ": " + problem; });
    return reopened;
}

void CheckSavedCatalog(const std::filesystem::path& file)
{
    std::unique_ptr<CCatalogFile> catalog;
    std::string problem;
    Require(SUCCEEDED(CCatalogFile::Open(file, catalog, problem)) && catalog,
            "a catalog the host made active does not open a second time");
    const CCatalogContent original = catalog->Content();

    std::string saveProblem;
    RequireThat(catalog->Save(saveProblem), [&] { return "saving an opened catalog failed: " + saveProblem; });
    const char* differs = Difference(original, Reopen(file, "after saving it")->Content());
    RequireThat(!differs, [&] { return std::string("saving an unchanged catalog changed ") + differs; });

    if (original.m_items.empty()) return;
    // Every code unit of a list is kept, NULs and characters beyond the
    // Basic Multilingual Plane included.
    static constexpr OLECHAR kAdded[] = u";{Root}{\u00E9}\0x\U0001F600";
    const std::size_t last = original.m_items.size() - 1;
    const WideString list = original.m_items[last].m_keywords.value_or(WideString()) +
                            WideString(kAdded, sizeof kAdded / sizeof kAdded[0] - 1);
    // A list that UTF-8 cannot hold is refused, and nothing of it stored.
    const WideString unpaired = list + static_cast<OLECHAR>(0xD800);
    Require(catalog->SetKeywords(last, unpaired) == KeywordChange::NotStorable && !catalog->IsChanged() &&
                catalog->Content().m_items[last].m_keywords == original.m_items[last].m_keywords,
            "a keyword list with an unpaired surrogate was taken");
    Require(catalog->SetKeywords(last, list) != KeywordChange::NotStorable, "a valid keyword list was refused");
    RequireThat(catalog->Save(saveProblem), [&] { return "saving a changed keyword list failed: " + saveProblem; });
    CCatalogContent expected = original;
    expected.m_items[last].m_keywords = list;
    differs = Difference(expected, Reopen(file, "after a keyword list changed")->Content());
    RequireThat(!differs, [&] { return std::string("saving one changed keyword list changed ") + differs; });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static CConsoleCapture console;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::filesystem::path file = ScratchFolder() / "catalog.json";
    WriteWholeFile(file, bytes);

    HRESULT hr = E_UNEXPECTED;
    bool active = false;
    {
        CHostState host(std::nullopt);
        console.Begin();
        hr = host.ActivateCatalog(file);
        {
            const std::lock_guard<std::mutex> lock(host.Mutex());
            active = host.CatalogLocked() != nullptr;
        }
        console.End();
    }
    const std::string err = console.Err();
    RequireThat(console.Out().empty(), [&] { return "the host wrote on standard output: " + console.Out(); });

    std::unique_ptr<CCatalogFile> direct;
    std::string problem;
    const HRESULT directHr = CCatalogFile::Open(file, direct, problem);
    RequireThat(directHr == hr, [&] { return "opening the catalog twice gave two results"; });

    if (SUCCEEDED(hr)) {
        RequireThat(hr == S_OK && active && direct, [&] { return "the host opened the catalog but has none active"; });
        RequireThat(err.empty(), [&] { return "the host opened the catalog and still complained: " + err; });
        direct.reset();
        CheckSavedCatalog(file);
        return 0;
    }

    Require(!active && !direct, "the host refused the catalog yet has one");
    RequireThat(hr == HRESULT_FROM_WIN32(ERROR_INVALID_DATA), [&] {
        char text[64];
        std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
        return std::string("a readable file was refused with ") + text + " instead of ERROR_INVALID_DATA";
    });
    const std::string expected = "lumora-host: " + file.string() + ": " + problem + "\n";
    RequireThat(!problem.empty() && problem.find('\n') == std::string::npos &&
                    problem.find('\0') == std::string::npos && err == expected,
                [&] { return "the host's complaint is not one line naming the file and the problem:\n" + err; });
    return 0;
}
