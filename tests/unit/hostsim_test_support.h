// Helpers for the host stand-in's tests: a private folder for catalog files
// and a host built on one of them.
#pragma once

#include "model/file_system.h"
#include "model/host_class_factory.h"
#include "model/host_objects.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

// A fresh folder under the system's temporary folder, removed with everything in it.
class CTestFolder {
public:
    CTestFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "hostsim-test-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a test folder");
        m_path = pattern;
    }
    ~CTestFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    CTestFolder(const CTestFolder&) = delete;
    CTestFolder& operator=(const CTestFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

    std::filesystem::path Write(const std::string& name, const std::string& text) const
    {
        const std::filesystem::path file = m_path / name;
        std::ofstream(file, std::ios::binary) << text;
        return file;
    }

    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_path)) names.push_back(entry.path().filename());
        return names;
    }

private:
    std::filesystem::path m_path;
};

inline std::string ReadFileText(const std::filesystem::path& file)
{
    std::ifstream stream(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

inline std::vector<std::string> ReadLines(const std::filesystem::path& file)
{
    std::vector<std::string> lines;
    std::istringstream stream(ReadFileText(file));
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

// Takes over one reference that a host getter handed out.
template <class I>
class CHeld {
public:
    CHeld() = default;
    CHeld(const CHeld&) = delete;
    CHeld& operator=(const CHeld&) = delete;
    ~CHeld() { Reset(); }
    I** Put()
    {
        Reset();
        return &m_object;
    }
    I* operator->() const { return m_object; }
    I* Get() const { return m_object; }
    void Reset()
    {
        if (m_object) m_object->Release();
        m_object = nullptr;
    }

private:
    I* m_object = nullptr;
};

// A BSTR that the test owns.
class CTestBstr {
public:
    CTestBstr() = default;
    explicit CTestBstr(const WideString& text) : m_text(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    CTestBstr(const CTestBstr&) = delete;
    CTestBstr& operator=(const CTestBstr&) = delete;
    ~CTestBstr() { SysFreeString(m_text); }
    BSTR* Put()
    {
        SysFreeString(m_text);
        m_text = nullptr;
        return &m_text;
    }
    BSTR Get() const { return m_text; }
    bool IsNull() const { return m_text == nullptr; }
    WideString Whole() const { return WideString(m_text ? m_text : OLESTR(""), SysStringLen(m_text)); }

private:
    BSTR m_text = nullptr;
};

// A host over a catalog file in its own folder, with its trace beside it.
class CHostOverCatalog {
public:
    explicit CHostOverCatalog(const std::string& catalogText, const std::string& fileName = "catalog.json")
        : m_catalog(m_folder.Write(fileName, catalogText)), m_trace(m_folder.Path() / "trace.txt"),
          m_state(std::make_shared<CHostState>(m_trace)),
          m_factory(new CHostClassFactory(m_state, [this](CHostState& state) { return state.ActivateCatalog(m_catalog); }))
    {
    }
    ~CHostOverCatalog() { m_factory->Release(); }
    CHostOverCatalog(const CHostOverCatalog&) = delete;
    CHostOverCatalog& operator=(const CHostOverCatalog&) = delete;

    HRESULT Create(IHostApplication** application)
    {
        return m_factory->CreateInstance(nullptr, IID_IHostApplication, reinterpret_cast<void**>(application));
    }

    const CTestFolder& Folder() const { return m_folder; }
    const std::filesystem::path& CatalogFile() const { return m_catalog; }
    std::vector<std::string> Trace() const { return ReadLines(m_trace); }
    CHostState& State() { return *m_state; }
    IClassFactory* Factory() { return m_factory; }

private:
    CTestFolder m_folder;
    std::filesystem::path m_catalog;
    std::filesystem::path m_trace;
    std::shared_ptr<CHostState> m_state;
    CHostClassFactory* m_factory;
};
