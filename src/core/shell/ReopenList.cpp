#include "shell/ReopenList.h"

#include "shell/DocumentKinds.h"

#include <algorithm>

namespace wpe {

void TReopenList::Add(const std::string& path)
{
    if (path.empty())
        return;
    Remove(path);
    items_.insert(items_.begin(), path);
    if (items_.size() > kMaxEntries)
        items_.resize(kMaxEntries);
}

void TReopenList::Assign(const std::vector<std::string>& paths)
{
    items_.clear();
    for (const auto& p : paths) {
        if (items_.size() == kMaxEntries)
            break;
        if (p.empty())
            continue;
        bool seen = std::any_of(items_.begin(), items_.end(),
                                [&](const std::string& q) { return SameDocumentPath(p, q); });
        if (!seen)
            items_.push_back(p);
    }
}

bool TReopenList::Remove(const std::string& path)
{
    auto it = std::find_if(items_.begin(), items_.end(),
                           [&](const std::string& q) { return SameDocumentPath(path, q); });
    if (it == items_.end())
        return false;
    items_.erase(it);
    return true;
}

} // namespace wpe
