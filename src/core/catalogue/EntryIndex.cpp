#include "catalogue/EntryIndex.h"

#include <functional>
#include <stdexcept>
#include <utility>

namespace wpe {

// The tag picks the slot too, so growing needs no names.
std::uint32_t TEntryIndex::Hash(std::string_view name)
{
    std::uint64_t h = std::hash<std::string_view>()(name);
    h ^= h >> 32;
    h *= 0x9E3779B97F4A7C15ull;
    return static_cast<std::uint32_t>(h >> 32);
}

void TEntryIndex::Clear()
{
    std::vector<Slot>().swap(slots_);
    count_ = 0;
}

void TEntryIndex::Reserve(size_t n)
{
    size_t slots = 16;
    while (slots < 2 * n)
        slots *= 2;
    if (slots > slots_.size())
        Grow(slots);
}

size_t TEntryIndex::Find(std::string_view name, const std::vector<TWPDataPtr>& entries) const
{
    if (count_ == 0)
        return npos;
    const std::uint32_t tag = Hash(name);
    const size_t mask = slots_.size() - 1;
    for (size_t i = tag & mask;; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.position == kEmpty)
            return npos;
        if (slot.tag == tag) {
            const TWPDataPtr& entry = entries[slot.position];
            if (entry && entry->fileName == name)
                return slot.position;
        }
    }
}

void TEntryIndex::Insert(std::string_view name, size_t position)
{
    if (position >= kEmpty)
        throw std::length_error("too many catalogue entries");
    if ((count_ + 1) * 2 > slots_.size())
        Grow(slots_.empty() ? 16 : slots_.size() * 2);
    const std::uint32_t tag = Hash(name);
    const size_t mask = slots_.size() - 1;
    size_t i = tag & mask;
    while (slots_[i].position != kEmpty)
        i = (i + 1) & mask;
    slots_[i] = {tag, static_cast<std::uint32_t>(position)};
    ++count_;
}

void TEntryIndex::Renumber(const std::vector<std::uint32_t>& newPosition)
{
    for (Slot& slot : slots_)
        if (slot.position != kEmpty)
            slot.position = newPosition[slot.position];
}

void TEntryIndex::Swap(TEntryIndex& other) noexcept
{
    slots_.swap(other.slots_);
    std::swap(count_, other.count_);
}

void TEntryIndex::Grow(size_t slots)
{
    std::vector<Slot> old(slots, Slot{0, kEmpty});
    old.swap(slots_);
    const size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
        if (slot.position == kEmpty)
            continue;
        size_t i = slot.tag & mask;
        while (slots_[i].position != kEmpty)
            i = (i + 1) & mask;
        slots_[i] = slot;
    }
}

} // namespace wpe
