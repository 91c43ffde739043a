// Default levels of media sets from their parent links.
#pragma once

#include "platform/com.h"

#include <cstddef>
#include <optional>
#include <vector>

// For each set: 1 plus its number of ancestors, or 0 when its chain of parents
// never reaches a top-level set (it lies on a cycle or leads into one).
// `parents[i]` is the position of set i's parent. Linear in the number of sets.
std::vector<LONG> DefaultSetLevels(const std::vector<std::optional<std::size_t>>& parents);
