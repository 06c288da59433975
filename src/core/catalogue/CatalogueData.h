#pragma once
// The catalogue's records: one entry per stored web part file, the queued
// category changes of an entry, and the list of entries of one category.

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace wpe {

class TCatData;

// One category change not yet written to a file. An empty newPath removes
// oldPath; an empty oldPath adds newPath.
struct TOperation {
    std::string newPath;
    std::string oldPath;

    bool operator==(const TOperation&) const = default;
};

// The catalogue entry of one web part file; the file name is its identity.
struct TWPData {
    std::string fileName;
    std::string title;
    std::string description;
    std::string language;
    std::string lastModified;
    std::string popularity;
    std::string zone;
    std::deque<TOperation> operations;  // first in, first out
    bool modified = false;
    // The category lists that hold this entry; kept by TCatData, read only.
    std::vector<const TCatData*> lists;

    // Queues one change and marks the entry modified.
    void Push(std::string newPath, std::string oldPath);
};

using TWPDataPtr = std::shared_ptr<TWPData>;

// The entries that sit directly in one category, in the order they were
// added, and whether the category's node is expanded in the browse view.
// Each entry records the lists that hold it, so a membership test costs a
// look at the few lists of one entry, however large the category.
class TCatData {
public:
    TCatData() = default;
    TCatData(const TCatData&) = delete;
    TCatData& operator=(const TCatData&) = delete;
    ~TCatData();

    bool expanded = false;

    const std::vector<TWPDataPtr>& Entries() const { return entries_; }
    size_t Count() const { return entries_.size(); }
    bool Contains(const TWPData* entry) const;
    // Appends the entry unless it is already listed; true when it was added.
    bool Add(const TWPDataPtr& entry);
    // Takes the entry out; true when it was listed.
    bool Remove(const TWPData* entry);
    void Clear();

private:
    std::vector<TWPDataPtr> entries_;
};

using TCatDataPtr = std::shared_ptr<TCatData>;

} // namespace wpe
