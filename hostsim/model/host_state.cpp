#include "model/host_state.h"

#include "model/file_system.h"
#include "model/host_operations.h"

#include <cstdio>

void ReportHostProblem(const std::filesystem::path& file, const char* problem, const char* detail) noexcept
{
    // Often called because memory ran out, so it needs none of its own.
#ifdef _WIN32
    try {
        const std::string name = PathToUtf8(file);
        std::fprintf(stderr, "lumora-host: %s: %s%s\n", name.c_str(), problem, detail);
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "lumora-host: %s%s\n", problem, detail);
    }
#else
    std::fprintf(stderr, "lumora-host: %s: %s%s\n", file.c_str(), problem, detail);
#endif
    std::fflush(stderr);
}

CHostState::CHostState(std::optional<std::filesystem::path> traceFile)
    : m_trace(std::move(traceFile)), m_defaultApplication(DefaultApplicationRecord())
{
}

CHostState::CHostState(CForTests)
    : m_trace(CHostTrace::CInMemory()), m_defaultApplication(DefaultApplicationRecord()),
      m_ledger(std::make_unique<CHostLedger>())
{
}

CHostState::~CHostState() = default;

HRESULT CHostState::ActivateCatalog(const std::filesystem::path& path) noexcept
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_catalog) return S_OK;
    try {
        std::unique_ptr<CCatalogFile> file;
        std::string problem;
        const HRESULT hr = CCatalogFile::Open(path, file, problem);
        if (FAILED(hr)) {
            ReportHostProblem(path, problem.c_str());
            return hr;
        }
        m_faults = CFaultPlan(file->Content().m_faults);
        m_catalog = std::move(file);
        return S_OK;
    } catch (const std::bad_alloc&) {
        ReportHostProblem(path, "out of memory while reading the catalog");
        return E_OUTOFMEMORY;
    }
}

void CHostState::ActivateCatalog(CCatalogContent content)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_faults = CFaultPlan(content.m_faults);
    m_catalog = CCatalogFile::InMemory(std::move(content));
}

void CHostState::SetLastReleaseHandler(std::function<void()> handler)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lastReleaseHandler = std::move(handler);
}

void CHostState::Shutdown() noexcept
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_shutDown) return;
    m_shutDown = true;
    SaveIfChangedLocked();
    try {
        m_trace.WriteLine("references held by clients: " + std::to_string(m_clientReferences));
    } catch (const std::bad_alloc&) {
    }
}

ULONG CHostState::ClientReferences()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_clientReferences;
}

CFaultAction CHostState::BeginCallLocked(const std::string& label, const char* operation,
                                         std::optional<LONG> position)
{
    m_trace.WriteCall(label, operation, position);
    if (m_ledger) m_ledger->Event(m_trace.Lines().back());
    return m_faults.CountCall(operation, label);
}

CFaultAction CHostState::CountPlumbingLocked(const std::string& label, const std::string& operation)
{
    m_ledger->Event(label + " " + operation);
    return m_faults.CountCall(operation, label);
}

std::optional<LONG> CHostState::CountHookLocked(const std::string& label)
{
    if (!m_countHook || !m_catalog) return std::nullopt;
    return m_countHook(m_catalog->EditableContent(), label, ++m_countCalls[label]);
}

CCatalogContent* CHostState::EditableCatalogLocked() noexcept
{
    return m_catalog ? &m_catalog->EditableContent() : nullptr;
}

CFaultAction CHostState::CountCreationLocked()
{
    if (m_ledger) m_ledger->Event(std::string("factory ") + HostOperation::kCreateInstance);
    return m_faults.CountCall(HostOperation::kCreateInstance, "factory");
}

void CHostState::AddReferenceLocked() noexcept { ++m_clientReferences; }

bool CHostState::ReleaseReferenceLocked() noexcept
{
    if (m_clientReferences == 0 || --m_clientReferences != 0) return false;
    SaveIfChangedLocked();
    return true;
}

const CApplicationRecord& CHostState::ApplicationLocked() const noexcept
{
    return m_catalog ? m_catalog->Content().m_application : m_defaultApplication;
}

const CCatalogContent* CHostState::CatalogLocked() const noexcept { return m_catalog ? &m_catalog->Content() : nullptr; }

KeywordChange CHostState::SetKeywordsLocked(std::size_t item, const WideString& keywords)
{
    return m_catalog ? m_catalog->SetKeywords(item, keywords) : KeywordChange::NotStorable;
}

void CHostState::NotifyLastRelease() noexcept
{
    // Called under the lock rather than copied out of it: a copy could fail
    // for lack of memory inside a client's Release.
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_lastReleaseHandler) m_lastReleaseHandler();
}

void CHostState::SaveIfChangedLocked() noexcept
{
    if (!m_catalog || !m_catalog->IsChanged()) return;
    try {
        std::string problem;
        if (!m_catalog->Save(problem)) ReportHostProblem(m_catalog->Path(), "cannot save the catalog: ", problem.c_str());
    } catch (const std::bad_alloc&) {
        ReportHostProblem(m_catalog->Path(), "out of memory while saving the catalog");
    }
}
