// Everything one host shares among its objects: the active catalog, the fault
// plan, the trace and the count of references that clients hold. One mutex
// guards all of it, because a host in the multithreaded apartment is called
// from several threads at once.
#pragma once

#include "model/catalog_file.h"
#include "model/fault_plan.h"
#include "model/host_ledger.h"
#include "model/host_trace.h"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>

// How a failing object answers a client's questions about its error object.
// A host under test can disown it in each way a real object may.
enum class HostErrorInfo {
    Vouched,      // set, and ISupportErrorInfo answers S_OK for the called interface
    NotSet,       // no error object is set; ISupportErrorInfo answers S_FALSE
    Disowned,     // set, but ISupportErrorInfo answers S_FALSE
    NoInterface,  // set, but the object does not answer to ISupportErrorInfo
    Missing,      // cleared, as when it could not be made, yet ISupportErrorInfo answers S_OK
};

class CHostState {
public:
    explicit CHostState(std::optional<std::filesystem::path> traceFile);
    // A host for unit tests: its trace is kept in memory and a reference
    // ledger records every object it hands out.
    struct CForTests {};
    explicit CHostState(CForTests);
    CHostState(const CHostState&) = delete;
    CHostState& operator=(const CHostState&) = delete;
    ~CHostState();

    // Makes the catalog at `path` the active one, unless a catalog already is:
    // the host loads its catalog once and every later client shares it. A file
    // that cannot be used gives its failure and one line on standard error.
    HRESULT ActivateCatalog(const std::filesystem::path& path) noexcept;
    // Makes a catalog built in code the active one; it is never saved.
    void ActivateCatalog(CCatalogContent content);

    // Called, under the lock, each time clients have released their last
    // reference (after a changed catalog was saved); it must not call back
    // into the host and must not throw. A host that COM started uses it to
    // end itself.
    void SetLastReleaseHandler(std::function<void()> handler);

    // The end of the host: saves a changed catalog and writes the trace's
    // last line with the references that clients still hold. Runs once.
    void Shutdown() noexcept;
    ULONG ClientReferences();

    // For the host objects; each of these needs Mutex() held.
    std::mutex& Mutex() noexcept { return m_mutex; }
    // Traces one call and counts it for the fault plan. Throws std::bad_alloc.
    CFaultAction BeginCallLocked(const std::string& label, const char* operation, std::optional<LONG> position);
    bool TracingLocked() const noexcept { return m_trace.IsOn(); }
    // Counts one creation of the application object (not traced).
    CFaultAction CountCreationLocked();
    void AddReferenceLocked() noexcept;
    // True when that was the clients' last reference; a changed catalog has
    // then been saved, and the caller owes a NotifyLastRelease once unlocked.
    bool ReleaseReferenceLocked() noexcept;
    const CApplicationRecord& ApplicationLocked() const noexcept;
    const CCatalogContent* CatalogLocked() const noexcept;
    KeywordChange SetKeywordsLocked(std::size_t item, const WideString& keywords);

    void NotifyLastRelease() noexcept;

    // ---- what only a host under test does; each needs Mutex() held ----
    CHostLedger* LedgerLocked() noexcept { return m_ledger.get(); }
    const std::vector<std::string>& TraceLinesLocked() const noexcept { return m_trace.Lines(); }
    void ClearTraceLocked() { m_trace.Clear(); }
    // The active catalog, for a test to change between or during calls.
    CCatalogContent* EditableCatalogLocked() noexcept;
    void CloseCatalogLocked() noexcept { m_catalog.reset(); }
    // The rule counts calls from now on.
    void AddFaultLocked(const CFaultRule& rule) { m_faults.Add(rule, true); }
    // Counts one call that only the ledger records (QueryInterface, Run, ...).
    CFaultAction CountPlumbingLocked(const std::string& label, const std::string& operation);
    // Called at each Count of a collection with its label ("sets",
    // "items:<set id>") and the number of that collection's Count calls so
    // far, from 1. It may change the catalog; a value it returns is the count.
    using CountHook = std::function<std::optional<LONG>(CCatalogContent&, const std::string& label, int number)>;
    void SetCountHookLocked(CountHook hook) { m_countHook = std::move(hook); }
    bool CountHookedLocked() const noexcept { return static_cast<bool>(m_countHook); }
    std::optional<LONG> CountHookLocked(const std::string& label);
    HostErrorInfo ErrorInfoLocked() const noexcept { return m_errorInfo; }
    void SetErrorInfoLocked(HostErrorInfo mode) noexcept { m_errorInfo = mode; }
    // A runnable host answers IRunnableObject, so a client's OleRun reaches it.
    // A unit test makes it so in code, any other host by its catalog.
    bool RunnableLocked() const noexcept { return m_runnable || ApplicationLocked().m_runnable; }
    void SetRunnableLocked(bool runnable) noexcept { m_runnable = runnable; }

private:
    void SaveIfChangedLocked() noexcept;

    std::mutex m_mutex;
    CHostTrace m_trace;
    std::unique_ptr<CCatalogFile> m_catalog;
    CFaultPlan m_faults;
    CApplicationRecord m_defaultApplication;
    ULONG m_clientReferences = 0;
    bool m_shutDown = false;
    std::function<void()> m_lastReleaseHandler;

    std::unique_ptr<CHostLedger> m_ledger;
    CountHook m_countHook;
    std::map<std::string, int> m_countCalls;
    HostErrorInfo m_errorInfo = HostErrorInfo::Vouched;
    bool m_runnable = false;
};

// Writes one line on standard error, the host's only way to complain.
void ReportHostProblem(const std::filesystem::path& file, const char* problem, const char* detail = "") noexcept;
