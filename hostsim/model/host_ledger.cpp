#include "model/host_ledger.h"

#include "host/host_interfaces.h"

const char* HostInterfaceName(REFIID riid) noexcept
{
    static const struct {
        const IID* m_iid;
        const char* m_name;
    } kNames[] = {
#define QF_NAME_ENTRY(I) {&IID_##I, #I},
        QF_HOST_INTERFACES(QF_NAME_ENTRY)
#undef QF_NAME_ENTRY
        {&IID_IUnknown, "IUnknown"},
        {&IID_IDispatch, "IDispatch"},
        {&IID_ISupportErrorInfo, "ISupportErrorInfo"},
        {&IID_IRunnableObject, "IRunnableObject"},
    };
    for (const auto& entry : kNames)
        if (*entry.m_iid == riid) return entry.m_name;
    return "another interface";
}

std::size_t CHostLedger::Open(const std::string& label, const void* identity)
{
    const std::size_t number = ++m_instancesOfLabel[label];
    m_entries.push_back(CEntry{label, label + "#" + std::to_string(number)});
    m_live[identity] = m_entries.size() - 1;
    return m_entries.size() - 1;
}

std::string CHostLedger::NameOf(const void* identity) const
{
    const auto found = m_live.find(identity);
    return found == m_live.end() || m_entries[found->second].m_count == 0 ? std::string() : m_entries[found->second].m_name;
}

void CHostLedger::AddRef(std::size_t entry) { ++m_entries.at(entry).m_count; }

void CHostLedger::Release(std::size_t entry)
{
    CEntry& instance = m_entries.at(entry);
    if (--instance.m_count != 0) return;
    m_events.push_back(instance.m_name + " released");
    m_zeroOrder.push_back(instance.m_label);
}

long CHostLedger::References(const std::string& nameOrLabel) const
{
    long references = 0;
    for (const CEntry& entry : m_entries)
        if (entry.m_name == nameOrLabel || entry.m_label == nameOrLabel) references += entry.m_count;
    return references;
}

std::string CHostLedger::Problems() const
{
    std::string problems;
    for (const CEntry& entry : m_entries)
        if (entry.m_count != 0) problems += entry.m_name + " holds " + std::to_string(entry.m_count) + "\n";
    return problems;
}
