// What the fuzz targets share: a private scratch folder, the capture of what
// Quillfen and the host write on descriptors 1 and 2, and the one way a
// broken property ends the process, so that libFuzzer keeps the input.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// Writes "broken: <what>" on the standard error the process started with
// (not the one a run may have redirected) and aborts.
[[noreturn]] void FuzzFailure(const std::string& what);

inline void Require(bool holds, const char* what)
{
    if (!holds) FuzzFailure(what);
}

// For messages that need building: `describe` runs only when the property fails.
template <class Describe>
void RequireThat(bool holds, Describe&& describe)
{
    if (!holds) FuzzFailure(describe());
}

// A folder of this process's own, on a memory file system where there is one;
// removed when the process ends normally.
const std::filesystem::path& ScratchFolder();

void WriteWholeFile(const std::filesystem::path& file, std::string_view bytes);
std::string ReadWholeFile(const std::filesystem::path& file);

// The lines of a text that ends each line with "\n"; a last line without one
// still counts.
std::vector<std::string> SplitLines(const std::string& text);

// Points descriptors 1 and 2 at two files of the scratch folder between
// Begin and End, and gives what was written there meanwhile. Descriptors
// rather than streams, because that is where the console writer and the
// host write.
class CConsoleCapture {
public:
    CConsoleCapture();
    ~CConsoleCapture();
    CConsoleCapture(const CConsoleCapture&) = delete;
    CConsoleCapture& operator=(const CConsoleCapture&) = delete;

    void Begin();
    void End();
    std::string Out() const;
    std::string Err() const;

private:
    int m_files[2] = {-1, -1};
    int m_saved[2] = {-1, -1};
};
