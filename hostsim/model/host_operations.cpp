#include "model/host_operations.h"

const CHostOperationInfo* FindHostOperation(std::string_view name)
{
    for (const CHostOperationInfo& operation : kHostOperations)
        if (name == operation.m_name) return &operation;
    return nullptr;
}
