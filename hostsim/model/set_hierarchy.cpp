#include "model/set_hierarchy.h"

namespace {

enum class Mark { Unknown, OnCurrentPath, Done };

}  // namespace

std::vector<LONG> DefaultSetLevels(const std::vector<std::optional<std::size_t>>& parents)
{
    const std::size_t count = parents.size();
    std::vector<LONG> levels(count, 0);
    std::vector<Mark> marks(count, Mark::Unknown);
    std::vector<std::size_t> path;

    for (std::size_t start = 0; start < count; ++start) {
        if (marks[start] == Mark::Done) continue;
        // Climb until a top-level set, a set already known, or a set met
        // again on this very climb (a cycle).
        path.clear();
        std::size_t current = start;
        LONG above = 0;  // level of the set just above the path; 0 means none or endless
        bool endless = false;
        for (;;) {
            if (marks[current] == Mark::Done) {
                above = levels[current];
                endless = above == 0;
                break;
            }
            if (marks[current] == Mark::OnCurrentPath) {
                endless = true;
                break;
            }
            marks[current] = Mark::OnCurrentPath;
            path.push_back(current);
            if (!parents[current]) break;
            current = *parents[current];
        }
        // Walk back down the path, top first.
        for (auto it = path.rbegin(); it != path.rend(); ++it) {
            above = endless ? 0 : above + 1;
            levels[*it] = above;
            marks[*it] = Mark::Done;
        }
    }
    return levels;
}
