#include "shell/FavouriteFolders.h"

#include "shell/DocumentKinds.h"
#include "util/Paths.h"

#include <algorithm>

namespace wpe {

namespace {

auto SameFolder(const std::string& folder)
{
    return [&folder](const std::string& entry) { return SameDocumentPath(entry, folder); };
}

} // namespace

void TFavouriteFolders::Add(const std::string& folder)
{
    if (folder.empty())
        return;
    if (IsNone(folder)) {
        EnsureNotEmpty();
        return;
    }
    std::erase_if(items_, [&](const std::string& e) { return IsNone(e) || SameDocumentPath(e, folder); });
    items_.insert(items_.begin(), folder);
    if (items_.size() > kMaxEntries)
        items_.resize(kMaxEntries);
}

void TFavouriteFolders::AddCurrentFolder(const std::string& folder)
{
    std::string path = WithoutTrailingDelimiter(folder);
    if (path.empty())
        path = folder;  // the root keeps its one delimiter
    if (path.empty())
        return;
    if (!items_.empty() && IsNone(items_.front())) {
        items_.front() = path;
        // The replaced "None" may have stood before the same folder.
        auto dup = std::find_if(items_.begin() + 1, items_.end(), SameFolder(path));
        if (dup != items_.end())
            items_.erase(dup);
        return;
    }
    Add(path);
}

bool TFavouriteFolders::Remove(const std::string& folder)
{
    auto it = std::find_if(items_.begin(), items_.end(), SameFolder(folder));
    if (it == items_.end())
        return false;
    items_.erase(it);
    return true;
}

void TFavouriteFolders::Rename(const std::string& oldFolder, const std::string& newFolder)
{
    std::string edited = WithoutTrailingDelimiter(newFolder);
    if (edited.empty())
        return;
    Remove(oldFolder);
    Add(edited);
}

void TFavouriteFolders::EnsureNotEmpty()
{
    if (items_.empty())
        items_.push_back(kNoFavourites);
}

void TFavouriteFolders::Assign(const std::vector<std::string>& folders)
{
    items_.clear();
    for (const std::string& f : folders) {
        if (items_.size() == kMaxEntries)
            break;
        if (f.empty() || std::any_of(items_.begin(), items_.end(), SameFolder(f)))
            continue;
        items_.push_back(f);
    }
    // "None" only stands for an empty list.
    if (items_.size() > 1)
        std::erase_if(items_, [](const std::string& e) { return IsNone(e); });
}

std::vector<std::string> TFavouriteFolders::Folders() const
{
    std::vector<std::string> out;
    for (const std::string& e : items_)
        if (!IsNone(e))
            out.push_back(e);
    return out;
}

} // namespace wpe
