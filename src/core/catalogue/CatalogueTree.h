#pragma once
// The catalogue tree: an ordered tree of category nodes (linked to their
// TCatData) and web part nodes (linked to their TWPData, no children). The
// frame keeps a browse tree and an edit tree; a copy shares the links, so
// lists, expanded flags and entries are common to both.

#include "catalogue/CatalogueData.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace wpe {

enum class TNodeKind : std::uint8_t { Category = 0, WebPart = 1 };

class TCatTree;

class TCatNode {
public:
    const std::string& Text() const { return text_; }
    TNodeKind Kind() const { return kind_; }
    bool IsCategory() const { return kind_ == TNodeKind::Category; }
    bool IsWebPart() const { return kind_ == TNodeKind::WebPart; }
    // The category's list (category nodes; may be null) and the entry (web part nodes).
    TCatData* CatData() const { return catData_.get(); }
    const TCatDataPtr& CatDataLink() const { return catData_; }
    TWPData* Entry() const { return entry_.get(); }
    const TWPDataPtr& EntryLink() const { return entry_; }

    // The parent node, or nullptr at the top level.
    TCatNode* Parent() const;
    size_t Count() const { return children_.size(); }
    bool HasChildren() const { return !children_.empty(); }
    TCatNode* Child(size_t i) const { return children_[i].get(); }
    // Position among the siblings, 0-based.
    size_t Index() const { return pos_; }
    TCatNode* PrevSibling() const;
    TCatNode* NextSibling() const;
    // 0 for a top-level node.
    int Level() const;
    // True when this node is other itself or lies in other's subtree.
    bool IsWithin(const TCatNode* other) const;
    TCatTree& Tree() const { return *tree_; }

private:
    // First, so that the flag below shares their word: a large catalogue
    // holds hundreds of thousands of nodes.
    std::uint32_t pos_ = 0;  // index among the siblings
    TNodeKind kind_ = TNodeKind::Category;

public:
    // View state: whether the node is shown expanded.
    bool expanded = false;

private:
    friend class TCatTree;
    struct ChildIndex;

    TCatNode(TCatTree* tree, TCatNode* parent);
    ~TCatNode();
    // Nodes live in their tree's blocks; a node's memory goes back there.
    struct Deleter { void operator()(TCatNode* n) const; };
    using Owned = std::unique_ptr<TCatNode, Deleter>;

    // Walking a level: asks for the node some steps ahead, and for the
    // counts of the entry of a node nearer by (see the .cpp).
    static void PrefetchAhead(const std::vector<Owned>& nodes, size_t i, bool entries);

    void InvalidateIndex();
    ChildIndex& Index_() const;
    // Keeps every child's position from index `from` on in step with the vector.
    void Renumber(size_t from = 0);

    TCatTree* tree_;
    TCatNode* parent_;  // the hidden root for top-level nodes; null only for the root
    std::string text_;
    TCatDataPtr catData_;
    TWPDataPtr entry_;
    std::vector<Owned> children_;
    mutable std::unique_ptr<ChildIndex> index_;
};

class TCatTree {
public:
    static constexpr size_t kEnd = static_cast<size_t>(-1);

    TCatTree();
    ~TCatTree();
    TCatTree(const TCatTree&) = delete;
    TCatTree& operator=(const TCatTree&) = delete;

    // Children of parent, where a null parent stands for the top level.
    size_t Count(const TCatNode* parent = nullptr) const;
    TCatNode* Child(const TCatNode* parent, size_t i) const;
    bool IsEmpty() const { return Count() == 0; }
    // Number of nodes in the whole tree.
    size_t NodeCount() const;

    // Tree order: each node before its children, children in order.
    TCatNode* First() const;
    TCatNode* Next(const TCatNode* node) const;
    // The next node in tree order that is not inside node's subtree.
    TCatNode* NextSkippingChildren(const TCatNode* node) const;
    // The node before this one in tree order, or nullptr.
    TCatNode* Previous(const TCatNode* node) const;
    // 0-based position of the node in tree order over the whole tree.
    size_t AbsoluteIndex(const TCatNode* node) const;
    void ForEach(const std::function<void(TCatNode*)>& visit) const;

    // A new category node inserted at index among parent's children (kEnd appends).
    TCatNode* AddCategory(TCatNode* parent, std::string name, TCatDataPtr data, size_t index = kEnd);
    // A new web part node showing the entry's title, appended to parent's children.
    TCatNode* AddWebPart(TCatNode* parent, TWPDataPtr entry, size_t index = kEnd);
    // Removes the node with its subtree.
    void Delete(TCatNode* node);
    // Moves node (with its subtree) to index among newParent's children
    // (counted after the node left its place; kEnd appends).
    void Move(TCatNode* node, TCatNode* newParent, size_t index = kEnd);
    void SetText(TCatNode* node, std::string text);
    // Links a category node to a list.
    void SetCatData(TCatNode* node, TCatDataPtr data) { node->catData_ = std::move(data); }
    void Clear();
    // Makes this tree a copy of source; the copy shares every link.
    void CopyFrom(const TCatTree& source);
    // Removes every node (with its subtree) for which the predicate holds.
    void RemoveIf(const std::function<bool(const TCatNode*)>& pred);
    // Sorts the direct children of parent (null: the top level), stable;
    // with recursive set every level below as well.
    void SortChildren(TCatNode* parent, const std::function<bool(const TCatNode*, const TCatNode*)>& less,
                      bool recursive);

    // SortChildren for an order that a key per node mostly decides: nodes
    // with different keys go by key, equal keys by tieLess. The key must
    // agree with the order (a smaller key only for a node that comes first);
    // comparing keys spares following the pointers of large levels.
    struct SortKey {
        std::uint64_t high = 0, low = 0;
        auto operator<=>(const SortKey&) const = default;
    };
    void SortChildrenByKey(TCatNode* parent, const std::function<SortKey(const TCatNode*)>& key,
                           const std::function<bool(const TCatNode*, const TCatNode*)>& tieLess, bool recursive);

    // First category child of parent whose name equals name ASCII-caseless.
    // Constant time on average: large levels are indexed.
    TCatNode* FindCategoryChild(const TCatNode* parent, std::string_view name) const;
    // Whether parent has a web part child with this title (ASCII-caseless)
    // whose entry has this file name (without case). Indexed like the above.
    bool HasWebPartChild(const TCatNode* parent, std::string_view title, std::string_view fileName) const;

private:
    TCatNode* Container(const TCatNode* parent) const;
    TCatNode* Insert(TCatNode* owner, TCatNode::Owned node, size_t index);
    void CopyChildren(const TCatNode* from, TCatNode* to);

    friend struct TCatNode::Deleter;
    TCatNode::Owned NewNode(TCatNode* parent);
    void ReleaseNode(TCatNode* node);

    // Nodes are carved from blocks the tree owns and reused through a free
    // list: a large catalogue makes and drops hundreds of thousands of them,
    // and one allocation each made building and freeing them the slow part.
    // Declared before root_, so they outlive every node.
    std::vector<std::unique_ptr<unsigned char[]>> nodeBlocks_;
    size_t blockCapacity_ = 0;  // nodes in the last block
    size_t blockUsed_ = 0;      // of them handed out
    void* freeNodes_ = nullptr;
    TCatNode::Owned root_;
};

} // namespace wpe
