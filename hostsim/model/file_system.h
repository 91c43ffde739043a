// The few file and environment operations the stand-in needs. Paths are
// std::filesystem paths so Windows paths stay wide and POSIX paths stay bytes;
// everything that differs between the two lives in file_system.cpp.
#pragma once

#include "platform/com.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>

// Reads the whole file into `contents`. A missing file gives
// HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND); any other failure gives its own
// HRESULT, and `problem` says what went wrong.
HRESULT ReadWholeFile(const std::filesystem::path& path, std::string& contents, std::string& problem);

// Replaces the file's contents with what `write` puts into the stream, so
// that a reader sees either the old or the new file, never a half-written one:
// a temporary file in the same folder is written through stdio's buffer, so
// that a catalog of any size goes out in large writes without ever being held
// whole in memory, flushed to disk, then renamed over the original. The first
// write that fails puts the stream in its bad state, which drops every later
// one (whoever feeds it cannot always stop halfway), and the save is refused
// when `write` returns. On failure the original is untouched, no temporary
// file is left, and `problem` says what went wrong. Whatever `write` throws
// goes on to the caller, with the temporary file removed and the original
// untouched as well.
bool ReplaceFileAtomically(const std::filesystem::path& path, const std::function<void(std::ostream&)>& write,
                           std::string& problem);

// Opens a file with a C stdio mode such as "ab".
std::FILE* OpenFile(const std::filesystem::path& path, const char* mode);

// The path named by an environment variable; nothing when it is unset or empty.
std::optional<std::filesystem::path> PathFromEnvironment(const char* name);

// The path made absolute against the current folder and otherwise unchanged.
std::filesystem::path AbsolutePath(const std::filesystem::path& path);

WideString PathToWide(const std::filesystem::path& path);
std::string PathToUtf8(const std::filesystem::path& path);
