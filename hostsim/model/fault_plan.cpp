#include "model/fault_plan.h"

#include <cstdlib>
#ifndef _WIN32
#include <csignal>
#endif

CFaultPlan::CFaultPlan(const std::vector<CFaultRule>& rules)
{
    for (const CFaultRule& rule : rules) Add(rule);
}

CFaultAction CFaultPlan::ActionOf(const CFaultRule& rule)
{
    CFaultAction action;
    action.m_kind = rule.m_endsHost      ? CFaultAction::Kind::EndHost
                    : rule.m_returnsNull ? CFaultAction::Kind::ReturnNull
                                         : CFaultAction::Kind::Fail;
    action.m_hresult = action.m_kind == CFaultAction::Kind::Fail ? rule.m_hresult : S_OK;
    return action;
}

void CFaultPlan::Add(const CFaultRule& rule, bool countFromNow)
{
    if (countFromNow || !rule.m_label.empty() || rule.m_nth == 0) m_narrowRules.push_back(CNarrowRule{rule});
    else m_actions.emplace(std::make_pair(rule.m_operation, rule.m_nth), ActionOf(rule));
}

CFaultAction CFaultPlan::CountCall(std::string_view operation, std::string_view label)
{
    auto counter = m_calls.find(operation);
    if (counter == m_calls.end()) counter = m_calls.emplace(std::string(operation), 0).first;
    const std::uint64_t nth = ++counter->second;
    for (CNarrowRule& narrow : m_narrowRules) {
        const CFaultRule& rule = narrow.m_rule;
        if (rule.m_operation != operation || (!rule.m_label.empty() && rule.m_label != label)) continue;
        ++narrow.m_seen;
        if (rule.m_nth == 0 || narrow.m_seen == rule.m_nth) {
            if (rule.m_endsHost) EndHostProcess();
            return ActionOf(rule);
        }
    }
    if (m_actions.empty()) return CFaultAction();
    const auto found = m_actions.find(std::make_pair(std::string(operation), nth));
    if (found == m_actions.end()) return CFaultAction();
    if (found->second.m_kind == CFaultAction::Kind::EndHost) EndHostProcess();
    return found->second;
}

void EndHostProcess() noexcept
{
#ifdef _WIN32
    // The exit value says the host was aborted; no client reads it.
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(E_ABORT));
#else
    // A signal no handler can catch, so neither the client's nor the host's
    // exit code runs, and the caller sees a killed process rather than an
    // exit value that could be mistaken for a result.
    std::raise(SIGKILL);
#endif
    std::_Exit(EXIT_FAILURE);
}
