#pragma once
// The part storage tree: a web part's stored parameters as named nodes with a
// value, an attribute column and attributes, and its conversions to and from
// the text of the `PartStorage` element.

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace wpe {

// One attribute of a stored parameter.
struct TNodeAttr {
    std::string name;
    std::string value;
    bool operator==(const TNodeAttr&) const = default;
};

// "[" + the attribute names joined by "," + "]"; "[]" when there are none.
std::string AttributeColumnText(const std::vector<TNodeAttr>& attrs);

class PartStorageNode {
public:
    PartStorageNode() = default;
    explicit PartStorageNode(std::string caption);
    PartStorageNode(const PartStorageNode&) = delete;
    PartStorageNode& operator=(const PartStorageNode&) = delete;

    std::string caption;                 // the parameter (element) name
    std::string value;                   // first column, written as it stands
    std::string attrColumn = "[]";       // second column, as shown
    std::vector<TNodeAttr> attrs;        // the attributes, in order

    // The node holding this one; nullptr for the tree's root holder.
    PartStorageNode* Parent() const { return parent_; }
    // Position among the parent's children; -1 for the root holder.
    int Index() const;
    // 0 for a top-level node, one more per level below; -1 for the root holder.
    int Depth() const;

    int ChildCount() const { return static_cast<int>(children_.size()); }
    bool HasChildren() const { return !children_.empty(); }
    PartStorageNode* Child(int index) const { return children_.at(static_cast<std::size_t>(index)).get(); }
    PartStorageNode* FirstChild() const { return children_.empty() ? nullptr : children_.front().get(); }
    PartStorageNode* LastChild() const { return children_.empty() ? nullptr : children_.back().get(); }
    PartStorageNode* PreviousSibling() const;
    PartStorageNode* NextSibling() const;

    // Inserts node at index (-1 or Count appends) and returns it.
    PartStorageNode* InsertChild(int index, std::unique_ptr<PartStorageNode> node);
    // Appends a new node with that caption, an empty value and no attributes.
    PartStorageNode* AddChild(const std::string& caption);
    // Removes the child at index and hands it over, with its subtree.
    std::unique_ptr<PartStorageNode> TakeChild(int index);
    // Removes every child with its subtree.
    void ClearChildren();
    // Orders the children (not deeper levels) by less; equal ones keep their order.
    void SortChildren(const std::function<bool(const PartStorageNode&, const PartStorageNode&)>& less);

    // A deep copy of this node and its subtree, in no tree.
    std::unique_ptr<PartStorageNode> Clone() const;
    // True when captions, values, columns, attributes and subtrees are equal.
    bool SameAs(const PartStorageNode& other) const;

private:
    PartStorageNode* parent_ = nullptr;
    std::vector<std::unique_ptr<PartStorageNode>> children_;
};

class PartStorageTree {
public:
    PartStorageTree();
    PartStorageTree(const PartStorageTree& other);
    PartStorageTree& operator=(const PartStorageTree& other);
    PartStorageTree(PartStorageTree&&) noexcept = default;
    PartStorageTree& operator=(PartStorageTree&&) noexcept = default;

    // The holder of the top-level nodes; it is not a node of the tree itself.
    PartStorageNode& Root() { return *root_; }
    const PartStorageNode& Root() const { return *root_; }

    bool Empty() const { return !root_->HasChildren(); }
    void Clear() { root_->ClearChildren(); }
    // The number of nodes at every level.
    int NodeCount() const;
    // Every node in display order: each node, then its children, depth first.
    std::vector<PartStorageNode*> DisplayOrder() const;

    bool operator==(const PartStorageTree& other) const { return root_->SameAs(*other.root_); }

private:
    std::unique_ptr<PartStorageNode> root_;
};

// The content of the `PartStorage` element for the tree: empty for an empty
// tree, else a line break and one indented line per node, each ended by
// CR LF. Nodes without caption are left out; their children are written in
// their place. Attribute values are escaped, node values written unchanged.
std::string PartStorageText(const PartStorageTree& tree);

// Rebuilds tree from the text of a `PartStorage` element (the whole element).
// An empty text empties the tree; a text holding no node leaves it as it is.
// Elements with more than one child node become nodes with children; the
// others become leaves whose value is their inner XML. Throws the reader's
// error for a text that is not well formed, leaving the tree unchanged.
void LoadPartStorageText(PartStorageTree& tree, const std::string& text);

} // namespace wpe
