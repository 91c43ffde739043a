// Replaces the global operator new and delete of the allocation-failure
// sweep's program with ones that count every allocation and fail the chosen
// ones. Set before the run, in the environment:
//   QF_FAIL_ALLOCATION  the number n of the first allocation to fail (from 1)
//   QF_FAIL_MODE        "once": only the nth fails; "from": every one from the nth
//   QF_FAIL_IN_HOST     "1": the stand-in's allocations count and fail too;
//                       otherwise they are left alone and not counted
//   QF_ALLOCATION_REPORT a file that gets "<counted> <failed>" at process end
//   QF_FAIL_BACKTRACE   "1": each failing allocation writes its call stack to
//                       standard error, to find where a sweep finding comes from
#include "tests/sweep/failing_allocator.h"

#include "model/host_code_scope.h"
#include "tests/sweep/replaced_operator_new.h"

#include <atomic>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <execinfo.h>
#include <fcntl.h>
#include <new>
#include <unistd.h>

namespace {

std::atomic<bool> g_armed{false};
std::atomic<unsigned long long> g_counted{0};
std::atomic<unsigned long long> g_failed{0};
unsigned long long g_failAt = 0;
bool g_failFromThenOn = false;
bool g_countHost = false;
const char* g_report = nullptr;
bool g_backtrace = false;

bool ShouldFail() noexcept
{
    if (!g_armed.load(std::memory_order_relaxed)) return false;
    if (!g_countHost && CHostCodeScope::Active()) return false;
    const unsigned long long n = ++g_counted;
    const bool fail = g_failAt != 0 && (g_failFromThenOn ? n >= g_failAt : n == g_failAt);
    if (fail) {
        ++g_failed;
        if (g_backtrace) {
            void* frames[32];
            backtrace_symbols_fd(frames, backtrace(frames, 32), STDERR_FILENO);
        }
    }
    return fail;
}

void* Allocate(std::size_t size, std::size_t alignment) noexcept
{
    if (ShouldFail()) return nullptr;
    if (size == 0) size = 1;
    if (alignment <= alignof(std::max_align_t)) return std::malloc(size);
    void* block = nullptr;
    return posix_memalign(&block, alignment, size) == 0 ? block : nullptr;
}

// After every static destructor, so that the host's save at process end is
// counted too. Needs no memory.
__attribute__((destructor)) void WriteReport()
{
    if (!g_report) return;
    char line[64];
    const int length = std::snprintf(line, sizeof line, "%llu %llu\n", g_counted.load(), g_failed.load());
    const int fd = open(g_report, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return;
    if (length > 0) (void)!write(fd, line, static_cast<std::size_t>(length));
    close(fd);
}

}  // namespace

void ArmAllocationFailures() noexcept
{
    const char* at = std::getenv("QF_FAIL_ALLOCATION");
    const char* mode = std::getenv("QF_FAIL_MODE");
    const char* inHost = std::getenv("QF_FAIL_IN_HOST");
    g_failAt = at ? std::strtoull(at, nullptr, 10) : 0;
    g_failFromThenOn = mode && std::strcmp(mode, "from") == 0;
    g_countHost = inHost && std::strcmp(inHost, "1") == 0;
    g_report = std::getenv("QF_ALLOCATION_REPORT");
    const char* trace = std::getenv("QF_FAIL_BACKTRACE");
    g_backtrace = trace && std::strcmp(trace, "1") == 0;
    if (g_backtrace) {
        // backtrace loads its unwinder on first use; do it before counting starts.
        void* frame[1];
        (void)backtrace(frame, 1);
    }
    g_armed = true;
}

void* ReplacedAllocate(std::size_t size, std::size_t alignment) noexcept { return Allocate(size, alignment); }
void ReplacedFree(void* block, std::size_t) noexcept { std::free(block); }
