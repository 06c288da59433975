#include "xml/XmlUtils.h"

#include <gtest/gtest.h>

#include <string>

namespace wpe {
namespace {

TRef<TXmlDDocument> Load(std::string_view xml)
{
    TRef<TXmlDDocument> doc(new TXmlDDocument);
    doc->LoadXml(xml);
    return doc;
}

std::string Walk(TXmlDNode* start, TXmlDNode* root)
{
    std::string out;
    for (TXmlDNode* n = start; n; n = root ? NextNodeWithin(n, root) : NextNode(n))
        out += n->NodeName() + " ";
    return out;
}

TEST(XmlUtils, WalksInDocumentOrder)
{
    auto doc = Load("<a><b/><c><d/></c></a>");
    TXmlDNode* a = doc->DocumentElement();
    EXPECT_EQ(Walk(a, nullptr), "a b c d ");
    EXPECT_EQ(Walk(doc.get(), nullptr), "#document a b c d ");
    TXmlDNode* c = a->LastChild();
    EXPECT_EQ(Walk(c, c), "c d ");
    TXmlDNode* b = a->FirstChild();
    EXPECT_EQ(NextNodeWithin(b, b), nullptr) << "b has a next sibling, but the walk stays inside b";
    EXPECT_EQ(NextNode(b), c);
    TRef<TXmlDElement> lone(new TXmlDElement("x"));
    EXPECT_EQ(NextNode(lone.get()), nullptr);
    EXPECT_EQ(NextNode(nullptr), nullptr);
}

TEST(XmlUtils, WalkClimbsOutOfDeepBranches)
{
    auto doc = Load("<r><a><b><c/></b></a><z/></r><s/>");
    TXmlDNode* r = doc->DocumentElement();
    EXPECT_EQ(Walk(r, nullptr), "r a b c z s ");
    EXPECT_EQ(Walk(r, r), "r a b c z ");
}

TEST(XmlUtils, WalkFollowsChildrenReplacedDuringTheVisit)
{
    auto doc = Load("<r><p><old/></p><q/></r>");
    std::string seen;
    for (TXmlDNode* n = doc->DocumentElement(); n; n = NextNode(n)) {
        seen += n->NodeName() + " ";
        if (n->NodeName() == "p") {
            n->ClearChildNodes();
            n->AppendChild(NewElement("new1", "", ""));
            n->AppendChild(NewElement("new2", "", ""));
        }
    }
    EXPECT_EQ(seen, "r p new1 new2 q ");
}

TEST(XmlUtils, NewElementAndNewAttribute)
{
    EXPECT_EQ(NewElement("xsl:apply-templates", "select", "header")->Xml(),
              "<xsl:apply-templates select=\"header\"/>");
    EXPECT_EQ(NewElement("td", "", "ignored")->Xml(), "<td/>");
    EXPECT_EQ(NewElement("td", "a", "")->Xml(), "<td a=\"\"/>");
    TRef<TXmlDAttribute> id = NewAttribute("id", "");
    EXPECT_EQ(id->Value(), "");
    EXPECT_EQ(id->ParentNode(), nullptr);
    EXPECT_EQ(NewAttribute("id", "x&y")->Xml(), "id=\"x&amp;y\"");
    TRef<TXmlDElement> e = NewElement("e", "", "");
    EXPECT_EQ(e->RefCount(), 1);
}

TEST(XmlUtils, GetAttrAndSetAttr)
{
    auto doc = Load("<e x=\"1\" y=\"2\"/>");
    TXmlDNode* e = doc->DocumentElement();
    SetAttr(e, "z", "3");
    EXPECT_EQ(e->AttributesXml(), " x=\"1\" y=\"2\" z=\"3\"");
    SetAttr(e, "x", "9");
    EXPECT_EQ(e->AttributesXml(), " x=\"9\" y=\"2\" z=\"3\"");
    EXPECT_EQ(GetAttr(e, "y"), "2");
    EXPECT_EQ(GetAttr(e, "none"), "");
    EXPECT_EQ(GetAttr(doc.get(), "x"), "");
    EXPECT_EQ(GetAttr(nullptr, "x"), "");
    EXPECT_EQ(e->Attributes().Item(2)->ParentNode(), e);
}

} // namespace
} // namespace wpe
