#pragma once
// The catalogue's records: one entry per stored web part file, the queued
// category changes of an entry, and the list of entries of one category.

#include <algorithm>
#include <cstddef>
#include <cstdint>
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

// The queued changes of one entry, first in, first out. Read as a
// std::deque; it takes no memory while empty, which most entries stay (a
// catalogue holds one per stored part).
class TOperationQueue {
public:
    using Queue = std::deque<TOperation>;

    TOperationQueue() = default;
    TOperationQueue(const Queue& queue) { *this = queue; }
    TOperationQueue(const TOperationQueue& other) { *this = other.queue(); }
    TOperationQueue(TOperationQueue&&) noexcept = default;
    TOperationQueue& operator=(const TOperationQueue& other)
    {
        if (this != &other)
            *this = other.queue();
        return *this;
    }
    TOperationQueue& operator=(TOperationQueue&&) noexcept = default;
    TOperationQueue& operator=(const Queue& queue)
    {
        if (queue.empty())
            queue_.reset();
        else if (queue_)
            *queue_ = queue;
        else
            queue_ = std::make_unique<Queue>(queue);
        return *this;
    }

    const Queue& queue() const { return queue_ ? *queue_ : Empty(); }
    operator const Queue&() const { return queue(); }

    bool empty() const { return !queue_ || queue_->empty(); }
    size_t size() const { return queue_ ? queue_->size() : 0; }
    const TOperation& front() const { return queue_->front(); }
    const TOperation& back() const { return queue_->back(); }
    Queue::const_iterator begin() const { return queue().begin(); }
    Queue::const_iterator end() const { return queue().end(); }
    void push_back(TOperation op)
    {
        if (!queue_)
            queue_ = std::make_unique<Queue>();
        queue_->push_back(std::move(op));
    }
    void clear() { queue_.reset(); }

    friend bool operator==(const TOperationQueue& a, const TOperationQueue& b) { return a.queue() == b.queue(); }
    friend bool operator==(const TOperationQueue& a, const Queue& b) { return a.queue() == b; }

private:
    static const Queue& Empty()
    {
        static const Queue empty;
        return empty;
    }
    std::unique_ptr<Queue> queue_;
};

// The category lists that hold one entry, in the order they took it. Nearly
// every entry is in one or two, kept inside the entry: a catalogue holds an
// entry per stored part, and a block of its own for each cost the load and
// the freeing of a large catalogue noticeably.
class TListLinks {
public:
    using value_type = const TCatData*;
    using const_iterator = const TCatData* const*;
    using iterator = const_iterator;

    TListLinks() = default;
    TListLinks(const TListLinks& other) { *this = other; }
    TListLinks(TListLinks&& other) noexcept { *this = std::move(other); }
    TListLinks& operator=(const TListLinks& other);
    TListLinks& operator=(TListLinks&& other) noexcept;
    ~TListLinks() = default;

    const_iterator begin() const { return data(); }
    const_iterator end() const { return data() + size_; }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    void push_back(const TCatData* list);
    // Takes the link out, keeping the order of the others.
    void erase(const_iterator it);
    void clear() { size_ = 0; }

    friend bool operator==(const TListLinks& a, const TListLinks& b)
    {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }

private:
    static constexpr size_t kInline = 2;
    const TCatData** data() { return more_ ? more_.get() : inline_; }
    const TCatData* const* data() const { return more_ ? more_.get() : inline_; }
    size_t capacity() const { return more_ ? capacity_ : kInline; }

    const TCatData* inline_[kInline] = {};
    std::unique_ptr<const TCatData*[]> more_;  // once there are more than kInline
    std::uint32_t size_ = 0;
    std::uint32_t capacity_ = 0;  // of more_
};

// The catalogue entry of one web part file; the file name is its identity.
struct TWPData {
    // A catalogue finds its entries by this name; it never changes while the
    // entry is in one.
    std::string fileName;
    std::string title;
    std::string description;
    std::string language;
    std::string lastModified;
    std::string popularity;
    std::string zone;
    TOperationQueue operations;
    bool modified = false;
    // The category lists that hold this entry; kept by TCatData, read only.
    TListLinks lists;

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
