#include "fakes/fake_ledger.h"

std::size_t CFakeLedger::Open(const std::string& name)
{
    m_entries.push_back(CEntry{name, 1, 0});
    return m_entries.size() - 1;
}

unsigned long CFakeLedger::AddRef(std::size_t entry)
{
    CEntry& e = m_entries.at(entry);
    return static_cast<unsigned long>(++e.count);
}

unsigned long CFakeLedger::Release(std::size_t entry)
{
    CEntry& e = m_entries.at(entry);
    if (e.count <= 0) {
        ++e.overReleases;
        return 0;
    }
    if (--e.count == 0) m_zeroOrder.push_back(e.name);
    return static_cast<unsigned long>(e.count);
}

long CFakeLedger::References(const std::string& name) const
{
    long total = 0;
    for (const CEntry& e : m_entries)
        if (e.name == name) total += e.count;
    return total;
}

std::string CFakeLedger::Problems() const
{
    std::string report;
    for (const CEntry& e : m_entries) {
        if (e.count > 0) report += e.name + " leaked " + std::to_string(e.count) + " reference(s)\n";
        if (e.overReleases > 0)
            report += e.name + " released " + std::to_string(e.overReleases) + " time(s) too often\n";
    }
    return report;
}
