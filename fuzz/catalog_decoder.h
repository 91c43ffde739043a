// Turns a fuzzer's bytes into one run of Quillfen: a catalog file in the
// host's JSON format, the command line, and whether the host has the catalog
// active. The catalogs reach what users' catalogs hold and what the host can
// be scripted to do: sets whose parents form cycles or climb through hidden
// sets, shared and negative indexes, names and keyword lists with NULs and
// surrogates, null item collections, items listed twice, and faults (a
// failing HRESULT or a null result) at any call.
#pragma once

#include "platform/com.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct CDecodedFault {
    std::string m_call;  // an operation as the host's trace writes it
    std::uint64_t m_nth = 1;
    bool m_null = false;
    HRESULT m_hresult = S_OK;
};

struct CDecodedRun {
    std::string m_catalog;       // the file, with its faults
    std::string m_cleanCatalog;  // the same file without them
    std::vector<CDecodedFault> m_faults;
    // False when the decoder broke a rule of the format on purpose (an
    // unpaired surrogate, an unknown id, a fault the host cannot have).
    bool m_followsFormat = true;
    bool m_cleanFollowsFormat = true;  // the same for the file without faults
    bool m_catalogActive = true;  // false: the host runs with no catalog active
    int m_argumentCount = 2;      // the program name counts
    std::string m_requestedPath;  // Quillfen's argument, UTF-8
};

// `catalogPath` is where the file will be, for the paths a catalog may name.
CDecodedRun DecodeRun(const std::uint8_t* data, std::size_t size, const std::string& catalogPath);
