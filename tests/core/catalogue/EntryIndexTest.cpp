// The catalogue's bookkeeping of entries, compared with plain containers
// under random use: the index of entries by file name (with growth,
// reordering and reclaimed entries) and the list links an entry keeps.

#include "catalogue/EntryIndex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

namespace wpe {
namespace {

std::string RandomName(std::mt19937& rng)
{
    // Long shared prefixes like a storage's paths, names differing in case
    // only, and the empty name.
    static const char* const kPrefixes[] = {"", "/s/STORAGE/", "/s/STORAGE/part"};
    std::string name = kPrefixes[rng() % 3];
    const size_t len = rng() % 5;
    for (size_t i = 0; i < len; ++i)
        name += "aAbB0."[rng() % 6];
    return name;
}

TEST(EntryIndex, AnswersLikeAMapOfNamesThroughGrowthReorderingAndReclaiming)
{
    for (unsigned seed = 1; seed <= 30; ++seed) {
        std::mt19937 rng(seed);
        std::vector<TWPDataPtr> entries;
        std::unordered_map<std::string, size_t> model;
        TEntryIndex index;
        if (seed % 2)
            index.Reserve(rng() % 40);
        auto check = [&](const std::string& name) {
            auto it = model.find(name);
            const size_t expected = it == model.end() || !entries[it->second] ? TEntryIndex::npos : it->second;
            ASSERT_EQ(index.Find(name, entries), expected) << "seed " << seed << " name '" << name << "'";
        };
        for (int step = 0; step < 600; ++step) {
            const std::string name = RandomName(rng);
            switch (rng() % 8) {
            case 0: {  // the catalogue sorts its entries
                std::vector<size_t> order(entries.size());
                std::iota(order.begin(), order.end(), size_t{0});
                std::shuffle(order.begin(), order.end(), rng);
                std::vector<TWPDataPtr> sorted;
                std::vector<std::uint32_t> newPosition(entries.size());
                for (size_t k : order) {
                    newPosition[k] = static_cast<std::uint32_t>(sorted.size());
                    sorted.push_back(entries[k]);
                }
                entries.swap(sorted);
                index.Renumber(newPosition);
                for (auto& [key, position] : model)
                    position = newPosition[position];
                break;
            }
            case 1:  // a reload reclaims an entry and leaves a null link
                if (!entries.empty())
                    entries[rng() % entries.size()].reset();
                break;
            default:
                if (model.count(name) == 0) {
                    auto entry = std::make_shared<TWPData>();
                    entry->fileName = name;
                    entries.push_back(entry);
                    index.Insert(name, entries.size() - 1);
                    model[name] = entries.size() - 1;
                }
            }
            check(name);
            check(RandomName(rng));
            ASSERT_EQ(index.Size(), model.size());
        }
        for (const auto& [name, position] : model)
            check(name);

        ASSERT_FALSE(model.empty());
        TEntryIndex other;
        other.Swap(index);
        EXPECT_EQ(index.Size(), 0u);
        EXPECT_EQ(index.Find(model.begin()->first, entries), TEntryIndex::npos);
        other.Clear();
        EXPECT_EQ(other.Find(model.begin()->first, entries), TEntryIndex::npos);
        other.Insert("x", 0);
        entries[0] = std::make_shared<TWPData>();
        entries[0]->fileName = "x";
        EXPECT_EQ(other.Find("x", entries), 0u);
    }
}

TEST(ListLinks, BehaveLikeAVectorInsideAndBeyondTheInlineRoom)
{
    std::vector<TCatData> lists(12);
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        TListLinks links;
        std::vector<const TCatData*> model;
        for (int step = 0; step < 30; ++step) {
            if (model.empty() || rng() % 3) {
                const TCatData* list = &lists[rng() % lists.size()];
                links.push_back(list);
                model.push_back(list);
            } else {
                const size_t at = rng() % model.size();
                links.erase(links.begin() + at);
                model.erase(model.begin() + static_cast<std::ptrdiff_t>(at));
            }
            ASSERT_EQ(std::vector<const TCatData*>(links.begin(), links.end()), model);
            ASSERT_EQ(links.size(), model.size());

            // Copies and moves take the links along and leave the source apart.
            TListLinks copy = links;
            TListLinks moved = std::move(copy);
            ASSERT_TRUE(moved == links);
            ASSERT_TRUE(copy.empty());
            copy.push_back(&lists[0]);
            ASSERT_EQ(std::vector<const TCatData*>(links.begin(), links.end()), model);
            TListLinks assigned;
            assigned.push_back(&lists[1]);
            assigned.push_back(&lists[2]);
            assigned.push_back(&lists[3]);
            assigned = links;
            ASSERT_TRUE(assigned == links);
        }
    }
}

} // namespace
} // namespace wpe
