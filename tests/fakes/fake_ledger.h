// The reference ledger of the fake host: one entry per object instance,
// counting the references that clients hold. Objects are never freed while
// the fake host lives, so an over-release is recorded instead of crashing.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class CFakeLedger {
public:
    // A new instance starts with the one reference its creator hands out.
    std::size_t Open(const std::string& name);

    unsigned long AddRef(std::size_t entry);
    unsigned long Release(std::size_t entry);

    // Current client references of the instance with this name (0 when none).
    long References(const std::string& name) const;

    // Empty when every reference was given back exactly once; otherwise one
    // line per leaked or over-released instance.
    std::string Problems() const;

    // Names of instances in the order their count reached zero.
    const std::vector<std::string>& ZeroOrder() const noexcept { return m_zeroOrder; }
    void ClearZeroOrder() { m_zeroOrder.clear(); }

    std::size_t InstanceCount() const noexcept { return m_entries.size(); }

private:
    struct CEntry {
        std::string name;
        long count = 1;
        long overReleases = 0;
    };

    std::vector<CEntry> m_entries;
    std::vector<std::string> m_zeroOrder;
};
