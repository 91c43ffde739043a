// The catalog as the host's objects serve it: read from the file with every
// default applied and every link resolved, so serving a call never has to
// look at JSON again.
#pragma once

#include "platform/com.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A host text that may be null in the file; null is served as a null BSTR.
using OptionalText = std::optional<WideString>;

struct CApplicationRecord {
    OptionalText m_name;
    OptionalText m_version;
    OptionalText m_path;
    bool m_runnable = false;  // answers IRunnableObject, and each Run is traced
};

struct CCatalogRecord {
    LONG m_index = 1;
    OptionalText m_name;
    OptionalText m_path;
};

struct CMediaItemRecord {
    std::string m_label;  // the item's id as the trace writes it
    OptionalText m_keywords;
};

struct CMediaSetRecord {
    std::string m_id;  // UTF-8, unique among sets
    LONG m_index = 0;
    OptionalText m_name;
    std::optional<std::size_t> m_parent;  // position in CCatalogContent::m_sets
    LONG m_level = 1;
    VARIANT_BOOL m_skipped = VARIANT_FALSE;
    bool m_hasItemList = true;          // false: the file says null, MediaItems gives null
    std::vector<std::size_t> m_items;   // positions in CCatalogContent::m_items, repeats kept
    bool m_hidden = false;
};

// One scripted fault: the Nth call of an operation fails, gives null, or
// ends the host's process. Faults scripted in code can also name the one
// object whose calls count (its trace label) and fire on every call (nth 0).
struct CFaultRule {
    std::string m_operation;
    std::uint64_t m_nth = 1;
    bool m_returnsNull = false;
    bool m_endsHost = false;
    HRESULT m_hresult = S_OK;
    std::string m_label;  // empty: calls on any object count
};

struct CCatalogContent {
    CApplicationRecord m_application;
    CCatalogRecord m_catalog;
    std::vector<CMediaSetRecord> m_sets;
    std::vector<std::size_t> m_listedSets;  // the sets that are not hidden, in list order
    std::vector<CMediaItemRecord> m_items;
    std::vector<CFaultRule> m_faults;
};

// What the host reports when no catalog (or no application block) says otherwise.
CApplicationRecord DefaultApplicationRecord();
