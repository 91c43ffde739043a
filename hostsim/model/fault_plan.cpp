#include "model/fault_plan.h"

CFaultPlan::CFaultPlan(const std::vector<CFaultRule>& rules)
{
    for (const CFaultRule& rule : rules) {
        CFaultAction action;
        action.m_kind = rule.m_returnsNull ? CFaultAction::Kind::ReturnNull : CFaultAction::Kind::Fail;
        action.m_hresult = rule.m_returnsNull ? S_OK : rule.m_hresult;
        m_actions.emplace(std::make_pair(rule.m_operation, rule.m_nth), action);
    }
}

CFaultAction CFaultPlan::CountCall(std::string_view operation)
{
    auto counter = m_calls.find(operation);
    if (counter == m_calls.end()) counter = m_calls.emplace(std::string(operation), 0).first;
    const std::uint64_t nth = ++counter->second;
    if (m_actions.empty()) return CFaultAction();
    const auto found = m_actions.find(std::make_pair(std::string(operation), nth));
    return found == m_actions.end() ? CFaultAction() : found->second;
}
