// Failing one call of a known sequence by its position. A walk's calls are
// written down as the trace writes them ("sets IHostMediaSets::Item(2)"); the
// host's faults name an operation on one object and count that object's calls
// of it, so the position is turned into that operation, that label and the
// number of the call among them.
#pragma once

#include "support/test_host.h"

#include <cstddef>
#include <string>
#include <vector>

struct CTracedCall {
    std::string m_label;      // "sets"
    std::string m_operation;  // "IHostMediaSets::Item", without the position the trace adds
};

// "<label> <operation>" with a trailing "(<position>)" dropped; a suffix that
// is part of the operation's name, such as "(put)", stays.
inline CTracedCall ParseTracedCall(const std::string& line)
{
    const std::size_t blank = line.find(' ');
    CTracedCall call{line.substr(0, blank), line.substr(blank + 1)};
    const std::size_t open = call.m_operation.rfind('(');
    if (open == std::string::npos || call.m_operation.back() != ')') return call;
    const std::string inside = call.m_operation.substr(open + 1, call.m_operation.size() - open - 2);
    const std::size_t sign = !inside.empty() && inside[0] == '-' ? 1 : 0;
    if (inside.size() > sign && inside.find_first_not_of("0123456789", sign) == std::string::npos)
        call.m_operation.erase(open);
    return call;
}

// Makes the call at `position` (from 1) of `calls` fail with `hr`, the
// sequence counted from now.
inline void FailTracedCall(CTestHost& host, const std::vector<std::string>& calls, std::size_t position, HRESULT hr)
{
    const CTracedCall failing = ParseTracedCall(calls.at(position - 1));
    int nth = 0;
    for (std::size_t at = 0; at < position; ++at) {
        const CTracedCall call = ParseTracedCall(calls[at]);
        if (call.m_label == failing.m_label && call.m_operation == failing.m_operation) ++nth;
    }
    host.FailCall(failing.m_operation, hr, nth, failing.m_label);
}
