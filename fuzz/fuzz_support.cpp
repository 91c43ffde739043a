#include "fuzz_support.h"

#include <sanitizer/common_interface_defs.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <system_error>
#include <unistd.h>

namespace {

// A copy of the standard error the process started with. Sanitizer reports
// go there too: a crash in the middle of a run must not vanish into the
// run's captured output.
void WriteAllTo(int fd, const std::string& text);
[[noreturn]] void ExceptionEscaped();

int DiagnosticsFd()
{
    static const int fd = [] {
        const int copy = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
        const int chosen = copy >= 0 ? copy : STDERR_FILENO;
        __sanitizer_set_report_fd(reinterpret_cast<void*>(static_cast<std::intptr_t>(chosen)));
        std::set_terminate(ExceptionEscaped);
        return chosen;
    }();
    return fd;
}

// The runtime's own words about an escaped exception would land in a run's
// captured standard error; say it where it is seen.
void ExceptionEscaped()
{
    std::string what = "an exception escaped";
    try {
        if (const std::exception_ptr current = std::current_exception()) std::rethrow_exception(current);
    } catch (const std::exception& error) {
        what += ": ";
        what += error.what();
    } catch (...) {
    }
    FuzzFailure(what);
}

void WriteAllTo(int fd, const std::string& text)
{
    const char* cursor = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, cursor, left);
        if (written <= 0) return;
        cursor += written;
        left -= static_cast<std::size_t>(written);
    }
}

std::string Contents(int fd)
{
    std::string text;
    char buffer[4096];
    off_t offset = 0;
    for (;;) {
        const ssize_t got = ::pread(fd, buffer, sizeof buffer, offset);
        if (got <= 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
        offset += got;
    }
    return text;
}

void RemoveScratchFolder();

}  // namespace

void FuzzFailure(const std::string& what)
{
    WriteAllTo(DiagnosticsFd(), "broken: " + what + "\n");
    std::abort();
}

const std::filesystem::path& ScratchFolder()
{
    static const std::filesystem::path folder = [] {
        std::error_code ignored;
        const std::filesystem::path base =
            std::filesystem::is_directory("/dev/shm", ignored) ? "/dev/shm" : std::filesystem::temp_directory_path();
        // A run that crashed ends without cleaning up: its folder goes when a
        // later run finds its process gone.
        const std::string prefix = "quillfen-fuzz-";
        for (const auto& entry : std::filesystem::directory_iterator(base, ignored)) {
            const std::string name = entry.path().filename().string();
            if (name.compare(0, prefix.size(), prefix) != 0) continue;
            const long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
            if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
                std::filesystem::remove_all(entry.path(), ignored);
        }
        const std::filesystem::path folder = base / (prefix + std::to_string(::getpid()));
        std::filesystem::remove_all(folder, ignored);
        if (!std::filesystem::create_directory(folder, ignored))
            FuzzFailure("cannot create a scratch folder under " + base.string());
        std::atexit(RemoveScratchFolder);
        return folder;
    }();
    return folder;
}

namespace {

void RemoveScratchFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(ScratchFolder(), ignored);
}

}  // namespace

void WriteWholeFile(const std::filesystem::path& file, std::string_view bytes)
{
    std::ofstream stream(file, std::ios::binary | std::ios::trunc);
    stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    stream.close();
    if (!stream) FuzzFailure("cannot write " + file.string());
}

std::string ReadWholeFile(const std::filesystem::path& file)
{
    std::ifstream stream(file, std::ios::binary);
    if (!stream) FuzzFailure("cannot read " + file.string());
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

CConsoleCapture::CConsoleCapture()
{
    (void)DiagnosticsFd();
    const char* names[2] = {"stdout.txt", "stderr.txt"};
    for (int k = 0; k < 2; ++k) {
        const std::string file = (ScratchFolder() / names[k]).string();
        m_files[k] = ::open(file.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (m_files[k] < 0) FuzzFailure("cannot create " + file);
    }
}

CConsoleCapture::~CConsoleCapture()
{
    End();
    for (int fd : m_files)
        if (fd >= 0) ::close(fd);
}

void CConsoleCapture::Begin()
{
    // Whatever stdio buffered before the run belongs to no run.
    std::fflush(stdout);
    std::fflush(stderr);
    for (int k = 0; k < 2; ++k) {
        if (::ftruncate(m_files[k], 0) != 0) FuzzFailure("cannot empty a capture file");
        m_saved[k] = ::fcntl(k + 1, F_DUPFD_CLOEXEC, 3);
        if (m_saved[k] < 0 || ::dup2(m_files[k], k + 1) < 0) FuzzFailure("cannot redirect a console descriptor");
        ::lseek(k + 1, 0, SEEK_SET);
    }
}

void CConsoleCapture::End()
{
    std::fflush(stdout);
    std::fflush(stderr);
    for (int k = 0; k < 2; ++k) {
        if (m_saved[k] < 0) continue;
        ::dup2(m_saved[k], k + 1);
        ::close(m_saved[k]);
        m_saved[k] = -1;
    }
}

std::string CConsoleCapture::Out() const { return Contents(m_files[0]); }
std::string CConsoleCapture::Err() const { return Contents(m_files[1]); }
