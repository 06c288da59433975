#include "xml/XmlUtils.h"

namespace wpe {

TRef<TXmlDElement> NewElement(std::string_view tagName, std::string_view attrName, std::string_view attrValue)
{
    TRef<TXmlDElement> e(new TXmlDElement(std::string(tagName)));
    if (!attrName.empty())
        e->SetAttribute(attrName, std::string(attrValue));
    return e;
}

TRef<TXmlDAttribute> NewAttribute(std::string_view name, std::string_view value)
{
    TRef<TXmlDAttribute> a(new TXmlDAttribute(std::string(name)));
    if (!value.empty())
        a->SetNodeValue(std::string(value));
    return a;
}

std::string GetAttr(const TXmlDNode* node, std::string_view name)
{
    if (!node)
        return {};
    TXmlDNode* a = node->FindAttribute(name);
    return a ? a->NodeValue() : std::string();
}

void SetAttr(TXmlDNode* node, std::string_view name, std::string_view value)
{
    if (!node)
        throw Exception("XML: Не задан узел");
    TXmlDNode* a = node->FindAttribute(name);
    if (a)
        a->SetNodeValue(std::string(value));
    else
        node->Attributes().SetNamedItem(NewAttribute(name, value));
}

TXmlDNode* NextNode(const TXmlDNode* node)
{
    return NextNodeWithin(node, nullptr);
}

TXmlDNode* NextNodeWithin(const TXmlDNode* node, const TXmlDNode* root)
{
    if (!node)
        return nullptr;
    if (node->HasChildNodes())
        return node->FirstChild();
    for (const TXmlDNode* n = node; n && n != root; n = n->ParentNode())
        if (n->NextSibling())
            return n->NextSibling();
    return nullptr;
}

} // namespace wpe
