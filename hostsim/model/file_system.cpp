#include "model/file_system.h"

#include "platform/utf8.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <stdlib.h>
#else
#include <cstdlib>
#include <unistd.h>
#endif

namespace {

constexpr DWORD kErrorPathNotFound = 3;
constexpr DWORD kErrorAccessDenied = 5;
constexpr DWORD kErrorReadFault = 30;

HRESULT HresultForOpenError(int error)
{
    switch (error) {
    case ENOENT:
        return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    case ENOTDIR:
        return HRESULT_FROM_WIN32(kErrorPathNotFound);
    case EACCES:
    case EPERM:
        return HRESULT_FROM_WIN32(kErrorAccessDenied);
    default:
        return HRESULT_FROM_WIN32(kErrorReadFault);
    }
}

unsigned long ProcessId()
{
#ifdef _WIN32
    return static_cast<unsigned long>(_getpid());
#else
    return static_cast<unsigned long>(getpid());
#endif
}

// Pushes the written bytes to the disk, so a crash right after the rename
// cannot leave an empty catalog behind.
bool FlushToDisk(std::FILE* file)
{
    if (std::fflush(file) != 0) return false;
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

bool RenameOver(const std::filesystem::path& from, const std::filesystem::path& to, std::string& problem)
{
#ifdef _WIN32
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    problem = "cannot rename the saved file over the catalog (error " + std::to_string(GetLastError()) + ")";
    return false;
#else
    std::error_code error;
    std::filesystem::rename(from, to, error);
    if (!error) return true;
    problem = "cannot rename the saved file over the catalog: " + error.message();
    return false;
#endif
}

}  // namespace

std::FILE* OpenFile(const std::filesystem::path& path, const char* mode)
{
#ifdef _WIN32
    std::wstring wideMode;
    for (const char* c = mode; *c; ++c) wideMode += static_cast<wchar_t>(*c);
    return _wfopen(path.c_str(), wideMode.c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

HRESULT ReadWholeFile(const std::filesystem::path& path, std::string& contents, std::string& problem)
{
    contents.clear();
    errno = 0;
    std::FILE* file = OpenFile(path, "rb");
    if (!file) {
        const int error = errno;
        problem = error == ENOENT ? "no such file" : std::string("cannot open the file: ") + std::strerror(error);
        return HresultForOpenError(error);
    }
    // One allocation for the whole file, rather than one per doubling.
    std::error_code sizeError;
    const std::uintmax_t size = std::filesystem::file_size(path, sizeError);
    if (!sizeError && size < contents.max_size()) contents.reserve(static_cast<std::size_t>(size));
    char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) contents.append(buffer, got);
    const bool failed = std::ferror(file) != 0;
    const int error = errno;
    std::fclose(file);
    if (failed) {
        problem = std::string("cannot read the file: ") + std::strerror(error);
        return HRESULT_FROM_WIN32(kErrorReadFault);
    }
    return S_OK;
}

void CFileSink::WriteBeyondBuffer(const char* data, std::size_t size) noexcept
{
    Drain();
    // A text longer than the buffer (a long keyword list) goes out as it is.
    if (size >= sizeof m_buffer) {
        WriteThrough(data, size);
        return;
    }
    std::memcpy(m_buffer, data, size);
    m_used = size;
}

bool CFileSink::Finish() noexcept
{
    Drain();
    return !m_failed;
}

void CFileSink::Drain() noexcept
{
    WriteThrough(m_buffer, m_used);
    m_used = 0;
}

void CFileSink::WriteThrough(const char* data, std::size_t size) noexcept
{
    if (m_failed || size == 0) return;
    errno = 0;
    if (std::fwrite(data, 1, size, m_file) == size) return;
    m_failed = true;
    m_error = errno != 0 ? errno : EIO;
}

namespace {

// The temporary file of one save, removed again unless it has been renamed
// over the catalog, however the save ends (a failed write, or an exception
// from whoever fills it).
class CTemporaryFile {
public:
    explicit CTemporaryFile(std::filesystem::path path) noexcept : m_path(std::move(path)) {}
    CTemporaryFile(const CTemporaryFile&) = delete;
    CTemporaryFile& operator=(const CTemporaryFile&) = delete;
    ~CTemporaryFile()
    {
        Close();
        if (!m_renamed) {
            std::error_code error;
            std::filesystem::remove(m_path, error);
        }
    }

    bool Open() noexcept
    {
        m_file = OpenFile(m_path, "wb");
        // The sink buffers already; stdio's own buffer would only copy every byte once more.
        if (m_file) std::setvbuf(m_file, nullptr, _IONBF, 0);
        return m_file != nullptr;
    }
    bool Close() noexcept
    {
        if (!m_file) return true;
        const bool closed = std::fclose(m_file) == 0;
        m_file = nullptr;
        return closed;
    }
    void Renamed() noexcept { m_renamed = true; }

    const std::filesystem::path& Path() const noexcept { return m_path; }
    std::FILE* File() const noexcept { return m_file; }

private:
    std::filesystem::path m_path;
    std::FILE* m_file = nullptr;
    bool m_renamed = false;
};

}  // namespace

bool ReplaceFileAtomically(const std::filesystem::path& path, const std::function<void(CFileSink&)>& write,
                           std::string& problem)
{
    std::error_code error;
    // Saving through a symbolic link replaces the file it points to, not the link.
    std::filesystem::path target = path;
    if (std::filesystem::is_symlink(path, error)) {
        const std::filesystem::path resolved = std::filesystem::canonical(path, error);
        if (!error) target = resolved;
    }

    static std::atomic<unsigned> s_saveCount{0};
    std::filesystem::path name = target;
    name += ".saving-" + std::to_string(ProcessId()) + "-" + std::to_string(++s_saveCount);
    CTemporaryFile temporary(std::move(name));

    if (!temporary.Open()) {
        problem = "cannot create " + PathToUtf8(temporary.Path()) + ": " + std::strerror(errno);
        return false;
    }
    CFileSink sink(temporary.File());
    write(sink);
    const bool written = sink.Finish();
    const int writeError = sink.Error();
    const bool flushed = written && FlushToDisk(temporary.File());
    const int flushError = errno;
    const bool closed = temporary.Close();
    if (!written || !flushed || !closed) {
        problem = "cannot write " + PathToUtf8(temporary.Path()) + ": " +
                  std::strerror(!written ? writeError : !flushed ? flushError : errno);
        return false;
    }

    // Keep the catalog's permissions: a private catalog must not become readable by all.
    const std::filesystem::file_status original = std::filesystem::status(target, error);
    if (!error && std::filesystem::exists(original))
        std::filesystem::permissions(temporary.Path(), original.permissions(), error);

    if (!RenameOver(temporary.Path(), target, problem)) return false;
    temporary.Renamed();
    return true;
}

std::optional<std::filesystem::path> PathFromEnvironment(const char* name)
{
#ifdef _WIN32
    std::wstring wideName;
    for (const char* c = name; *c; ++c) wideName += static_cast<wchar_t>(*c);
    const wchar_t* value = _wgetenv(wideName.c_str());
#else
    const char* value = std::getenv(name);
#endif
    if (!value || !*value) return std::nullopt;
    return std::filesystem::path(value);
}

std::filesystem::path AbsolutePath(const std::filesystem::path& path)
{
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? path : absolute;
}

WideString PathToWide(const std::filesystem::path& path)
{
#ifdef _WIN32
    return path.wstring();
#else
    // Lossless, so that a file name that is not UTF-8 still matches itself.
    return FromNativeBytes(path.native());
#endif
}

std::string PathToUtf8(const std::filesystem::path& path)
{
#ifdef _WIN32
    return ToUtf8(path.wstring());
#else
    return path.string();
#endif
}
