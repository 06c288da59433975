#pragma once
// The catalogue of the stored web parts: all entries, the search results,
// the root list, the category lists and the browse and edit trees, with the
// operations that load, filter, search and look them up.
//
// Entries and category lists are shared objects: trees, lists and editors
// hold links to them, and an object that leaves the catalogue stays valid
// for whoever still links to it.

#include "catalogue/CatalogueData.h"
#include "catalogue/CatalogueTree.h"
#include "catalogue/EntryIndex.h"
#include "catalogue/WebPartScan.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace wpe {

class TXmlDNode;

// Called with the full path of every web part file read and placed.
using TLoadProgress = std::function<void(const std::string& path)>;

// Filter mask bits.
inline constexpr int kFilterCategoriesOnly = 1;
inline constexpr int kFilterRussian = 2;
inline constexpr int kFilterEnglish = 4;
inline constexpr int kFilterFrench = 8;
inline constexpr int kFilterGerman = 16;
inline constexpr int kFilterNewItems = 32;
inline constexpr int kFilterMostPopular = 64;

// Web part files larger than this are left out of the catalogue: a web part
// is a few kilobytes, and reading a stray huge file at every start would
// stall the program.
inline constexpr std::uintmax_t kMaxWebPartFileSize = 64u * 1024u * 1024u;

// Categories nest at most this deep: deeper names of a Category element are
// dropped and deeper outlines of the category file skipped, so that a
// malformed file cannot build a tree too deep to walk.
inline constexpr size_t kMaxCategoryDepth = 100;

inline constexpr const char* kCategoryFileName = "category.xml";

class TCatalogue {
public:
    // A catalogue for a picker shows categories only.
    explicit TCatalogue(bool pickerMode = false);
    TCatalogue(const TCatalogue&) = delete;
    TCatalogue& operator=(const TCatalogue&) = delete;

    // ---- data ----
    // Every entry, sorted by title after a load; unique by file name.
    const std::vector<TWPDataPtr>& AllEntries() const { return entries_; }
    const std::vector<TWPDataPtr>& SearchResults() const { return searchResults_; }
    TCatData& RootList() { return *rootList_; }
    const TCatDataPtr& RootListLink() const { return rootList_; }
    TCatTree& BrowseTree() { return browse_; }
    TCatTree& EditTree() { return edit_; }
    bool PickerMode() const { return pickerMode_; }

    // The folder that holds "category.xml" (the program's folder).
    void SetProgramDir(std::string dir) { programDir_ = std::move(dir); }
    const std::string& ProgramDir() const { return programDir_; }
    std::string CategoryFilePath() const;
    const std::string& StorageDir() const { return storageDir_; }

    // The frame's filter choices: language 0, 2, 4, 8 or 16; items 0, 32 or 64.
    int languageChoice = 0;
    int itemChoice = 0;
    int FilterMask() const { return languageChoice | itemChoice; }

    // ---- category lists ----
    // A new empty list, registered in the category lists.
    TCatDataPtr NewCatData();
    // Takes a list out of the category lists (links to it stay valid).
    void DiscardCatData(const TCatData* list);
    bool IsRegistered(const TCatData* list) const { return lists_.count(list) != 0; }
    // Every registered category list, in no particular order.
    std::vector<TCatDataPtr> CategoryLists() const;
    // Registers a list again (undoes DiscardCatData).
    void RegisterCatData(const TCatDataPtr& list) { lists_.emplace(list.get(), list); }
    size_t CategoryListCount() const { return lists_.size(); }
    // True when entry is in a registered category list other than except.
    bool InOtherCategoryList(const TWPData* entry, const TCatData* except) const;
    // The next default name for a new category: NewCategory_0, NewCategory_1, ...
    std::string NextNewCategoryName();

    // ---- loading ----
    // Reads "category.xml" (when it exists) and every web part file directly
    // in storageDir into the browse tree, sorts, copies the browse tree into
    // the edit tree and expands the saved categories. Files that cannot be
    // read as web parts are left out silently. Entries of files already
    // known are refreshed in place, so every holder keeps the same object;
    // entries of files that are gone leave the catalogue.
    void LoadCatalogue(const std::string& storageDir, const TLoadProgress& progress = {});
    // LoadCatalogue on the same folder, then re-applies the chosen filter.
    void ReloadCatalogue();

    struct EntryRead {
        TWPDataPtr entry;
        std::vector<std::string> paths;  // one per Category element; "" is the top level
    };
    // Reads one web part file and adds its entry to all entries (or refreshes
    // the entry already there for the same file name). Raises an error whose
    // text is the file name followed by " is not a WebPart!" for a file
    // without a WebPart element, and the tag parser's errors otherwise.
    EntryRead ReadEntry(const std::string& fileName);
    // Web part nodes for the entry under each path, creating missing
    // categories; no duplicates of the entry's node or list membership.
    void PlaceEntry(const TWPDataPtr& entry, const std::vector<std::string>& paths, TCatTree& tree);

    // ---- category file ----
    // Replaces the tree's categories by those of the file. A file that cannot
    // be loaded is reported ("Error while loading ...") and leaves the tree as
    // it was; the result is then false.
    bool ReadCategoryFile(TCatTree& tree, const std::string& fileName);
    // Writes the tree's categories and expanded flags; raises on failure and
    // leaves any existing file as it was.
    void WriteCategoryFile(const TCatTree& tree, const std::string& fileName) const;

    // ---- filter, search, lookups ----
    // Mask 0 restores the full tree from the other tree; other masks remove
    // the nodes they exclude, bit by bit, then expand the saved categories.
    void ApplyFilter(int mask, TCatTree& tree);
    // Expands every category node whose list's expanded flag is set.
    static void ExpandSaved(TCatTree& tree);
    // The search results become the entries whose title contains text,
    // ASCII-caseless, in the order of all entries; empty text clears them.
    // A load repeats the last search, so the results never hold entries
    // that left the catalogue.
    void SearchEntries(const std::string& text);
    // The entry with that file name: an exact match first, else one equal
    // without case; null when none.
    TWPDataPtr FindEntry(const std::string& fileName) const;
    // The browse tree's node that the path names (each later name sought in
    // the whole subtree of the one before, exactly), or null.
    TCatNode* FindCategoryNode(const std::string& path) const;
    TCatNode* FindCategoryNode(const TCatTree& tree, const std::string& path) const;
    // The category path of a node (of its parent for a web part); "" for null.
    static std::string CategoryPath(const TCatNode* node);

    // Type-ahead: index of the first entry of list, from start on (wrapping to
    // the first entry when wrap is set, stopping back at start), whose title
    // begins with typed, ASCII-caseless; npos when none.
    static size_t FindByTitlePrefix(const std::vector<TWPDataPtr>& list, const std::string& typed, size_t start,
                                    bool wrap);

private:
    TWPDataPtr ReadInto(const std::string& fileName, std::vector<std::string>& paths);
    void PlaceEntry(const TWPDataPtr& entry, const std::vector<std::string>& paths, TCatTree& tree, bool onlyItself);
    void ResetForLoad();
    void SortEntries();
    static void SortTree(TCatTree& tree);
    TCatNode* FindOrAddCategory(TCatTree& tree, TCatNode* parent, std::string_view name);
    void PruneCategoryLists();
    struct OutlineState;
    void ReadOutline(TCatTree& tree, const TXmlDNode* outline, int level, OutlineState& state);

    bool pickerMode_;
    std::string programDir_;
    std::string storageDir_;
    std::vector<TWPDataPtr> entries_;
    // Positions in entries_ by file name.
    TEntryIndex byName_;
    // Entries of the previous load, reclaimed by file name while loading
    // (a reclaimed one leaves a null link behind).
    std::vector<TWPDataPtr> previousEntries_;
    TEntryIndex previous_;
    std::vector<TWPDataPtr> searchResults_;
    std::string lastSearch_;
    TCatDataPtr rootList_;
    std::unordered_map<const TCatData*, TCatDataPtr> lists_;
    int newCategoryCounter_ = 0;
    TCatTree browse_;
    TCatTree edit_;
    // Kept between files so that a load reuses their memory.
    TWebPartScan scan_;
    std::string fileText_;
    std::string pathText_;
    std::vector<std::string> paths_;
    std::vector<const TCatNode*> placedUnder_;
};

} // namespace wpe
