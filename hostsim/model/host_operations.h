// The names of the host's operations as the trace writes them and as faults
// name them, expanded from the one list in host_operations.def. Keeping them
// in one table lets a catalog's faults be checked when the file is read, so a
// misspelt name is an error instead of a fault that silently never fires.
#pragma once

#include <string_view>

namespace HostOperation {
#define QF_HOST_OPERATION(constant, name, result) inline constexpr const char* constant = name;
#include "model/host_operations.def"
#undef QF_HOST_OPERATION
}  // namespace HostOperation

// What an operation gives back.
enum class HostResult { String, Object, Scalar, Nothing };

struct CHostOperationInfo {
    const char* m_name;
    HostResult m_result;

    // A string or an object: a fault may make the call succeed with null.
    constexpr bool CanReturnNull() const noexcept
    {
        return m_result == HostResult::String || m_result == HostResult::Object;
    }
};

inline constexpr CHostOperationInfo kHostOperations[] = {
#define QF_HOST_OPERATION(constant, name, result) {name, HostResult::result},
#include "model/host_operations.def"
#undef QF_HOST_OPERATION
};

// The operation of that name, or null when the host has none.
const CHostOperationInfo* FindHostOperation(std::string_view name);
