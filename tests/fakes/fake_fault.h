// One scripted failure of the fake host: which call it hits and what the
// call then does (fail with an HRESULT, or succeed with a null result).
#pragma once

#include "platform/com.h"

#include <string>

// What the failing object tells the caller's error wrapper about an error object.
enum class FakeErrorInfo {
    None,         // no error object is set; ISupportErrorInfo answers S_FALSE
    Supported,    // an error object is set and ISupportErrorInfo answers S_OK for the called interface
    Denied,       // an error object is set but ISupportErrorInfo answers S_FALSE
    NoInterface,  // an error object is set but the object has no ISupportErrorInfo
};

class CFakeFault {
public:
    CFakeFault(std::string operation, HRESULT hr, bool nullResult)
        : m_operation(std::move(operation)), m_hr(hr), m_nullResult(nullResult)
    {
    }

    // Only calls on the object with this label ("set:5", "sets", "app").
    CFakeFault& On(std::string label)
    {
        m_label = std::move(label);
        return *this;
    }
    // The nth matching call (from 1) fires; 0 makes every matching call fire.
    CFakeFault& Nth(int nth)
    {
        m_nth = nth;
        return *this;
    }
    CFakeFault& Every() { return Nth(0); }
    CFakeFault& WithErrorInfo(FakeErrorInfo mode)
    {
        m_errorInfo = mode;
        return *this;
    }

    // `operation` is the bare operation ("Item"), `suffix` what the log writes
    // after it ("(2)"). A fault names either the bare operation, the operation
    // with its suffix ("Item(2)"), or "*" for any operation of the seven host
    // interfaces.
    bool Matches(const std::string& label, const std::string& operation, const std::string& suffix,
                 bool hostOperation) const
    {
        if (!m_label.empty() && m_label != label) return false;
        if (m_operation == "*") return hostOperation;
        return m_operation == operation || m_operation == operation + suffix;
    }

    // Counts a matching call and tells whether this one fires.
    bool Fires()
    {
        ++m_seen;
        return m_nth == 0 || m_seen == m_nth;
    }

    HRESULT Result() const noexcept { return m_hr; }
    bool NullResult() const noexcept { return m_nullResult; }
    FakeErrorInfo ErrorInfoMode() const noexcept { return m_errorInfo; }

private:
    std::string m_operation;
    std::string m_label;
    int m_nth = 1;
    int m_seen = 0;
    HRESULT m_hr;
    bool m_nullResult;
    FakeErrorInfo m_errorInfo = FakeErrorInfo::None;
};
