#include "webpart/PartStorageTree.h"

#include <algorithm>
#include <stdexcept>

namespace wpe {

// ---- attribute column ----

std::string AttributeColumnText(const std::vector<TNodeAttr>& attrs) {
    std::string text = "[";
    for (std::size_t i = 0; i < attrs.size(); ++i) {
        if (i > 0) text += ',';
        text += attrs[i].name;
    }
    return text + "]";
}

// ---- nodes ----

PartStorageNode::PartStorageNode(std::string caption) : caption(std::move(caption)) {}

int PartStorageNode::Index() const {
    if (!parent_) return -1;
    const auto& siblings = parent_->children_;
    for (std::size_t i = 0; i < siblings.size(); ++i)
        if (siblings[i].get() == this) return static_cast<int>(i);
    return -1;
}

int PartStorageNode::Depth() const {
    int depth = -1;
    for (const PartStorageNode* n = parent_; n; n = n->parent_) ++depth;
    return depth;
}

PartStorageNode* PartStorageNode::PreviousSibling() const {
    int i = Index();
    return i > 0 ? parent_->Child(i - 1) : nullptr;
}

PartStorageNode* PartStorageNode::NextSibling() const {
    int i = Index();
    return (i >= 0 && i + 1 < parent_->ChildCount()) ? parent_->Child(i + 1) : nullptr;
}

PartStorageNode* PartStorageNode::InsertChild(int index, std::unique_ptr<PartStorageNode> node) {
    if (!node) throw std::invalid_argument("PartStorageNode::InsertChild: no node");
    if (index < 0 || index > ChildCount()) index = ChildCount();
    for (const PartStorageNode* n = this; n; n = n->parent_)
        if (n == node.get()) throw std::invalid_argument("PartStorageNode::InsertChild: node into its own subtree");
    node->parent_ = this;
    PartStorageNode* raw = node.get();
    children_.insert(children_.begin() + index, std::move(node));
    return raw;
}

PartStorageNode* PartStorageNode::AddChild(const std::string& caption) {
    return InsertChild(-1, std::make_unique<PartStorageNode>(caption));
}

std::unique_ptr<PartStorageNode> PartStorageNode::TakeChild(int index) {
    if (index < 0 || index >= ChildCount()) throw std::out_of_range("PartStorageNode::TakeChild: bad index");
    std::unique_ptr<PartStorageNode> node = std::move(children_[static_cast<std::size_t>(index)]);
    children_.erase(children_.begin() + index);
    node->parent_ = nullptr;
    return node;
}

void PartStorageNode::ClearChildren() { children_.clear(); }

void PartStorageNode::SortChildren(
    const std::function<bool(const PartStorageNode&, const PartStorageNode&)>& less) {
    std::stable_sort(children_.begin(), children_.end(),
                     [&](const auto& a, const auto& b) { return less(*a, *b); });
}

std::unique_ptr<PartStorageNode> PartStorageNode::Clone() const {
    auto copy = std::make_unique<PartStorageNode>(caption);
    copy->value = value;
    copy->attrColumn = attrColumn;
    copy->attrs = attrs;
    for (const auto& child : children_) copy->InsertChild(-1, child->Clone());
    return copy;
}

bool PartStorageNode::SameAs(const PartStorageNode& other) const {
    if (caption != other.caption || value != other.value || attrColumn != other.attrColumn ||
        attrs != other.attrs || children_.size() != other.children_.size())
        return false;
    for (std::size_t i = 0; i < children_.size(); ++i)
        if (!children_[i]->SameAs(*other.children_[i])) return false;
    return true;
}

// ---- tree ----

PartStorageTree::PartStorageTree() : root_(std::make_unique<PartStorageNode>()) {}

PartStorageTree::PartStorageTree(const PartStorageTree& other) : root_(other.root_->Clone()) {}

PartStorageTree& PartStorageTree::operator=(const PartStorageTree& other) {
    if (this != &other) root_ = other.root_->Clone();
    return *this;
}

namespace {

void collect(const PartStorageNode& node, std::vector<PartStorageNode*>& out) {
    for (int i = 0; i < node.ChildCount(); ++i) {
        out.push_back(node.Child(i));
        collect(*node.Child(i), out);
    }
}

} // namespace

int PartStorageTree::NodeCount() const { return static_cast<int>(DisplayOrder().size()); }

std::vector<PartStorageNode*> PartStorageTree::DisplayOrder() const {
    std::vector<PartStorageNode*> out;
    collect(*root_, out);
    return out;
}

} // namespace wpe
