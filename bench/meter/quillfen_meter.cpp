// quillfen with a meter that tells Quillfen's own costs from the in-process
// stand-in's, which share one process, one heap and one CPU:
//   - every operator new and new[] (BSTRs of the POSIX COM layer included)
//     is booked to whoever allocated it, the stand-in while its code runs
//     (CHostCodeScope) and Quillfen otherwise, and each side's live bytes
//     and peak are kept; a block is given back to the side that allocated it;
//   - a CPU-time profiling timer samples which side is running.
// At process end, after the stand-in has saved, the file QF_METER_REPORT
// receives one line:
//   <quillfen peak bytes> <host peak bytes> <quillfen samples> <host samples> <CPU seconds>
#include "model/host_code_scope.h"
#include "tests/sweep/replaced_operator_new.h"

#include <atomic>
#include <csignal>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/resource.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

struct Side {
    std::atomic<long long> live{0};
    std::atomic<long long> peak{0};
    std::atomic<unsigned long long> samples{0};
};

Side g_quillfen;
Side g_host;

Side& Current() noexcept { return CHostCodeScope::Active() ? g_host : g_quillfen; }

// Every block starts with this header, so that its size and owner are known
// when it is freed; an over-aligned block gets a whole alignment in front.
struct Header {
    std::size_t size;
    Side* side;
};
constexpr std::size_t kHeader = 16;
static_assert(sizeof(Header) <= kHeader, "the header fits in front of a block");

void Book(Side& side, long long bytes) noexcept
{
    const long long live = side.live.fetch_add(bytes) + bytes;
    long long peak = side.peak.load();
    while (live > peak && !side.peak.compare_exchange_weak(peak, live)) {
    }
}

void* Allocate(std::size_t size, std::size_t alignment) noexcept
{
    const std::size_t front = alignment > kHeader ? alignment : kHeader;
    void* block = nullptr;
    if (alignment > kHeader) {
        if (posix_memalign(&block, alignment, front + size) != 0) return nullptr;
    } else {
        block = std::malloc(front + size);
        if (!block) return nullptr;
    }
    char* user = static_cast<char*>(block) + front;
    Header* header = reinterpret_cast<Header*>(user - kHeader);
    header->size = size;
    header->side = &Current();
    Book(*header->side, static_cast<long long>(size));
    return user;
}

void Free(void* user, std::size_t alignment) noexcept
{
    if (!user) return;
    const std::size_t front = alignment > kHeader ? alignment : kHeader;
    const Header* header = reinterpret_cast<const Header*>(static_cast<char*>(user) - kHeader);
    Book(*header->side, -static_cast<long long>(header->size));
    std::free(static_cast<char*>(user) - front);
}

extern "C" void Sample(int) { ++Current().samples; }

__attribute__((constructor)) void StartSampling()
{
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = Sample;
    // Quillfen's writes must not see EINTR because of the meter.
    action.sa_flags = SA_RESTART;
    sigaction(SIGPROF, &action, nullptr);
    const itimerval every{{0, 1000}, {0, 1000}};
    setitimer(ITIMER_PROF, &every, nullptr);
}

// After every static destructor, so that the stand-in's save at process end
// is in the figures. Needs no memory.
__attribute__((destructor)) void WriteReport()
{
    const itimerval off{};
    setitimer(ITIMER_PROF, &off, nullptr);
    const char* path = std::getenv("QF_METER_REPORT");
    if (!path || !*path) return;
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    const double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    char line[160];
    const int length = std::snprintf(line, sizeof line, "%lld %lld %llu %llu %.3f\n", g_quillfen.peak.load(),
                                     g_host.peak.load(), g_quillfen.samples.load(), g_host.samples.load(), cpu);
    const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return;
    if (length > 0) (void)!write(fd, line, static_cast<std::size_t>(length));
    close(fd);
}

}  // namespace

void* ReplacedAllocate(std::size_t size, std::size_t alignment) noexcept { return Allocate(size, alignment); }
void ReplacedFree(void* block, std::size_t alignment) noexcept { Free(block, alignment); }
