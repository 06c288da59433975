#pragma once
// The File menu's reopen list: at most ten paths, newest first.

#include <string>
#include <vector>

namespace wpe {

class TReopenList {
public:
    static constexpr std::size_t kMaxEntries = 10;

    // Puts path first; a path already present (compared without case) moves
    // to the front instead of appearing twice; the oldest falls off past ten.
    void Add(const std::string& path);
    // Takes a stored list as it was saved, dropping empty and repeated paths
    // and everything past ten.
    void Assign(const std::vector<std::string>& paths);
    // Removes path (compared without case); false when it was not listed.
    bool Remove(const std::string& path);
    const std::vector<std::string>& Items() const { return items_; }
    bool Empty() const { return items_.empty(); }

private:
    std::vector<std::string> items_;
};

} // namespace wpe
