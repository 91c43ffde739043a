// The host's call trace: one line per call, appended and flushed at once so
// a test can read the trace of a process that is still running (or crashed),
// or, for a host made inside a unit test, kept in memory.
#pragma once

#include "platform/com.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class CHostTrace {
public:
    explicit CHostTrace(std::optional<std::filesystem::path> file);
    struct CInMemory {};
    explicit CHostTrace(CInMemory) : m_inMemory(true) {}
    CHostTrace(const CHostTrace&) = delete;
    CHostTrace& operator=(const CHostTrace&) = delete;
    ~CHostTrace();

    bool IsOn() const noexcept { return m_inMemory || m_file.has_value(); }

    // "<label> <operation>", with "(<position>)" for an Item call; the
    // operation as host_operations.def names it.
    void WriteCall(const std::string& label, const char* operation, std::optional<LONG> position);
    void WriteLine(const std::string& line);

    // The lines of a trace kept in memory.
    const std::vector<std::string>& Lines() const noexcept { return m_lines; }
    void Clear() { m_lines.clear(); }

private:
    std::optional<std::filesystem::path> m_file;
    std::FILE* m_stream = nullptr;
    bool m_broken = false;  // could not be opened: complained once, then quiet
    bool m_inMemory = false;
    std::vector<std::string> m_lines;
};
