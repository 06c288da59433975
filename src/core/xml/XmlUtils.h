#pragma once
// Convenience functions over the document model, for code that rewrites
// documents: one-call elements and attributes, attribute access on any node,
// and a document-order walk that may change the nodes it passes.

#include "xml/XXmlDom.h"

#include <string>
#include <string_view>

namespace wpe {

// A new element in no list; when attrName is not empty, that attribute is set
// to attrValue. The caller inserts it (AppendChild takes the reference).
TRef<TXmlDElement> NewElement(std::string_view tagName, std::string_view attrName, std::string_view attrValue);
// A new attribute node; its value stays empty when value is empty.
TRef<TXmlDAttribute> NewAttribute(std::string_view name, std::string_view value);
// The value of node's attribute called name, or "" when there is none.
std::string GetAttr(const TXmlDNode* node, std::string_view name);
// Sets node's attribute called name to value; a new one goes after the others.
void SetAttr(TXmlDNode* node, std::string_view name, std::string_view value);
// The node after node in document order (pre-order), or null. Computed from
// the tree as it is now, so a walk goes on into children added meanwhile.
TXmlDNode* NextNode(const TXmlDNode* node);
// As NextNode, but never leaves the subtree of root; null at its end.
TXmlDNode* NextNodeWithin(const TXmlDNode* node, const TXmlDNode* root);

} // namespace wpe
