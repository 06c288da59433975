#pragma once
// The commands of the category editor (the edit tree of the Categories tab)
// as core operations; the frame only shows their results. Commands that
// change a path record the change on the entries concerned.

#include "catalogue/Catalogue.h"

#include <string>

namespace wpe {

// A new category (NewCategory_0, NewCategory_1, ...) right after `selected`
// among its siblings, or at the end of the top level when nothing is selected.
TCatNode* AddCategoryAfter(TCatalogue& catalogue, TCatTree& tree, TCatNode* selected);
// A new category as the last child of `selected`, which is expanded; null
// without a selection.
TCatNode* AddChildCategory(TCatalogue& catalogue, TCatTree& tree, TCatNode* selected);
// Deletes the node with its subtree; a category first hands its entries to
// its parent (RecordCategoryDelete).
void DeleteCategory(TCatalogue& catalogue, TCatNode* node);
// Ends a name edit. An empty name is refused (a node without a name gets a
// default one); a changed name is set and recorded. True when the name changed.
bool RenameCategory(TCatalogue& catalogue, TCatNode* node, const std::string& newName);

// The node follows its parent among the parent's siblings; nothing at the top level.
bool MoveCategoryLeft(TCatNode* node);
// The node becomes the last child of its previous sibling; nothing without one.
bool MoveCategoryRight(TCatNode* node);
// The node moves before its previous sibling.
bool MoveCategoryUp(TCatNode* node);
// The next sibling moves before the node.
bool MoveCategoryDown(TCatNode* node);
// Whether a drag of node may end on target (null: empty space).
bool CanDropCategory(const TCatNode* node, const TCatNode* target);
// The drop: node becomes the last child of target (or the last top-level
// node) and the move is recorded. False when the drop is refused.
bool DropCategory(TCatNode* node, TCatNode* target);

// Sorts the direct children of node by name (one level; case-sensitive,
// locale order); nothing for null or a node without children.
void SortCategoryLevel(TCatTree& tree, TCatNode* node);
// Sorts every level of the tree by name.
void SortCategoryTree(TCatTree& tree);

// Gives every entry of each category's list (in tree order) and of the root
// list a web part node, as placing does; the tree is not sorted again.
void RebuildWebPartNodes(TCatalogue& catalogue, TCatTree& tree);
// Removes every web part node.
void RemoveWebPartNodes(TCatTree& tree);

} // namespace wpe
