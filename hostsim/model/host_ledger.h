// What a host under test records beyond its trace: every object it hands out
// with the references clients hold on it, and every event in order: the
// traced calls, the COM plumbing a trace leaves out (QueryInterface, Run,
// InterfaceSupportsErrorInfo) and each object's last release. Only a host
// made for tests keeps one; the stand-in that users and the end-to-end tests
// run pays nothing for it.
#pragma once

#include "platform/com.h"

#include <cstddef>
#include <map>
#include <string>
#include <utility>
#include <vector>

// "IHostMediaSet", "ISupportErrorInfo", ... for the ledger's events.
const char* HostInterfaceName(REFIID riid) noexcept;

class CHostLedger {
public:
    // A new instance with the one reference its creator hands out. Its name
    // is "<label>#<n>", n counting the instances of that label from 1.
    // `identity` is the object's IUnknown, by which NameOf finds it.
    std::size_t Open(const std::string& label, const void* identity);
    void AddRef(std::size_t entry);
    // The release that takes an instance to zero writes "<name> released".
    void Release(std::size_t entry);
    void Event(std::string line) { m_events.push_back(std::move(line)); }
    // A keyword list the host accepted, by the item's position in the catalog.
    void RecordWrite(std::size_t item, const WideString& keywords) { m_writes.emplace_back(item, keywords); }

    // The name of the live instance at that address; "" for none.
    std::string NameOf(const void* identity) const;
    // The references clients hold on the instance of that name, or on every
    // instance of that label together.
    long References(const std::string& nameOrLabel) const;
    // Empty when every instance's references were all given back; otherwise
    // one line per instance still held.
    std::string Problems() const;
    std::size_t InstanceCount() const noexcept { return m_entries.size(); }

    const std::vector<std::string>& Events() const noexcept { return m_events; }
    // Labels of instances in the order their count reached zero.
    const std::vector<std::string>& ZeroOrder() const noexcept { return m_zeroOrder; }
    const std::vector<std::pair<std::size_t, WideString>>& Writes() const noexcept { return m_writes; }
    void ClearEvents()
    {
        m_events.clear();
        m_zeroOrder.clear();
    }

private:
    struct CEntry {
        std::string m_label;
        std::string m_name;
        long m_count = 1;
    };

    std::vector<CEntry> m_entries;
    std::map<std::string, std::size_t> m_instancesOfLabel;
    std::map<const void*, std::size_t> m_live;
    std::vector<std::string> m_events;
    std::vector<std::string> m_zeroOrder;
    std::vector<std::pair<std::size_t, WideString>> m_writes;
};
