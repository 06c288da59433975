#include "webpart/PartStorageTree.h"
#include "util/Text.h"

#include "xml/XXmlDom.h"

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

void writeNode(const PartStorageNode& node, int depth, std::string& out) {
    if (node.caption.empty()) {
        // A node the user never named has no element of its own; its named
        // children still carry data, so they are written where it stood.
        for (int i = 0; i < node.ChildCount(); ++i) writeNode(*node.Child(i), depth + 1, out);
        return;
    }
    std::string attrs;
    for (const TNodeAttr& a : node.attrs) attrs += " " + a.name + "=\"" + XmlEscape(a.value) + "\"";
    if (hasWrittenChildren(node)) {
        out += indent(depth) + "<" + node.caption + attrs + ">" + node.value + "\r\n";
        for (int i = 0; i < node.ChildCount(); ++i) writeNode(*node.Child(i), depth + 1, out);
        out += indent(depth) + "</" + node.caption + ">\r\n";
    } else {
        out += indent(depth) + "<" + node.caption + attrs + ">" + node.value + "</" + node.caption + ">\r\n";
    }
}

} // namespace

std::string PartStorageText(const PartStorageTree& tree) {
    if (tree.Empty()) return {};
    std::string out = "\r\n";
    for (int i = 0; i < tree.Root().ChildCount(); ++i) writeNode(*tree.Root().Child(i), 0, out);
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
    for (TXmlDNode* c : element.ChildNodes()) {
        if (c->NodeType() != ntElement) continue;
        PartStorageNode* node = parent.AddChild(c->NodeName());
        for (TXmlDNode* a : c->Attributes()) node->attrs.push_back({a->NodeName(), a->NodeValue()});
        node->attrColumn = AttributeColumnText(node->attrs);
        if (c->ChildNodes().Count() > 1) {
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
