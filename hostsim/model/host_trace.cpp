#include "model/host_trace.h"

#include "model/file_system.h"

#include <cerrno>
#include <cstring>

CHostTrace::CHostTrace(std::optional<std::filesystem::path> file) : m_file(std::move(file)) {}

CHostTrace::~CHostTrace()
{
    if (m_stream) std::fclose(m_stream);
}

void CHostTrace::WriteCall(const std::string& label, const char* operation, std::optional<LONG> position)
{
    if (!IsOn()) return;
    std::string line;
    line.reserve(label.size() + std::strlen(operation) + 14);
    line += label;
    line += ' ';
    line += operation;
    if (position) {
        line += '(';
        line += std::to_string(*position);
        line += ')';
    }
    WriteLine(line);
}

void CHostTrace::WriteLine(const std::string& line)
{
    if (m_inMemory) {
        m_lines.push_back(line);
        return;
    }
    if (!m_file || m_broken) return;
    if (!m_stream) {
        m_stream = OpenFile(*m_file, "ab");
        if (!m_stream) {
            m_broken = true;
            std::fprintf(stderr, "lumora-host: %s: cannot open the trace file: %s\n", PathToUtf8(*m_file).c_str(),
                         std::strerror(errno));
            std::fflush(stderr);
            return;
        }
    }
    std::fwrite(line.data(), 1, line.size(), m_stream);
    std::fputc('\n', m_stream);
    std::fflush(m_stream);
}
