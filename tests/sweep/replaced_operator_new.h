// Every form of the global operator new and delete, in terms of two
// functions that the including program defines:
//   void* ReplacedAllocate(std::size_t size, std::size_t alignment) noexcept;  // null: no memory
//   void ReplacedFree(void* block, std::size_t alignment) noexcept;
// alignment is 0 for the forms without one. Include it in exactly one file of
// a program; the allocation sweep and the benchmark's meter each do.
#pragma once

#include <cstddef>
#include <new>

void* ReplacedAllocate(std::size_t size, std::size_t alignment) noexcept;
void ReplacedFree(void* block, std::size_t alignment) noexcept;

namespace replaced_operator_new {

inline void* OrThrow(std::size_t size, std::size_t alignment)
{
    void* block = ReplacedAllocate(size, alignment);
    if (!block) throw std::bad_alloc();
    return block;
}

inline std::size_t Of(std::align_val_t alignment) { return static_cast<std::size_t>(alignment); }

}  // namespace replaced_operator_new

void* operator new(std::size_t size) { return replaced_operator_new::OrThrow(size, 0); }
void* operator new[](std::size_t size) { return replaced_operator_new::OrThrow(size, 0); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return ReplacedAllocate(size, 0); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return ReplacedAllocate(size, 0); }
void* operator new(std::size_t size, std::align_val_t alignment)
{
    return replaced_operator_new::OrThrow(size, replaced_operator_new::Of(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment)
{
    return replaced_operator_new::OrThrow(size, replaced_operator_new::Of(alignment));
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return ReplacedAllocate(size, replaced_operator_new::Of(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return ReplacedAllocate(size, replaced_operator_new::Of(alignment));
}

void operator delete(void* block) noexcept { ReplacedFree(block, 0); }
void operator delete[](void* block) noexcept { ReplacedFree(block, 0); }
void operator delete(void* block, std::size_t) noexcept { ReplacedFree(block, 0); }
void operator delete[](void* block, std::size_t) noexcept { ReplacedFree(block, 0); }
void operator delete(void* block, const std::nothrow_t&) noexcept { ReplacedFree(block, 0); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { ReplacedFree(block, 0); }
void operator delete(void* block, std::align_val_t alignment) noexcept
{
    ReplacedFree(block, replaced_operator_new::Of(alignment));
}
void operator delete[](void* block, std::align_val_t alignment) noexcept
{
    ReplacedFree(block, replaced_operator_new::Of(alignment));
}
void operator delete(void* block, std::size_t, std::align_val_t alignment) noexcept
{
    ReplacedFree(block, replaced_operator_new::Of(alignment));
}
void operator delete[](void* block, std::size_t, std::align_val_t alignment) noexcept
{
    ReplacedFree(block, replaced_operator_new::Of(alignment));
}
void operator delete(void* block, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    ReplacedFree(block, replaced_operator_new::Of(alignment));
}
void operator delete[](void* block, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    ReplacedFree(block, replaced_operator_new::Of(alignment));
}
