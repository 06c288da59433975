#include "catalogue/CatalogueData.h"

#include <algorithm>

namespace wpe {

void TWPData::Push(std::string newPath, std::string oldPath)
{
    operations.push_back(TOperation{std::move(newPath), std::move(oldPath)});
    modified = true;
}

bool TCatData::Add(const TWPDataPtr& entry)
{
    if (!entry || !members_.insert(entry.get()).second)
        return false;
    entries_.push_back(entry);
    return true;
}

bool TCatData::Remove(const TWPData* entry)
{
    if (members_.erase(entry) == 0)
        return false;
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [entry](const TWPDataPtr& e) { return e.get() == entry; });
    if (it != entries_.end())
        entries_.erase(it);
    return true;
}

void TCatData::Clear()
{
    entries_.clear();
    members_.clear();
}

} // namespace wpe
