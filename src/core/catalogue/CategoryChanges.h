#pragma once
// Category changes: each edit records (new path, old path) on every entry it
// touches and changes the lists and trees at once; the write-back later
// replays each modified entry's queue against its file, or against the
// category list of an editor that has the file open.

#include "catalogue/Catalogue.h"

#include <string>
#include <string_view>

namespace wpe {

class ICategoryListField;

// A web part editor as the write-back sees it.
class IOpenWebPart {
public:
    virtual ~IOpenWebPart() = default;
    // The editor's list of category paths.
    virtual ICategoryListField& CategoryList() = 0;
    // Marks the editor's document changed (or not).
    virtual void SetModified(bool modified) = 0;
};

// The web part editors open in the main window.
class IOpenWebParts {
public:
    virtual ~IOpenWebParts() = default;
    // The editor that has exactly this file open, or null.
    virtual IOpenWebPart* FindOpenWebPart(const std::string& fileName) = 0;
};

// After `moved` got a new parent: records, for every entry in the lists of
// moved's subtree, its current path against the path under oldParentPath.
void RecordCategoryMove(const TCatNode* moved, const std::string& oldParentPath);
// After `node`'s name changed from oldName: records every entry below it.
void RecordCategoryRename(const TCatNode* node, const std::string& oldName);
// Before `node` and its subtree leave the tree: hands their entries to the
// parent category (or the top level), records that, and discards the
// subtree's lists from the catalogue.
void RecordCategoryDelete(TCatalogue& catalogue, TCatNode* node);

// Moves a web part node into the category of target (a category node, a web
// part node standing for its parent, or null for the top level). A node that
// would duplicate one already there is deleted instead, and so is one sent to
// the top level while the part belongs to another category. Moving into the
// category the node already sits in does nothing. True when something was done.
bool MoveWebPart(TCatalogue& catalogue, TCatNode* webPart, TCatNode* target);
// Adds the web part to target's category as well; false when it is already
// there or the target is the top level.
bool CopyWebPart(TCatalogue& catalogue, TCatNode* webPart, TCatNode* target);

// Writes every modified entry's queued changes, in the order of all entries,
// into its file (or the open editor's list) and clears its queue. An error
// stops at that entry, which keeps its queue and flag, and is raised; entries
// written before it are clean and later ones keep their queues.
void ApplyCategoryChanges(TCatalogue& catalogue, IOpenWebParts* openParts);

// Whether a Category element's text names the category path as the
// catalogue reads it: names split at "/" (empty names dropped), each equal
// ASCII-caseless.
bool SameCategoryPath(std::string_view written, std::string_view path);

// Replays the queue on one file through the tag parser; writes the file
// (atomically) only when something changed. Exposed for tests and tools.
void RewriteCategories(const std::string& fileName, const std::deque<TOperation>& operations);
// Replays the queue on an editor's category list.
void ReplayOnList(ICategoryListField& list, const std::deque<TOperation>& operations);

} // namespace wpe
