// The faults a catalog scripts: the Nth call of an operation, counted over
// every object of the host since it started, fails, gives null, or ends the
// host's process.
#pragma once

#include "model/catalog_records.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

struct CFaultAction {
    // EndHost never reaches a caller: CountCall ends the process instead.
    enum class Kind { None, Fail, ReturnNull, EndHost };
    Kind m_kind = Kind::None;
    HRESULT m_hresult = S_OK;
};

class CFaultPlan {
public:
    CFaultPlan() = default;
    explicit CFaultPlan(const std::vector<CFaultRule>& rules);

    // A catalog's rule counts calls from the host's start; one that a test
    // adds later can count them from its own addition.
    void Add(const CFaultRule& rule, bool countFromNow = false);

    // Counts one call of `operation` on the object labelled `label` and says
    // what the host does with it. A call scripted to end the host ends its
    // process here, before the call has any effect. Throws std::bad_alloc.
    CFaultAction CountCall(std::string_view operation, std::string_view label = {});

private:
    static CFaultAction ActionOf(const CFaultRule& rule);

    // Rules that name an object or fire on every call; only tests script
    // them, so a plain list serves.
    struct CNarrowRule {
        CFaultRule m_rule;
        std::uint64_t m_seen = 0;
    };
    std::vector<CNarrowRule> m_narrowRules;

    std::map<std::pair<std::string, std::uint64_t>, CFaultAction, std::less<>> m_actions;
    std::map<std::string, std::uint64_t, std::less<>> m_calls;
};

// Ends the host's process at once, as a crash would: nothing is saved, the
// trace's last line is not written. Out of process that is lumora-host.exe
// alone; in process it is the client's process too.
[[noreturn]] void EndHostProcess() noexcept;
