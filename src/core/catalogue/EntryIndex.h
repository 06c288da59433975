#pragma once
// Entries by exact file name, as positions in a vector of entries.
//
// Open addressing over slots that hold a position and a part of the name's
// hash, so a probe compares numbers and visits an entry (entries lie all
// over the heap) only when the hash matches. A load adds one name per
// stored file: a node-based map cost an allocation and a cache miss or two
// per entry, and freeing its nodes was a good part of dropping a large
// catalogue.

#include "catalogue/CatalogueData.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace wpe {

class TEntryIndex {
public:
    static constexpr size_t npos = static_cast<size_t>(-1);

    size_t Size() const { return count_; }
    // Forgets every name and gives the memory back.
    void Clear();
    // Room for n names without growing.
    void Reserve(size_t n);
    // The position in entries of the entry whose file name is name; npos
    // when there is none. Positions whose link is null count as absent.
    size_t Find(std::string_view name, const std::vector<TWPDataPtr>& entries) const;
    // Notes that the entry at position is named name (not noted before).
    void Insert(std::string_view name, size_t position);
    // The entries were reordered: the one at old position p is now at newPosition[p].
    void Renumber(const std::vector<std::uint32_t>& newPosition);
    void Swap(TEntryIndex& other) noexcept;

private:
    struct Slot {
        std::uint32_t tag;       // the name's hash
        std::uint32_t position;  // kEmpty: no name
    };
    static constexpr std::uint32_t kEmpty = UINT32_MAX;
    static std::uint32_t Hash(std::string_view name);
    void Grow(size_t slots);

    std::vector<Slot> slots_;
    size_t count_ = 0;
};

} // namespace wpe
