// The few file and environment operations the stand-in needs. Paths are
// std::filesystem paths so Windows paths stay wide and POSIX paths stay bytes;
// everything that differs between the two lives in file_system.cpp.
#pragma once

#include "platform/com.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

// Reads the whole file into `contents`. A missing file gives
// HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND); any other failure gives its own
// HRESULT, and `problem` says what went wrong.
HRESULT ReadWholeFile(const std::filesystem::path& path, std::string& contents, std::string& problem);

// Replaces the file's contents so that a reader sees either the old or the new
// file, never a half-written one: a temporary file in the same folder is
// written and flushed to disk, then renamed over the original. On failure the
// original is untouched and `problem` says what went wrong.
bool ReplaceFileAtomically(const std::filesystem::path& path, const std::string& contents, std::string& problem);

// Opens a file with a C stdio mode such as "ab".
std::FILE* OpenFile(const std::filesystem::path& path, const char* mode);

// The path named by an environment variable; nothing when it is unset or empty.
std::optional<std::filesystem::path> PathFromEnvironment(const char* name);

// The path made absolute against the current folder and otherwise unchanged.
std::filesystem::path AbsolutePath(const std::filesystem::path& path);

WideString PathToWide(const std::filesystem::path& path);
std::string PathToUtf8(const std::filesystem::path& path);
