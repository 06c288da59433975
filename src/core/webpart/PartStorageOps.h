#pragma once
// Editing the part storage tree: adding, deleting, moving and sorting nodes,
// cleaning captions, taking a value from the value editor and replacing a
// node's attributes from the attribute check list. Node pointers stay valid
// across moves and sorts; only deletion releases a node.

#include "webpart/PartStorageTree.h"

#include <string>
#include <vector>

namespace wpe {

// Whether the tree keeps its nodes sorted by caption on its own.
enum class PartStorageSortMode { Off, Automatic };

// True when a's caption sorts before b's: alphabetically without regard to
// letter case, ties broken byte for byte.
bool CaptionLess(const PartStorageNode& a, const PartStorageNode& b);

// A new node with an empty caption right after selected, as its next
// sibling; with no selection at the end of the top level.
PartStorageNode* AddNode(PartStorageTree& tree, PartStorageNode* selected);
// A new node with an empty caption as the last child of parent.
PartStorageNode* AddChildNode(PartStorageNode& parent);
// Removes node with all its descendants; node is released.
void DeleteNode(PartStorageNode& node);

// The node leaves its parent and becomes the parent's next sibling; false
// (nothing moves) for a top-level node.
bool MoveLeft(PartStorageNode& node);
// The node becomes the last child of its previous sibling; false without one.
bool MoveRight(PartStorageNode& node);
// The node goes before its previous sibling; false when it is the first.
bool MoveUp(PartStorageNode& node);
// The node's next sibling goes before it; false when it is the last.
bool MoveDown(PartStorageNode& node);

// Sorts the children of node by caption (not deeper levels).
void SortSubtree(PartStorageNode& node);
// Sorts every level of the tree by caption.
void SortTotalTree(PartStorageTree& tree);

// A caption as typed made fit for an element name: trimmed, every space "_".
std::string CleanCaption(const std::string& typed);

// The value to store for the value editor's text: with fewer than two lines
// (a final line break starts no line) the line without its line end,
// otherwise the whole text unchanged.
std::string StoredValueOf(const std::string& editorText);

// Which of the check list's items show as checked for node: the items are
// walked in order against the node's attributes in order, and an item is
// checked only when it names the next attribute.
std::vector<bool> CheckedAttributeItems(const PartStorageNode& node, const std::vector<std::string>& items);

// The check list's text: "[" + the checked items joined by "," + "]".
std::string CheckListText(const std::vector<std::string>& items, const std::vector<bool>& checked);

// Replaces node's attributes by (item, "true") for every checked item, in
// list order, and its attribute column by the check list's text. Attributes
// the node had that the list does not offer are dropped.
void ReplaceAttributes(PartStorageNode& node, const std::vector<std::string>& items,
                       const std::vector<bool>& checked);

} // namespace wpe
