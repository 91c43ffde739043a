// What the fake host knows: the application, its active catalog, the flat
// list of media sets and the media items with their keyword lists. Tests fill
// and change it directly; the fake objects read it at the moment of each call.
#pragma once

#include "platform/com.h"

#include <optional>
#include <string>
#include <vector>

// A host text: nullopt is a null BSTR; otherwise every code unit, embedded
// NULs included, crosses as it is.
using FakeText = std::optional<WideString>;

struct CFakeApplicationData {
    FakeText name = WideString(OLESTR("Lumora"));
    FakeText version = WideString(OLESTR("3.1"));
    FakeText path = WideString(OLESTR("C:\\Apps\\Lumora"));
    bool runnable = true;      // answers IRunnableObject, so OleRun reaches it
    bool hasCatalog = true;    // false: ActiveCatalog gives null
};

struct CFakeCatalogData {
    LONG index = 1;
    FakeText name = WideString(OLESTR("Photos"));
    FakeText path = WideString(OLESTR("D:\\Archive\\Photos"));
};

struct CFakeSetData {
    std::string id;            // labels the set ("set:<id>") and names it as a parent
    LONG index = 0;
    FakeText name = WideString();
    LONG level = 1;
    VARIANT_BOOL skipped = VARIANT_FALSE;
    std::string parent;        // id of the parent set; empty: top level
    bool nullItems = false;    // MediaItems gives null
    std::vector<std::string> items;  // item ids in collection order, repeats allowed
};

struct CFakeItemData {
    std::string id;
    FakeText keywords = WideString();
    std::vector<FakeText> puts;  // every list written to the item, in order
};
