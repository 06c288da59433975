#include "webpart/PartStorageTree.h"
#include "util/Text.h"

#include "xml/XXmlDom.h"

#include <algorithm>

namespace wpe {

// ---- tree to text ----

namespace {

std::string indent(int depth) { return std::string(static_cast<std::size_t>(2 * depth + 4), ' '); }

// True when node or a node below it has a caption and so is written.
bool writesSomething(const PartStorageNode& node) {
    if (!node.caption.empty()) return true;
    for (int i = 0; i < node.ChildCount(); ++i)
        if (writesSomething(*node.Child(i))) return true;
    return false;
}

bool hasWrittenChildren(const PartStorageNode& node) {
    for (int i = 0; i < node.ChildCount(); ++i)
        if (writesSomething(*node.Child(i))) return true;
    return false;
}

// An element the writer has opened and not yet closed: a named node with
// named descendants. (One whose children are all unnamed is written as a
// leaf: opened and closed on two lines, its value would read back with the
// line break and indentation added, and grow with every save.)
struct OpenElement {
    const PartStorageNode* node;
};

bool isAncestor(const PartStorageNode* candidate, const PartStorageNode* node) {
    for (const PartStorageNode* p = node->Parent(); p; p = p->Parent())
        if (p == candidate) return true;
    return false;
}

// Closes the open elements that do not hold next (all of them at the end,
// when next is null). The closing lines step back one level per line from
// the depth of the last written node, whatever the depths of the elements
// they close: below an unnamed node a closing line is indented deeper than
// its start tag, the layout written part files have always had.
void closeBefore(const PartStorageNode* next, int last, std::vector<OpenElement>& open, std::string& out) {
    int level = last - 1;
    while (!open.empty() && !(next && isAncestor(open.back().node, next))) {
        out += indent(std::max(level--, 0)) + "</" + open.back().node->caption + ">\r\n";
        open.pop_back();
    }
}

} // namespace

std::string PartStorageText(const PartStorageTree& tree) {
    if (tree.Empty()) return {};
    std::string out = "\r\n";
    std::vector<OpenElement> open;
    int last = 0;
    for (const PartStorageNode* node : tree.DisplayOrder()) {
        // A node the user never named has no element of its own; its named
        // descendants still carry data, so they are written where they stand.
        if (node->caption.empty()) continue;
        int d = node->Depth();
        closeBefore(node, last, open, out);
        std::string attrs;
        for (const TNodeAttr& a : node->attrs) attrs += " " + a.name + "=\"" + XmlEscape(a.value) + "\"";
        if (hasWrittenChildren(*node)) {
            out += indent(d) + "<" + node->caption + attrs + ">" + node->value + "\r\n";
            open.push_back({node});
        } else {
            out += indent(d) + "<" + node->caption + attrs + ">" + node->value + "</" + node->caption + ">\r\n";
        }
        last = d;
    }
    closeBefore(nullptr, last, open, out);
    return out;
}

// ---- text to tree ----

namespace {

// Deeper trees are refused rather than walked, so a hostile file cannot
// exhaust the stack of the recursive tree operations.
constexpr int kMaxDepth = 256;

// The writer puts a line break and indentation after a parent's value; that
// tail is not part of the value, so reading it back must not keep it.
std::string withoutLineTail(std::string value) {
    const std::size_t end = TrimBlanksRight(value).size();
    std::size_t cut = value.find_first_of("\r\n", end);
    if (cut != std::string::npos) value.erase(cut);
    return value;
}

void addChildren(const TXmlDNode& element, PartStorageNode& parent, int depth) {
    if (depth > kMaxDepth) throw Exception("Part storage is nested too deeply");
    for (TXmlDNode* c : element.Children()) {
        if (c->NodeType() != ntElement) continue;
        PartStorageNode* node = parent.AddChild(c->NodeName());
        for (TXmlDNode* a : c->AttributeNodes()) node->attrs.push_back({a->NodeName(), a->NodeValue()});
        node->attrColumn = AttributeColumnText(node->attrs);
        if (c->FirstChild() && c->FirstChild()->NextSibling()) {
            // The value is kept as markup, like a leaf's, so that it is written back as read.
            TXmlDNode* first = c->FirstChild();
            if (first->NodeType() == ntText || first->NodeType() == ntCDATASection)
                node->value = withoutLineTail(first->Xml());
            addChildren(*c, *node, depth + 1);
        } else {
            node->value = c->InnerXml();
        }
    }
}

} // namespace

void LoadPartStorageText(PartStorageTree& tree, const std::string& text) {
    if (text.empty()) {
        tree.Clear();
        return;
    }
    TRef<TXmlDDocument> doc = MakeRef<TXmlDDocument>();
    doc->LoadXml(text);
    TXmlDNode* first = doc->FirstChild();
    if (!first) return;
    PartStorageTree fresh;
    addChildren(*first, fresh.Root(), 0);
    tree = std::move(fresh);
}

} // namespace wpe
