// Marks the stand-in's own code on the calling thread. In process, host and
// client share one heap; the allocation-failure sweep asks this to tell the
// host's allocations from Quillfen's, so that it can fail either kind alone.
#pragma once

class CHostCodeScope {
public:
    CHostCodeScope() noexcept { ++t_depth; }
    ~CHostCodeScope() { --t_depth; }
    CHostCodeScope(const CHostCodeScope&) = delete;
    CHostCodeScope& operator=(const CHostCodeScope&) = delete;

    static bool Active() noexcept { return t_depth > 0; }

private:
    // A depth, because host code calls host code (Release from QueryInterface).
    static inline thread_local int t_depth = 0;
};
