#include "support/console_capture.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <unistd.h>

namespace {

// One descriptor pointed at a fresh temporary file; restored on destruction.
class CRedirect {
public:
    explicit CRedirect(int fd) : m_fd(fd)
    {
        char name[] = "/tmp/quillfen-console-XXXXXX";
        m_file = ::mkstemp(name);
        if (m_file < 0) throw std::runtime_error("cannot create a capture file");
        ::unlink(name);
        m_saved = ::dup(fd);
        if (m_saved < 0 || ::dup2(m_file, fd) < 0) throw std::runtime_error("cannot redirect a descriptor");
    }
    CRedirect(const CRedirect&) = delete;
    CRedirect& operator=(const CRedirect&) = delete;
    ~CRedirect()
    {
        Restore();
        ::close(m_file);
    }

    void Restore()
    {
        if (m_saved >= 0) {
            ::dup2(m_saved, m_fd);
            ::close(m_saved);
            m_saved = -1;
        }
    }

    std::string Contents() const
    {
        std::string text;
        char buffer[4096];
        off_t offset = 0;
        for (;;) {
            const ssize_t got = ::pread(m_file, buffer, sizeof buffer, offset);
            if (got <= 0) break;
            text.append(buffer, static_cast<std::size_t>(got));
            offset += got;
        }
        return text;
    }

private:
    int m_fd;
    int m_file = -1;
    int m_saved = -1;
};

}  // namespace

CCapturedConsole CaptureConsole(const std::function<void()>& body)
{
    // Whatever the test framework buffered must not land in the capture.
    std::fflush(stdout);
    std::fflush(stderr);
    CRedirect out(1);
    CRedirect err(2);
    try {
        body();
    } catch (...) {
        std::fflush(stdout);
        std::fflush(stderr);
        throw;
    }
    std::fflush(stdout);
    std::fflush(stderr);
    err.Restore();
    out.Restore();
    return CCapturedConsole{out.Contents(), err.Contents()};
}
