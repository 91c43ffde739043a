// Everything one host shares among its objects: the active catalog, the fault
// plan, the trace and the count of references that clients hold. One mutex
// guards all of it, because a host in the multithreaded apartment is called
// from several threads at once.
#pragma once

#include "model/catalog_file.h"
#include "model/fault_plan.h"
#include "model/host_trace.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class CHostState {
public:
    explicit CHostState(std::optional<std::filesystem::path> traceFile);
    CHostState(const CHostState&) = delete;
    CHostState& operator=(const CHostState&) = delete;
    ~CHostState();

    // Makes the catalog at `path` the active one, unless a catalog already is:
    // the host loads its catalog once and every later client shares it. A file
    // that cannot be used gives its failure and one line on standard error.
    HRESULT ActivateCatalog(const std::filesystem::path& path) noexcept;
    bool HasActiveCatalog();

    // Called, under the lock, each time clients have released their last
    // reference (after a changed catalog was saved); it must not call back
    // into the host and must not throw. A host that COM started uses it to
    // end itself.
    void SetLastReleaseHandler(std::function<void()> handler);

    void SaveIfChanged() noexcept;
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
};

// Writes one line on standard error, the host's only way to complain.
void ReportHostProblem(const std::filesystem::path& file, const char* problem, const char* detail = "") noexcept;
