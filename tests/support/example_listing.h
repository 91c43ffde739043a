// The listing of the example hierarchy: set A (3) at the top, set B (5)
// below it, with the levels the host reports for them.
#pragma once

inline const char* const kExampleListing =
    "Media Set Root Entries: 1\n"
    "Media Set Index: 3\n"
    "Media Set Name: A\n"
    "Media Set Level: 1\n"
    "Media Set Parent: None\n"
    "Media Set Children: 1\n"
    "Media Set Index: 5\n"
    "Media Set Name: B\n"
    "Media Set Level: 2\n"
    "Media Set Parent: 3\n"
    "Media Set Children: 0\n";
