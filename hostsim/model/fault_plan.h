// The faults a catalog scripts: the Nth call of an operation, counted over
// every object of the host since it started, fails or gives null.
#pragma once

#include "model/catalog_records.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

struct CFaultAction {
    enum class Kind { None, Fail, ReturnNull };
    Kind m_kind = Kind::None;
    HRESULT m_hresult = S_OK;
};

class CFaultPlan {
public:
    CFaultPlan() = default;
    explicit CFaultPlan(const std::vector<CFaultRule>& rules);

    // Counts one call of `operation` and says what the host does with it.
    // Throws std::bad_alloc.
    CFaultAction CountCall(std::string_view operation);

private:
    std::map<std::pair<std::string, std::uint64_t>, CFaultAction, std::less<>> m_actions;
    std::map<std::string, std::uint64_t, std::less<>> m_calls;
};
