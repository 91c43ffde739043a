// Whole runs of Quillfen in process, against a fresh host stand-in for every
// input, under AddressSanitizer and UndefinedBehaviorSanitizer. The bytes
// become a catalog with scripted faults (catalog_decoder.h). Every run is held
// to what users rely on: no crash, every reference given back, a message
// and an exit value that belong together as the failure table says, keyword
// lists only ever extended, nothing else in the file changed. A clean run
// over what a faulted run left must end with the catalog a clean run over
// the original gives, and a second clean run writes nothing.
#include "app/driver.h"
#include "catalog_decoder.h"
#include "fuzz_support.h"
#include "host/host_interfaces.h"
#include "model/host_class_factory.h"
#include "model/host_operations.h"
#include "platform/utf8.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using Json = nlohmann::ordered_json;
using namespace HostOperation;

const std::string kHostLine = "lumora-host: ";
const std::string kRootSegment = "{Root}{";

struct CRunResult {
    HRESULT m_hresult = E_UNEXPECTED;
    std::string m_err;
    std::string m_trace;
    std::string m_catalogAfter;
};

// Which run of an input broke what, with the catalog it ran on.
struct CWhere {
    const char* m_run;
    const std::string& m_catalog;
};

[[noreturn]] void Broken(const CWhere& where, const std::string& what)
{
    FuzzFailure(what + " (" + where.m_run + ")\ncatalog: " + where.m_catalog);
}

void Check(const CWhere& where, bool holds, const std::string& what)
{
    if (!holds) Broken(where, what);
}

std::string Hex(HRESULT hr)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

std::filesystem::path CatalogFile() { return ScratchFolder() / "catalog.json"; }

// One run of Quillfen against a host of its own, registered with our COM
// layer for just this run, as the in-process host registers itself for a
// whole process.
CRunResult RunOnce(const CDecodedRun& run, const std::string& catalogText, const CWhere& where)
{
    static CConsoleCapture console;
    const std::filesystem::path catalogFile = CatalogFile();
    const std::filesystem::path traceFile = ScratchFolder() / "trace.txt";
    WriteWholeFile(catalogFile, catalogText);
    WriteWholeFile(traceFile, "");

    CRunResult result;
    {
        auto host = std::make_shared<CHostState>(traceFile);
        const bool active = run.m_catalogActive;
        IClassFactory* factory = new CHostClassFactory(host, [active, catalogFile](CHostState& state) {
            return active ? state.ActivateCatalog(catalogFile) : S_OK;
        });
        DWORD cookie = 0;
        const HRESULT registered =
            CoRegisterClassObject(CLSID_LumoraApplication, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie);
        factory->Release();
        Check(where, SUCCEEDED(registered), "cannot register the host's class");

        const WideString arguments[] = {u"quillfen", FromUtf8(run.m_requestedPath), u"extra"};
        const OLECHAR* const argv[] = {arguments[0].c_str(), arguments[1].c_str(), arguments[2].c_str(), nullptr};
        console.Begin();
        result.m_hresult = RunQuillfen(run.m_argumentCount, argv);
        console.End();

        const ULONG held = host->ClientReferences();
        CoRevokeClassObject(cookie);
        host->Shutdown();
        // An error object left in this thread would outlive the run and its host.
        SetErrorInfo(0, nullptr);
        Check(where, held == 0, std::to_string(held) + " references to the host's objects are held after the run");
        Check(where, host.use_count() == 1, "something still holds the host after the run");
    }
    result.m_err = console.Err();
    result.m_trace = ReadWholeFile(traceFile);
    result.m_catalogAfter = ReadWholeFile(catalogFile);
    return result;
}

struct CTraceFacts {
    std::map<std::string, std::uint64_t, std::less<>> m_calls;
    std::vector<std::string> m_keywordReaders;  // the item of each keyword list read, in call order
    std::string m_lastLine;
};

CTraceFacts ReadTrace(const std::string& trace)
{
    CTraceFacts facts;
    for (const std::string& line : SplitLines(trace)) {
        facts.m_lastLine = line;
        const std::size_t space = line.find(' ');
        if (space == std::string::npos || line.find("::", space) == std::string::npos) continue;
        std::string operation = line.substr(space + 1);
        if (operation.back() == ')' && operation != kKeywordsPut) operation.erase(operation.rfind('('));
        ++facts.m_calls[operation];
        if (operation == kKeywordsGet) {
            const std::string label = line.substr(0, space);
            facts.m_keywordReaders.push_back(label.substr(label.find(':') + 1));
        }
    }
    return facts;
}

struct CFired {
    std::vector<const CDecodedFault*> m_faults;
    bool m_dataChanged = false;  // a null result that the run takes as the host's data
    std::vector<std::string> m_blankedItems;  // items whose keyword list was read as null
};

// The faults that took effect. A null name, parent, item collection or
// keyword list is no failure: it is what the host says its catalog holds,
// and a run that is told so writes what fits it.
CFired FiredFaults(const CDecodedRun& run, const std::vector<CDecodedFault>& faults, const CTraceFacts& trace,
                   bool catalogOpened)
{
    CFired fired;
    for (const CDecodedFault& fault : faults) {
        const auto calls = trace.m_calls.find(fault.m_call);
        const bool took = fault.m_call == kCreateInstance
                              ? catalogOpened && run.m_argumentCount == 2 && fault.m_nth == 1
                              : calls != trace.m_calls.end() && calls->second >= fault.m_nth;
        if (!took) continue;
        fired.m_faults.push_back(&fault);
        if (!fault.m_null) continue;
        if (fault.m_call == kSetParent || fault.m_call == kSetName || fault.m_call == kSetMediaItems ||
            fault.m_call == kKeywordsGet)
            fired.m_dataChanged = true;
        if (fault.m_call == kKeywordsGet) fired.m_blankedItems.push_back(trace.m_keywordReaders[fault.m_nth - 1]);
    }
    return fired;
}

// The failure table: each message, the HRESULTs its step gives of itself,
// and the operations whose failure the step passes on. A null object where
// the run needs one fails as E_POINTER.
struct CStep {
    const char* m_message;  // empty: the failure that has no message
    std::vector<HRESULT> m_own;
    std::vector<const char*> m_operations;
};

const std::vector<CStep>& Steps()
{
    static const std::vector<CStep> steps = {
        {"Usage: Quillfen.exe CatalogFileName", {E_INVALIDARG}, {}},
        {"Failed to open application", {}, {kCreateInstance}},
        {"Failed to open catalog", {E_FAIL}, {kApplicationActiveCatalog, kCatalogPath}},
        {"Active catalog does not match requested catalog", {E_FAIL}, {}},
        {"Failed to load media sets",
         {HRESULT_FROM_WIN32(ERROR_CIRCULAR_DEPENDENCY)},
         {kCatalogMediaSets, kSetsCount, kSetsItem, kSetIndex, kSetIsSkipped, kSetParent}},
        // A set in the hierarchy that the host does not list, or a list the host refuses.
        {"Failed to add keywords",
         {E_INVALIDARG},
         {kSetName, kSetMediaItems, kItemsCount, kItemsItem, kItemAnnotations, kKeywordsGet, kKeywordsPut}},
        // The path read again for the check fails: that failure, no message.
        {"", {}, {kCatalogPath}},
    };
    return steps;
}

// The objects without which a run cannot go on.
bool NeedsObject(const std::string& operation)
{
    return operation == kCreateInstance || operation == kCatalogMediaSets || operation == kSetsItem ||
           operation == kItemsItem || operation == kItemAnnotations;
}

void CheckMessage(const CWhere& where, const CDecodedRun& run, bool followsFormat, const CRunResult& result,
                  const CFired& fired)
{
    std::vector<std::string> hostLines;
    std::vector<std::string> messages;
    for (const std::string& line : SplitLines(result.m_err))
        (line.compare(0, kHostLine.size(), kHostLine) == 0 ? hostLines : messages).push_back(line);
    const HRESULT hr = result.m_hresult;
    Check(where, messages.size() <= 1, "more than one message on standard error:\n" + result.m_err);
    Check(where, hostLines.size() <= 1, "more than one complaint of the host:\n" + result.m_err);
    const std::string message = messages.empty() ? std::string() : messages.front();
    Check(where, message.empty() || SplitLines(result.m_err).back() == message,
          "the message is not the last line on standard error:\n" + result.m_err);
    Check(where, (ExitValueFor(hr) == 0) == SUCCEEDED(hr), "exit value " + std::to_string(ExitValueFor(hr)) +
                                                               " for " + Hex(hr));

    const bool hostReadsCatalog = run.m_catalogActive && run.m_argumentCount == 2;
    if (hostReadsCatalog && !followsFormat)
        Check(where, !hostLines.empty(), "the host took a catalog that breaks its format");
    if (!hostLines.empty()) {
        Check(where, !followsFormat, "the host refused a catalog that keeps to its format: " + hostLines.front());
        Check(where, hostLines.front().compare(0, kHostLine.size() + CatalogFile().string().size() + 2,
                                               kHostLine + CatalogFile().string() + ": ") == 0,
              "the host's complaint does not name the catalog: " + hostLines.front());
        Check(where, message == "Failed to open application" && hr == HRESULT_FROM_WIN32(ERROR_INVALID_DATA),
              "a catalog the host refused gave " + Hex(hr) + " and \"" + message + "\"");
        return;
    }
    Check(where, (message == Steps().front().m_message) == (run.m_argumentCount != 2),
          "the usage message goes with " + std::to_string(run.m_argumentCount - 1) + " arguments? \"" + message +
              "\"");
    if (SUCCEEDED(hr)) {
        Check(where, hr == S_OK && result.m_err.empty(),
              "a run that gives " + Hex(hr) + " wrote on standard error:\n" + result.m_err);
        return;
    }
    const auto step = std::find_if(Steps().begin(), Steps().end(),
                                   [&](const CStep& candidate) { return message == candidate.m_message; });
    Check(where, step != Steps().end(), "standard error holds no message of the failure table: \"" + message + "\"");
    std::vector<HRESULT> allowed = step->m_own;
    for (const CDecodedFault* fault : fired.m_faults)
        for (const char* operation : step->m_operations)
            if (fault->m_call == operation) {
                if (!fault->m_null)
                    allowed.push_back(fault->m_hresult);
                else if (NeedsObject(fault->m_call))
                    allowed.push_back(E_POINTER);
            }
    Check(where, std::find(allowed.begin(), allowed.end(), hr) != allowed.end(),
          "exit " + Hex(hr) + " does not go with " + (message.empty() ? "no message" : "\"" + message + "\""));
}

std::vector<std::string> Tokens(const std::string& list)
{
    std::vector<std::string> tokens(1);
    for (char c : list) {
        if (c == ';')
            tokens.emplace_back();
        else
            tokens.back() += c;
    }
    return tokens;
}

bool SameIgnoringAsciiCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

std::string KeywordsOf(const Json& item)
{
    const auto found = item.find("keywords");
    return found != item.end() && found->is_string() ? found->get<std::string>() : std::string();
}

// A list may only have grown at its end: ";" and new keywords, each of
// them {Root}{...} and none of them there before in any ASCII case.
void CheckExtended(const CWhere& where, const std::string& item, const std::string& before, const std::string& after)
{
    if (after == before) return;
    const std::string change = "the keyword list of item " + item + " went from " + Json(before).dump() + " to " +
                               Json(after).dump();
    Check(where,
          after.compare(0, before.size(), before) == 0 &&
              (before.empty() || (after.size() > before.size() && after[before.size()] == ';')),
          change + ": not the old list with keywords appended");
    std::vector<std::string> present = Tokens(before);
    for (const std::string& keyword : Tokens(before.empty() ? after : after.substr(before.size() + 1))) {
        Check(where,
              keyword.size() > kRootSegment.size() && keyword.compare(0, kRootSegment.size(), kRootSegment) == 0 &&
                  keyword.back() == '}',
              change + ": " + Json(keyword).dump() + " is no set's keyword");
        for (const std::string& earlier : present)
            Check(where, !SameIgnoringAsciiCase(earlier, keyword), change + ": " + Json(keyword).dump() + " twice");
        present.push_back(keyword);
    }
}

void CheckSavedCatalog(const CWhere& where, const std::string& before, const std::string& after, const CFired& fired)
{
    if (after == before) return;
    const Json original = Json::parse(before, nullptr, false);
    Check(where, !original.is_discarded(), "a catalog that is not JSON was rewritten");
    Json saved = Json::parse(after, nullptr, false);
    Check(where, !saved.is_discarded() && saved.is_object(), "the saved catalog is not a JSON object:\n" + after);
    const auto originalItems = original.find("items");
    const auto savedItems = saved.find("items");
    Check(where, originalItems != original.end() && savedItems != saved.end() &&
                     savedItems->size() == originalItems->size(),
          "the saved catalog lost or gained items:\n" + after);
    for (std::size_t i = 0; i < originalItems->size(); ++i) {
        const Json& was = (*originalItems)[i];
        Json& is = (*savedItems)[i];
        const Json& id = was.at("id");
        const std::string item = id.is_string() ? id.get<std::string>() : id.dump();
        const auto list = is.find("keywords");
        Check(where, list == is.end() || list->is_string() || list->is_null(),
              "the keyword list of item " + item + " is no string");
        // Told that the list is empty, a run rightly writes the keyword alone.
        if (std::find(fired.m_blankedItems.begin(), fired.m_blankedItems.end(), item) == fired.m_blankedItems.end())
            CheckExtended(where, item, KeywordsOf(was), KeywordsOf(is));
        if (was.contains("keywords"))
            is["keywords"] = was["keywords"];
        else
            is.erase("keywords");
    }
    Check(where, saved == original, "the run changed more of the catalog than keyword lists:\n" + after);
}

// One run's own properties; `faults` are the ones its catalog scripts.
CFired CheckRun(const CWhere& where, const CDecodedRun& run, const std::vector<CDecodedFault>& faults,
                bool followsFormat, const CRunResult& result)
{
    const CTraceFacts trace = ReadTrace(result.m_trace);
    Check(where, trace.m_lastLine == "references held by clients: 0",
          "the host's trace does not end with no references held: " + trace.m_lastLine);
    const bool catalogOpened = result.m_err.find(kHostLine) == std::string::npos;
    const CFired fired = FiredFaults(run, faults, trace, catalogOpened);
    CheckMessage(where, run, followsFormat, result, fired);
    CheckSavedCatalog(where, where.m_catalog, result.m_catalogAfter, fired);
    return fired;
}

bool SameCatalog(const std::string& a, const std::string& b)
{
    const Json first = Json::parse(a, nullptr, false);
    const Json second = Json::parse(b, nullptr, false);
    if (first.is_discarded() || second.is_discarded()) return a == b;
    return first == second;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const CDecodedRun run = DecodeRun(data, size, CatalogFile().string());

    const CWhere faultedWhere{"the run with faults", run.m_catalog};
    const CRunResult faulted = RunOnce(run, run.m_catalog, faultedWhere);
    const CFired fired = CheckRun(faultedWhere, run, run.m_faults, run.m_followsFormat, faulted);

    if (run.m_faults.empty()) {
        // Over a catalog that a clean run left, a second one has nothing to add.
        const CWhere againWhere{"a second clean run", faulted.m_catalogAfter};
        const CRunResult again = RunOnce(run, faulted.m_catalogAfter, againWhere);
        CheckRun(againWhere, run, {}, run.m_cleanFollowsFormat, again);
        Check(againWhere, again.m_catalogAfter == faulted.m_catalogAfter && again.m_hresult == faulted.m_hresult,
              "a second clean run changed the catalog or ended otherwise (" + Hex(again.m_hresult) + " after " +
                  Hex(faulted.m_hresult) + "):\n" + again.m_catalogAfter);
        return 0;
    }

    const CWhere cleanWhere{"the clean run", run.m_cleanCatalog};
    const CRunResult clean = RunOnce(run, run.m_cleanCatalog, cleanWhere);
    CheckRun(cleanWhere, run, {}, run.m_cleanFollowsFormat, clean);

    // What the faulted run left, its faults taken out.
    Json left = Json::parse(faulted.m_catalogAfter, nullptr, false);
    std::string leftClean = run.m_cleanCatalog;
    if (left.is_object()) {
        left.erase("faults");
        leftClean = left.dump();
    }
    const CWhere rerunWhere{"a clean run over what the faulted run left", leftClean};
    const CRunResult rerun = RunOnce(run, leftClean, rerunWhere);
    CheckRun(rerunWhere, run, {}, run.m_cleanFollowsFormat, rerun);
    if (fired.m_dataChanged) {
        Check(rerunWhere, rerun.m_hresult == clean.m_hresult,
              "ends with " + Hex(rerun.m_hresult) + ", the clean run with " + Hex(clean.m_hresult));
    } else {
        Check(rerunWhere, SameCatalog(rerun.m_catalogAfter, clean.m_catalogAfter),
              "does not end with the clean run's catalog:\n" + rerun.m_catalogAfter + "\nthe clean run's:\n" +
                  clean.m_catalogAfter);
    }
    return 0;
}
