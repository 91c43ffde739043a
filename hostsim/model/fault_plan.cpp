#include "model/fault_plan.h"

#include <cstdlib>
#ifndef _WIN32
#include <csignal>
#endif

CFaultPlan::CFaultPlan(const std::vector<CFaultRule>& rules)
{
    for (const CFaultRule& rule : rules) {
        CFaultAction action;
        action.m_kind = rule.m_endsHost      ? CFaultAction::Kind::EndHost
                        : rule.m_returnsNull ? CFaultAction::Kind::ReturnNull
                                             : CFaultAction::Kind::Fail;
        action.m_hresult = action.m_kind == CFaultAction::Kind::Fail ? rule.m_hresult : S_OK;
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
