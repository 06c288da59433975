#include "catalogue/Catalogue.h"

#include "catalogue/CatalogueText.h"
#include "util/Dialogs.h"
#include "util/Errors.h"
#include "util/Exception.h"
#include "util/FastStrings.h"
#include "util/Files.h"
#include "util/Paths.h"


#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace wpe {

namespace {

// Web part files by extension, ASCII-caseless.
bool IsWebPartFileName(const std::string& name)
{
    const std::string ext = ExtractFileExt(name);
    return SameAsciiCaseless(ext, ".DWP") || SameAsciiCaseless(ext, ".AWP") || SameAsciiCaseless(ext, ".UWP") ||
           SameAsciiCaseless(ext, ".XML");
}

// A decimal integer with optional sign and surrounding blanks; anything else
// (including overflow) counts as 0.
long long PopularityValue(const std::string& text)
{
    size_t b = 0, e = text.size();
    while (b < e && (text[b] == ' ' || text[b] == '\t' || text[b] == '\r' || text[b] == '\n'))
        ++b;
    while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t' || text[e - 1] == '\r' || text[e - 1] == '\n'))
        --e;
    std::string t = text.substr(b, e - b);
    if (t.empty())
        return 0;
    size_t i = (t[0] == '+' || t[0] == '-') ? 1 : 0;
    if (i == t.size())
        return 0;
    for (size_t k = i; k < t.size(); ++k)
        if (t[k] < '0' || t[k] > '9')
            return 0;
    errno = 0;
    const long long v = std::strtoll(t.c_str(), nullptr, 10);
    return errno == ERANGE ? 0 : v;
}

bool HasWebPartBelow(const TCatNode* node)
{
    for (size_t i = 0; i < node->Count(); ++i) {
        const TCatNode* child = node->Child(i);
        if (child->IsWebPart() || HasWebPartBelow(child))
            return true;
    }
    return false;
}

// Removes every top-level category whose whole subtree holds no web part.
void PruneEmptyTopCategories(TCatTree& tree)
{
    if (tree.IsEmpty())
        return;
    std::vector<const TCatNode*> empty;
    for (size_t i = 0; i < tree.Count(); ++i) {
        const TCatNode* top = tree.Child(nullptr, i);
        if (top->IsCategory() && !HasWebPartBelow(top))
            empty.push_back(top);
    }
    if (empty.empty())
        return;
    tree.RemoveIf([&](const TCatNode* n) {
        return n->Parent() == nullptr && std::find(empty.begin(), empty.end(), n) != empty.end();
    });
}

void RemoveByLanguage(TCatTree& tree, const char* code, bool keepEmpty)
{
    tree.RemoveIf([&](const TCatNode* n) {
        if (!n->IsWebPart() || !n->Entry())
            return false;
        const std::string& lang = n->Entry()->language;
        if (keepEmpty && lang.empty())
            return false;
        return !SameAsciiCaseless(lang, code);
    });
}

// The whole content of a web part file, into text. Fails as the tag parser
// does for a missing or too short file, and refuses files that are not
// regular or larger than any web part.
void ReadWebPartFile(const std::string& fileName, std::string& text)
{
    try {
        ReadWholeFileInto(fileName, kMaxWebPartFileSize, text);
    } catch (const FileTooLarge&) {
        throw Exception(fileName + " is too large for a web part");
    }
    if (text.size() < 7)
        RaiseErrorFmt(kErrInit, "Incorrect xml file " + fileName);
}

// A hash of the name upper-cased as SameNoCase compares file names: names
// equal without case hash equal.
std::uint64_t FoldedNameHash(std::string_view name)
{
    const unsigned char* up = UpCaseTable();
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : name)
        h = (h ^ up[c]) * 1099511628211ull;
    return h;
}

// Every category node below parent (null: the whole tree), in tree order.
// Web part nodes have no children, so only categories are descended into.
template <typename Visit>
void ForEachCategory(const TCatTree& tree, const TCatNode* parent, const Visit& visit)
{
    const size_t count = tree.Count(parent);
    for (size_t i = 0; i < count; ++i) {
        TCatNode* n = tree.Child(parent, i);
        if (!n->IsCategory())
            continue;
        visit(n);
        if (n->HasChildren())
            ForEachCategory(tree, n, visit);
    }
}

// Names of the entries of a folder that are not folders, sorted by name as
// the Windows file system lists them, so that which file is read first (and
// so which spelling of a category wins) does not depend on the disk.
std::vector<std::string> ListStorage(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    std::filesystem::directory_iterator it(NativePath(folder), ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_directory(typeError))
            names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TCatalogue::TCatalogue(bool pickerMode) : pickerMode_(pickerMode), rootList_(std::make_shared<TCatData>()) {}

std::string TCatalogue::CategoryFilePath() const
{
    return programDir_.empty() ? std::string(kCategoryFileName) : WithTrailingBackslash(programDir_) + kCategoryFileName;
}

// ---- category lists

TCatDataPtr TCatalogue::NewCatData()
{
    auto list = std::make_shared<TCatData>();
    lists_.emplace(list.get(), list);
    return list;
}

void TCatalogue::DiscardCatData(const TCatData* list) { lists_.erase(list); }

std::vector<TCatDataPtr> TCatalogue::CategoryLists() const
{
    std::vector<TCatDataPtr> out;
    out.reserve(lists_.size());
    for (const auto& [raw, list] : lists_)
        out.push_back(list);
    return out;
}

bool TCatalogue::InOtherCategoryList(const TWPData* entry, const TCatData* except) const
{
    for (const TCatData* list : entry->lists)
        if (list != except && lists_.count(list) != 0)
            return true;
    return false;
}

std::string TCatalogue::NextNewCategoryName()
{
    return "NewCategory_" + std::to_string(newCategoryCounter_++);
}

TCatNode* TCatalogue::FindOrAddCategory(TCatTree& tree, TCatNode* parent, std::string_view name)
{
    if (TCatNode* found = tree.FindCategoryChild(parent, name))
        return found;
    return tree.AddCategory(parent, std::string(name), NewCatData());
}

void TCatalogue::PruneCategoryLists()
{
    std::unordered_map<const TCatData*, TCatDataPtr> kept;
    kept.reserve(lists_.size());
    ForEachCategory(browse_, nullptr, [&](TCatNode* n) {
        if (n->CatData())
            kept.emplace(n->CatData(), n->CatDataLink());
    });
    lists_.swap(kept);
}

// ---- loading

TCatalogue::EntryRead TCatalogue::ReadEntry(const std::string& fileName)
{
    EntryRead result;
    result.entry = ReadInto(fileName, result.paths);
    return result;
}

// ReadEntry, with the paths written into a list the caller may reuse.
TWPDataPtr TCatalogue::ReadInto(const std::string& fileName, std::vector<std::string>& paths)
{
    ReadWebPartFile(fileName, fileText_);
    scan_.Scan(fileText_);
    if (!scan_.IsWebPart())
        throw Exception(fileName + " is not a WebPart!");

    const size_t categories = scan_.CategoryCount();
    paths.resize(std::max<size_t>(categories, 1));
    if (categories == 0)
        paths[0].clear();
    for (size_t i = 0; i < categories; ++i)
        NormalizeCategoryPath(scan_.CategoryText(i), paths[i]);

    // One object per file name: an entry already known (now or from the
    // previous load) is refreshed in place, keeping its queued changes.
    TWPDataPtr entry;
    if (const size_t known = byName_.Find(fileName, entries_); known != TEntryIndex::npos) {
        entry = entries_[known];
    } else {
        if (const size_t old = previous_.Find(fileName, previousEntries_); old != TEntryIndex::npos) {
            entry = std::move(previousEntries_[old]);
        } else {
            entry = std::make_shared<TWPData>();
            entry->fileName = fileName;
        }
        entries_.push_back(entry);
        try {
            byName_.Insert(fileName, entries_.size() - 1);
        } catch (...) {
            entries_.pop_back();
            throw;
        }
    }
    // Every listed field is replaced; queued changes and list memberships stay.
    auto take = [this](TPartField field, std::string& out) {
        if (scan_.Found(field))
            out.assign(scan_.Text(field));
        else
            out.clear();
    };
    take(TPartField::Title, entry->title);
    if (scan_.Found(TPartField::Title) && entry->title.empty())
        entry->title = NameWithoutExt(fileName);
    take(TPartField::Description, entry->description);
    take(TPartField::Language, entry->language);
    take(TPartField::Popularity, entry->popularity);
    take(TPartField::LastModified, entry->lastModified);
    take(TPartField::Zone, entry->zone);
    return entry;
}

void TCatalogue::PlaceEntry(const TWPDataPtr& entry, const std::vector<std::string>& paths, TCatTree& tree)
{
    PlaceEntry(entry, paths, tree, false);
}

// With onlyItself set the caller knows that no other entry's node can equal
// one of this entry's (see LoadCatalogue), so only the nodes placed in this
// call need looking at, not the level's index.
void TCatalogue::PlaceEntry(const TWPDataPtr& entry, const std::vector<std::string>& paths, TCatTree& tree,
                            bool onlyItself)
{
    placedUnder_.clear();
    for (const std::string& path : paths) {
        // The names of the path (as SplitCategoryPath gives them), at most
        // kMaxCategoryDepth deep.
        TCatNode* node = nullptr;
        size_t depth = 0;
        for (size_t start = 0; start < path.size() && depth < kMaxCategoryDepth;) {
            size_t slash = path.find('/', start);
            if (slash == std::string::npos)
                slash = path.size();
            if (slash > start) {
                node = FindOrAddCategory(tree, node, std::string_view(path).substr(start, slash - start));
                ++depth;
            }
            start = slash + 1;
        }
        if (onlyItself) {
            if (std::find(placedUnder_.begin(), placedUnder_.end(), node) != placedUnder_.end())
                continue;
            placedUnder_.push_back(node);
        } else if (tree.HasWebPartChild(node, entry->title, entry->fileName)) {
            continue;
        }
        tree.AddWebPart(node, entry);
        if (!node) {
            rootList_->Add(entry);
            continue;
        }
        if (!node->CatData())
            tree.SetCatData(node, NewCatData());  // a category made without a list gets one now
        node->CatData()->Add(entry);
    }
}

void TCatalogue::ResetForLoad()
{
    previousEntries_.swap(entries_);
    entries_.clear();
    previous_.Swap(byName_);
    byName_.Clear();
    searchResults_.clear();
    // The categories stay (a missing or broken category file must not lose
    // them); their lists are filled anew from the files.
    browse_.RemoveIf([](const TCatNode* n) { return n->IsWebPart(); });
    for (auto& [raw, list] : lists_)
        list->Clear();
    rootList_->Clear();
}

// Stable by title, CompareWithCase. The entries lie all over the heap; a
// key of each title's first bytes decides most compares without a visit.
void TCatalogue::SortEntries()
{
    struct Keyed {
        std::uint64_t high, low;
        size_t index;
    };
    std::vector<Keyed> keyed(entries_.size());
    for (size_t i = 0; i < entries_.size(); ++i) {
        const std::string& title = entries_[i]->title;
        keyed[i] = {NoCasePrefixKey(title), NoCasePrefixKey(title, 8, 8), i};
    }
    std::stable_sort(keyed.begin(), keyed.end(), [this](const Keyed& a, const Keyed& b) {
        if (a.high != b.high)
            return a.high < b.high;
        if (a.low != b.low)
            return a.low < b.low;
        return CompareWithCase(entries_[a.index]->title, entries_[b.index]->title) < 0;
    });
    std::vector<TWPDataPtr> sorted;
    sorted.reserve(entries_.size());
    std::vector<std::uint32_t> newPosition(entries_.size());
    for (const Keyed& k : keyed) {
        newPosition[k.index] = static_cast<std::uint32_t>(sorted.size());
        sorted.push_back(std::move(entries_[k.index]));
    }
    entries_.swap(sorted);
    byName_.Renumber(newPosition);
}

// Categories first, then by text without case; stable.
void TCatalogue::SortTree(TCatTree& tree)
{
    tree.SortChildrenByKey(
        nullptr,
        [](const TCatNode* n) {
            return TCatTree::SortKey{(n->IsCategory() ? 0 : std::uint64_t(1) << 56) | NoCasePrefixKey(n->Text(), 7),
                                     NoCasePrefixKey(n->Text(), 8, 7)};
        },
        [](const TCatNode* a, const TCatNode* b) {
            if (a->Kind() != b->Kind())
                return a->IsCategory();
            return CompareNoCase(a->Text(), b->Text()) < 0;
        },
        true);
}

void TCatalogue::LoadCatalogue(const std::string& storageDir, const TLoadProgress& progress)
{
    storageDir_ = WithTrailingBackslash(storageDir);
    ResetForLoad();

    const std::string categoryFile = CategoryFilePath();
    if (FileExists(categoryFile)) {
        try {
            ReadCategoryFile(browse_, categoryFile);
        } catch (const std::exception& e) {
            Dialogs().Show(MsgKind::Error, std::string("Error while restoring category tree:") + "\r\n" + e.what());
        }
    }

    const std::vector<std::string> names = ListStorage(storageDir_);
    entries_.reserve(names.size());
    byName_.Reserve(names.size());
    // The tree has no web part nodes now. Two entries can only meet in a
    // duplicate check when their file names are equal without case (names
    // that differ in case only, on a disk that tells them apart); every other
    // entry needs checking against its own nodes only.
    std::vector<std::pair<std::uint64_t, size_t>> foldedNames;
    foldedNames.reserve(names.size());
    for (size_t i = 0; i < names.size(); ++i)
        if (IsWebPartFileName(names[i]))
            foldedNames.emplace_back(FoldedNameHash(names[i]), i);
    std::sort(foldedNames.begin(), foldedNames.end());
    std::vector<bool> mayHaveTwin(names.size(), false);
    for (size_t k = 1; k < foldedNames.size(); ++k)
        if (foldedNames[k].first == foldedNames[k - 1].first)
            mayHaveTwin[foldedNames[k].second] = mayHaveTwin[foldedNames[k - 1].second] = true;

    for (size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        if (!IsWebPartFileName(name))
            continue;
        std::string& path = pathText_;
        path.assign(storageDir_).append(name);
        try {
            const TWPDataPtr entry = ReadInto(path, paths_);
            PlaceEntry(entry, paths_, browse_, !mayHaveTwin[i]);
            if (progress)
                progress(path);
        } catch (const std::exception&) {
            // Not a web part, unreadable or malformed: left out silently.
        }
    }
    previous_.Clear();
    std::vector<TWPDataPtr>().swap(previousEntries_);  // entries that left go now

    SortEntries();
    SearchEntries(lastSearch_);
    SortTree(browse_);
    PruneCategoryLists();
    edit_.CopyFrom(browse_);
    ExpandSaved(browse_);
    if (pickerMode_)
        ApplyFilter(kFilterCategoriesOnly, browse_);
}

void TCatalogue::ReloadCatalogue()
{
    LoadCatalogue(storageDir_);
    if (FilterMask() != 0) {
        ApplyFilter(0, browse_);
        ApplyFilter(FilterMask(), browse_);
    }
}

// ---- filter, search, lookups

void TCatalogue::ApplyFilter(int mask, TCatTree& tree)
{
    if (mask == 0) {
        if (&tree == &edit_)
            edit_.CopyFrom(browse_);
        else
            tree.CopyFrom(edit_);
        return;
    }
    for (int bit = 1; bit <= kFilterMostPopular; bit <<= 1) {
        if (!(mask & bit))
            continue;
        switch (bit) {
        case kFilterCategoriesOnly:
            tree.RemoveIf([](const TCatNode* n) { return n->IsWebPart(); });
            continue;
        case kFilterRussian: RemoveByLanguage(tree, "ru", false); break;
        case kFilterEnglish: RemoveByLanguage(tree, "en", true); break;
        case kFilterFrench: RemoveByLanguage(tree, "fr", false); break;
        case kFilterGerman: RemoveByLanguage(tree, "ge", false); break;
        case kFilterNewItems: continue;  // what makes an entry new is not settled
        case kFilterMostPopular:
            tree.RemoveIf([](const TCatNode* n) {
                return n->IsWebPart() && n->Entry() && PopularityValue(n->Entry()->popularity) <= 0;
            });
            break;
        default: continue;
        }
        PruneEmptyTopCategories(tree);
    }
    ExpandSaved(tree);
}

void TCatalogue::ExpandSaved(TCatTree& tree)
{
    ForEachCategory(tree, nullptr, [](TCatNode* n) {
        if (n->CatData() && n->CatData()->expanded)
            n->expanded = true;
    });
}

void TCatalogue::SearchEntries(const std::string& text)
{
    lastSearch_ = text;
    searchResults_.clear();
    if (text.empty())
        return;
    for (const auto& entry : entries_)
        if (FindAsciiCaseless(text, entry->title) != 0)
            searchResults_.push_back(entry);
}

TWPDataPtr TCatalogue::FindEntry(const std::string& fileName) const
{
    if (const size_t i = byName_.Find(fileName, entries_); i != TEntryIndex::npos)
        return entries_[i];
    for (const auto& entry : entries_)
        if (SameNoCase(entry->fileName, fileName))
            return entry;
    return nullptr;
}

namespace {

TCatNode* FindInSubtree(const TCatTree& tree, const TCatNode* root, const std::string& name)
{
    const TCatNode* end = tree.NextSkippingChildren(root);
    for (TCatNode* n = root->HasChildren() ? root->Child(0) : nullptr; n && n != end; n = tree.Next(n))
        if (n->Text() == name)
            return n;
    return nullptr;
}

} // namespace

TCatNode* TCatalogue::FindCategoryNode(const std::string& path) const { return FindCategoryNode(browse_, path); }

TCatNode* TCatalogue::FindCategoryNode(const TCatTree& tree, const std::string& path) const
{
    const std::vector<std::string> names = SplitCategoryPath(path);
    if (names.empty())
        return nullptr;
    TCatNode* node = nullptr;
    for (size_t i = 0; i < tree.Count() && !node; ++i)
        if (tree.Child(nullptr, i)->Text() == names[0])
            node = tree.Child(nullptr, i);
    for (size_t k = 1; k < names.size() && node; ++k)
        node = FindInSubtree(tree, node, names[k]);
    return node;
}

std::string TCatalogue::CategoryPath(const TCatNode* node)
{
    if (node && node->IsWebPart())
        node = node->Parent();
    std::vector<std::string> names;
    for (; node; node = node->Parent())
        names.push_back(node->Text());
    std::reverse(names.begin(), names.end());
    return JoinCategoryPath(names);
}

size_t TCatalogue::FindByTitlePrefix(const std::vector<TWPDataPtr>& list, const std::string& typed, size_t start,
                                     bool wrap)
{
    const size_t n = list.size();
    if (n == 0)
        return static_cast<size_t>(-1);
    if (start >= n)
        start = 0;
    size_t i = start;
    do {
        if (StartsAsciiCaseless(list[i]->title, typed))
            return i;
        ++i;
        if (i == n) {
            if (!wrap)
                break;
            i = 0;
        }
    } while (i != start);
    return static_cast<size_t>(-1);
}

} // namespace wpe
