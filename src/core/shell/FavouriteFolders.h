#pragma once
// The favourite folders: newest first, at most 100, a folder listed once
// (compared without case). The entry "None" stands for an empty list and
// does nothing when chosen.

#include <string>
#include <vector>

namespace wpe {

inline constexpr const char* kNoFavourites = "None";

class TFavouriteFolders {
public:
    static constexpr std::size_t kMaxEntries = 100;

    // Puts folder first; one already listed moves to the front; the oldest
    // falls off past 100. "None" goes away once a real folder is listed.
    // An empty folder is ignored.
    void Add(const std::string& folder);
    // "Add Current Folder to Favorites": one trailing delimiter is dropped;
    // an empty list gets the folder, a list starting with "None" has it
    // replaced, any other list gets the folder in front.
    void AddCurrentFolder(const std::string& folder);
    // Removes folder (compared without case); false when it was not listed.
    bool Remove(const std::string& folder);
    // Stores an edited entry: oldFolder leaves the list and newFolder comes
    // first. An empty new text keeps the old entry.
    void Rename(const std::string& oldFolder, const std::string& newFolder);
    // Adds "None" when the list is empty (on closing the dialog).
    void EnsureNotEmpty();
    // Takes a stored list, dropping empty and repeated entries and all past 100.
    void Assign(const std::vector<std::string>& folders);

    const std::vector<std::string>& Items() const { return items_; }
    // The folders without "None": the rows of the dialog.
    std::vector<std::string> Folders() const;
    bool Empty() const { return items_.empty(); }
    static bool IsNone(const std::string& entry) { return entry == kNoFavourites; }

private:
    std::vector<std::string> items_;
};

} // namespace wpe
