#include "catalogue/CatalogueData.h"

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

void TCatData::Clear()
{
    for (const auto& entry : entries_)
        Forget(*entry, this);
    entries_.clear();
}

} // namespace wpe
