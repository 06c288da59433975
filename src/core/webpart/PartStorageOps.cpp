#include "webpart/PartStorageOps.h"
#include "util/Text.h"

#include <algorithm>
#include <memory>

namespace wpe {

namespace {

std::unique_ptr<PartStorageNode> newNode() {
    return std::make_unique<PartStorageNode>(std::string());
}

void sortRecursively(PartStorageNode& node) {
    SortSubtree(node);
    for (int i = 0; i < node.ChildCount(); ++i)
        sortRecursively(*node.Child(i));
}

} // namespace

bool CaptionLess(const PartStorageNode& a, const PartStorageNode& b) {
    const std::string& x = a.caption;
    const std::string& y = b.caption;
    if (LessAsciiLowerCaseless(x, y))
        return true;
    return !LessAsciiLowerCaseless(y, x) && x < y;
}

PartStorageNode* AddNode(PartStorageTree& tree, PartStorageNode* selected) {
    if (!selected || !selected->Parent())
        return tree.Root().InsertChild(-1, newNode());
    return selected->Parent()->InsertChild(selected->Index() + 1, newNode());
}

PartStorageNode* AddChildNode(PartStorageNode& parent) {
    return parent.InsertChild(-1, newNode());
}

void DeleteNode(PartStorageNode& node) {
    if (PartStorageNode* parent = node.Parent())
        parent->TakeChild(node.Index());
}

bool MoveLeft(PartStorageNode& node) {
    PartStorageNode* parent = node.Parent();
    if (!parent || !parent->Parent())
        return false;
    PartStorageNode* grand = parent->Parent();
    int at = parent->Index() + 1;
    grand->InsertChild(at, parent->TakeChild(node.Index()));
    return true;
}

bool MoveRight(PartStorageNode& node) {
    PartStorageNode* previous = node.PreviousSibling();
    if (!previous)
        return false;
    previous->InsertChild(-1, node.Parent()->TakeChild(node.Index()));
    return true;
}

bool MoveUp(PartStorageNode& node) {
    int index = node.Index();
    if (index <= 0)
        return false;
    PartStorageNode* parent = node.Parent();
    parent->InsertChild(index - 1, parent->TakeChild(index));
    return true;
}

bool MoveDown(PartStorageNode& node) {
    PartStorageNode* next = node.NextSibling();
    if (!next)
        return false;
    PartStorageNode* parent = node.Parent();
    int index = node.Index();
    parent->InsertChild(index, parent->TakeChild(index + 1));
    return true;
}

void SortSubtree(PartStorageNode& node) {
    if (node.HasChildren())
        node.SortChildren(CaptionLess);
}

void SortTotalTree(PartStorageTree& tree) {
    sortRecursively(tree.Root());
}

std::string CleanCaption(const std::string& typed) {
    const char* const blanks = " \t\r\n";
    std::size_t first = typed.find_first_not_of(blanks);
    if (first == std::string::npos)
        return {};
    std::string caption = typed.substr(first, typed.find_last_not_of(blanks) - first + 1);
    std::replace(caption.begin(), caption.end(), ' ', '_');
    return caption;
}

std::string StoredValueOf(const std::string& editorText) {
    std::size_t lineEnd = editorText.find_first_of("\r\n");
    if (lineEnd == std::string::npos)
        return editorText;
    std::size_t next = lineEnd + 1;
    if (editorText[lineEnd] == '\r' && next < editorText.size() && editorText[next] == '\n')
        ++next;
    if (next >= editorText.size())
        return editorText.substr(0, lineEnd);
    return editorText;
}

std::vector<bool> CheckedAttributeItems(const PartStorageNode& node, const std::vector<std::string>& items) {
    std::vector<bool> checked(items.size(), false);
    std::size_t attr = 0;
    for (std::size_t i = 0; i < items.size() && attr < node.attrs.size(); ++i) {
        if (items[i] == node.attrs[attr].name) {
            checked[i] = true;
            ++attr;
        }
    }
    return checked;
}

std::string CheckListText(const std::vector<std::string>& items, const std::vector<bool>& checked) {
    std::string text = "[";
    bool first = true;
    for (std::size_t i = 0; i < items.size() && i < checked.size(); ++i) {
        if (!checked[i])
            continue;
        if (!first)
            text += ',';
        text += items[i];
        first = false;
    }
    return text + "]";
}

void ReplaceAttributes(PartStorageNode& node, const std::vector<std::string>& items,
                       const std::vector<bool>& checked) {
    node.attrs.clear();
    for (std::size_t i = 0; i < items.size() && i < checked.size(); ++i)
        if (checked[i])
            node.attrs.push_back({items[i], "true"});
    node.attrColumn = CheckListText(items, checked);
}

} // namespace wpe
