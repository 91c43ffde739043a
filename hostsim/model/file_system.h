// The few file and environment operations the stand-in needs. Paths are
// std::filesystem paths so Windows paths stay wide and POSIX paths stay bytes;
// everything that differs between the two lives in file_system.cpp.
#pragma once

#include "platform/com.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

// Reads the whole file into `contents`. A missing file gives
// HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND); any other failure gives its own
// HRESULT, and `problem` says what went wrong.
HRESULT ReadWholeFile(const std::filesystem::path& path, std::string& contents, std::string& problem);

// Where a save writes its bytes: a buffer in front of the temporary file, so
// that a catalog of any size goes out in large writes without ever being held
// whole in memory. The first write that fails is remembered and every later
// one dropped: the serializer feeding the sink cannot be stopped halfway, and
// the save is refused when it has finished.
class CFileSink {
public:
    explicit CFileSink(std::FILE* file) noexcept : m_file(file) {}
    CFileSink(const CFileSink&) = delete;
    CFileSink& operator=(const CFileSink&) = delete;

    void Put(char c) noexcept
    {
        if (m_used == sizeof m_buffer) Drain();
        m_buffer[m_used++] = c;
    }
    void Write(const char* data, std::size_t size) noexcept
    {
        if (size > sizeof m_buffer - m_used) return WriteBeyondBuffer(data, size);
        std::memcpy(m_buffer + m_used, data, size);
        m_used += size;
    }

    // Writes out what is buffered; false once any write has failed, with
    // Error() giving that write's errno.
    bool Finish() noexcept;
    int Error() const noexcept { return m_error; }

private:
    void WriteBeyondBuffer(const char* data, std::size_t size) noexcept;
    void Drain() noexcept;
    void WriteThrough(const char* data, std::size_t size) noexcept;

    std::FILE* m_file;
    bool m_failed = false;
    int m_error = 0;
    std::size_t m_used = 0;
    char m_buffer[65536];
};

// Replaces the file's contents with what `write` puts into the sink, so that
// a reader sees either the old or the new file, never a half-written one: a
// temporary file in the same folder is written and flushed to disk, then
// renamed over the original. On failure the original is untouched, no
// temporary file is left, and `problem` says what went wrong. Whatever
// `write` throws goes on to the caller, with the temporary file removed and
// the original untouched as well.
bool ReplaceFileAtomically(const std::filesystem::path& path, const std::function<void(CFileSink&)>& write,
                           std::string& problem);

// Opens a file with a C stdio mode such as "ab".
std::FILE* OpenFile(const std::filesystem::path& path, const char* mode);

// The path named by an environment variable; nothing when it is unset or empty.
std::optional<std::filesystem::path> PathFromEnvironment(const char* name);

// The path made absolute against the current folder and otherwise unchanged.
std::filesystem::path AbsolutePath(const std::filesystem::path& path);

WideString PathToWide(const std::filesystem::path& path);
std::string PathToUtf8(const std::filesystem::path& path);
