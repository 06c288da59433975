#include "catalogue/CatalogueData.h"

#include "util/Prefetch.h"

#include <algorithm>

namespace wpe {

namespace {

void Forget(TWPData& entry, const TCatData* list)
{
    auto it = std::find(entry.lists.begin(), entry.lists.end(), list);
    if (it != entry.lists.end())
        entry.lists.erase(it);
}

} // namespace

TListLinks& TListLinks::operator=(const TListLinks& other)
{
    if (this == &other)
        return *this;
    if (other.size_ > capacity()) {
        more_ = std::make_unique<const TCatData*[]>(other.size_);
        capacity_ = other.size_;
    }
    std::copy(other.begin(), other.end(), data());
    size_ = other.size_;
    return *this;
}

TListLinks& TListLinks::operator=(TListLinks&& other) noexcept
{
    if (this == &other)
        return *this;
    std::copy(std::begin(other.inline_), std::end(other.inline_), inline_);
    more_ = std::move(other.more_);
    size_ = other.size_;
    capacity_ = other.capacity_;
    other.size_ = other.capacity_ = 0;
    return *this;
}

void TListLinks::push_back(const TCatData* list)
{
    if (size_ == capacity()) {
        const size_t grown = 2 * capacity();
        auto bigger = std::make_unique<const TCatData*[]>(grown);
        std::copy(begin(), end(), bigger.get());
        more_ = std::move(bigger);
        capacity_ = static_cast<std::uint32_t>(grown);
    }
    data()[size_++] = list;
}

void TListLinks::erase(const_iterator it)
{
    const TCatData** at = data() + (it - data());
    std::copy(at + 1, data() + size_, at);
    --size_;
}

void TWPData::Push(std::string newPath, std::string oldPath)
{
    operations.push_back(TOperation{std::move(newPath), std::move(oldPath)});
    modified = true;
}

TCatData::~TCatData() { Clear(); }

bool TCatData::Contains(const TWPData* entry) const
{
    return entry && std::find(entry->lists.begin(), entry->lists.end(), this) != entry->lists.end();
}

bool TCatData::Add(const TWPDataPtr& entry)
{
    if (!entry || Contains(entry.get()))
        return false;
    entries_.push_back(entry);
    entry->lists.push_back(this);
    return true;
}

bool TCatData::Remove(const TWPData* entry)
{
    if (!Contains(entry))
        return false;
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [entry](const TWPDataPtr& e) { return e.get() == entry; });
    if (it != entries_.end()) {
        Forget(**it, this);
        entries_.erase(it);
    }
    return true;
}

// One pass that forgets and lets go of each entry, asking for entries some
// steps ahead: a large category's entries lie all over the heap.
void TCatData::Clear()
{
    constexpr size_t kAhead = 16;
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (i + kAhead < entries_.size()) {
            const TWPData* ahead = entries_[i + kAhead].get();
            PrefetchSharedCount(ahead);
            WPE_PREFETCH_FOR_WRITE(&ahead->lists);
        }
        Forget(*entries_[i], this);
        entries_[i].reset();
    }
    entries_.clear();
}

} // namespace wpe
