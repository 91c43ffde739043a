#include "model/file_system.h"

#include "platform/utf8.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <ostream>
#include <streambuf>
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

#ifdef _WIN32
// The ASCII of a stdio mode or a variable's name, for the wide calls that
// take a path or a value in UTF-16.
std::wstring Widened(const char* text)
{
    std::wstring wide;
    for (const char* c = text; *c; ++c) wide += static_cast<wchar_t>(static_cast<unsigned char>(*c));
    return wide;
}
#endif

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
    return _wfopen(path.c_str(), Widened(mode).c_str());
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

namespace {

// A standard stream's buffer that hands every byte to stdio at once, stdio's
// own buffer being the one that makes the writes large. It remembers the
// errno of the first write that fails; the stream then goes bad and writes
// nothing more.
class CStdioStreamBuffer : public std::streambuf {
public:
    explicit CStdioStreamBuffer(std::FILE* file) noexcept : m_file(file) {}

    int Error() const noexcept { return m_error; }

protected:
    int_type overflow(int_type c) override
    {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        errno = 0;
        if (std::fputc(traits_type::to_int_type(traits_type::to_char_type(c)), m_file) != EOF) return c;
        Failed();
        return traits_type::eof();
    }
    std::streamsize xsputn(const char* data, std::streamsize size) override
    {
        errno = 0;
        const std::size_t written = std::fwrite(data, 1, static_cast<std::size_t>(size), m_file);
        if (written != static_cast<std::size_t>(size)) Failed();
        return static_cast<std::streamsize>(written);
    }

private:
    void Failed() noexcept
    {
        if (m_error == 0) m_error = errno != 0 ? errno : EIO;
    }

    std::FILE* m_file;
    int m_error = 0;
};

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
        // Larger than stdio's default, so that a catalog goes out in few writes.
        if (m_file) std::setvbuf(m_file, m_buffer, _IOFBF, sizeof m_buffer);
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
    char m_buffer[65536];  // stdio's, until the file is closed
};

}  // namespace

bool ReplaceFileAtomically(const std::filesystem::path& path, const std::function<void(std::ostream&)>& write,
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
    CStdioStreamBuffer buffer(temporary.File());
    std::ostream stream(&buffer);
    write(stream);
    const int writeError = buffer.Error();
    const bool written = writeError == 0;
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
    const wchar_t* value = _wgetenv(Widened(name).c_str());
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
