// Random edits of a small forest of nodes, made both on the document model
// and on a plain model of vectors, compared after every step: structure,
// links, indexes, errors and reference counts.

#include "xml/XXmlDom.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace wpe {
namespace {

struct ModelNode {
    int parent = -1;
    bool inAttributes = false;
    std::vector<int> children, attributes;
};

class DomModel {
public:
    explicit DomModel(unsigned seed) : rng_(seed)
    {
        for (int i = 0; i < kNodes; ++i) {
            // Two texts, which take no children through InsertChild.
            if (i < kNodes - 2)
                nodes_.emplace_back(new TXmlDElement("e" + std::to_string(i % 4)));
            else
                nodes_.emplace_back(new TXmlDText("t"));
            model_.emplace_back();
        }
    }

    void Step()
    {
        const int p = Pick(), n = Pick();
        const bool attrs = rng_() % 4 == 0;
        const int count = static_cast<int>(List(p, attrs).size());
        const int index = static_cast<int>(rng_() % (count + 3)) - 1; // -1 .. count + 1
        TXmlDNode* owner = nodes_[p].get();
        TXmlDNodeList& list = attrs ? static_cast<TXmlDNodeList&>(owner->Attributes()) : owner->ChildNodes();
        switch (rng_() % 9) {
        case 0:
        case 1: {
            const int expected = ModelInsertChild(p, n, index);
            Expect(expected, [&] { return owner->InsertChild(nodes_[n], index); });
            break;
        }
        case 2: {
            const int expected = ModelListInsert(p, attrs, n, index);
            Expect(expected, [&] { return list.Insert(nodes_[n], index); });
            break;
        }
        case 3: {
            const bool ok = index >= 0 && index < count;
            if (ok)
                Remove(List(p, attrs)[static_cast<std::size_t>(index)]);
            Expect(ok ? index : kFails, [&] {
                list.Delete(index);
                return index;
            });
            break;
        }
        case 4: {
            int expected = kFails;
            if (model_[n].parent < 0 && index >= 0 && index < count && !IsAncestorOrSelf(n, p)) {
                Remove(List(p, attrs)[static_cast<std::size_t>(index)]);
                expected = ModelListInsert(p, attrs, n, index);
            }
            Expect(expected, [&] { return list.Replace(nodes_[n], index); });
            break;
        }
        case 5: {
            int expected = kFails;
            if (model_[n].parent == p && !model_[n].inAttributes) {
                expected = IndexIn(n);
                Remove(n);
            }
            Expect(expected, [&] { return owner->RemoveChild(nodes_[n].get()); });
            break;
        }
        case 6:
            EXPECT_EQ(list.IndexOf(nodes_[n].get()),
                      model_[n].parent == p && model_[n].inAttributes == attrs ? IndexIn(n) : -1);
            break;
        case 7:
            if (rng_() % 8 == 0) {
                while (!List(p, attrs).empty())
                    Remove(List(p, attrs).back());
                list.Clear();
            }
            break;
        default:
            // Items in a random order, so the remembered position is used both ways.
            for (int k = 0; k < 4 && count > 0; ++k) {
                const int i = static_cast<int>(rng_() % count);
                EXPECT_EQ(list.Item(i), nodes_[List(p, attrs)[static_cast<std::size_t>(i)]].get());
            }
            break;
        }
        Check();
    }

private:
    static constexpr int kNodes = 12;
    static constexpr int kFails = -2;

    int Pick() { return static_cast<int>(rng_() % kNodes); }
    std::vector<int>& List(int p, bool attrs) { return attrs ? model_[p].attributes : model_[p].children; }
    int IndexIn(int n)
    {
        const std::vector<int>& l = List(model_[n].parent, model_[n].inAttributes);
        return static_cast<int>(std::find(l.begin(), l.end(), n) - l.begin());
    }
    void Remove(int n)
    {
        std::vector<int>& l = List(model_[n].parent, model_[n].inAttributes);
        l.erase(std::find(l.begin(), l.end(), n));
        model_[n].parent = -1;
        model_[n].inAttributes = false;
    }
    void Put(int p, bool attrs, int n, int index)
    {
        std::vector<int>& l = List(p, attrs);
        l.insert(l.begin() + index, n);
        model_[n].parent = p;
        model_[n].inAttributes = attrs;
    }
    bool IsAncestorOrSelf(int a, int p)
    {
        for (; p >= 0; p = model_[p].parent)
            if (p == a)
                return true;
        return false;
    }
    bool IsText(int n) const { return n >= kNodes - 2; }

    int ModelInsertChild(int p, int n, int index)
    {
        if (IsText(p) || IsAncestorOrSelf(n, p))
            return kFails;
        int count = static_cast<int>(model_[p].children.size());
        if (index != -1 && (index < 0 || index > count))
            return kFails;
        if (model_[n].parent >= 0) {
            if (model_[n].parent == p && !model_[n].inAttributes)
                --count;
            Remove(n);
        }
        if (index == -1 || index > count)
            index = count;
        Put(p, false, n, index);
        return index;
    }

    int ModelListInsert(int p, bool attrs, int n, int index)
    {
        const int count = static_cast<int>(List(p, attrs).size());
        if (model_[n].parent >= 0)
            return kFails;
        if (index == -1)
            index = count;
        if (index < 0 || index > count || IsAncestorOrSelf(n, p))
            return kFails;
        Put(p, attrs, n, index);
        return index;
    }

    template <class F>
    void Expect(int expected, F f)
    {
        int got = kFails;
        try {
            got = f();
        } catch (const Exception&) {
        }
        EXPECT_EQ(got, expected);
    }

    void CheckList(TXmlDNode* owner, const std::vector<int>& items, TXmlDNodeList& list, TXmlDNode* first)
    {
        ASSERT_EQ(list.Count(), static_cast<int>(items.size()));
        TXmlDNode* walked = first;
        for (std::size_t i = 0; i < items.size(); ++i) {
            TXmlDNode* n = nodes_[items[i]].get();
            ASSERT_EQ(walked, n);
            EXPECT_EQ(n->ParentNode(), owner);
            EXPECT_EQ(n->PreviousSibling(), i ? nodes_[items[i - 1]].get() : nullptr);
            walked = n->NextSibling();
        }
        EXPECT_EQ(walked, nullptr);
    }

    void Check()
    {
        for (int i = 0; i < kNodes; ++i) {
            TXmlDNode* node = nodes_[i].get();
            const ModelNode& m = model_[i];
            CheckList(node, m.children, node->ChildNodes(), node->FirstChild());
            CheckList(node, m.attributes, node->Attributes(), node->AttributeNodes().begin() == node->AttributeNodes().end()
                                                                   ? nullptr
                                                                   : *node->AttributeNodes().begin());
            EXPECT_EQ(node->LastChild(), m.children.empty() ? nullptr : nodes_[m.children.back()].get());
            EXPECT_EQ(node->HasChildNodes(), !m.children.empty());
            EXPECT_EQ(node->HasAttributes(), !m.attributes.empty());
            if (m.parent < 0) {
                EXPECT_EQ(node->ParentNode(), nullptr);
            }
            EXPECT_EQ(node->RefCount(), m.parent >= 0 ? 2 : 1);
        }
    }

    std::mt19937 rng_;
    std::vector<TRef<TXmlDNode>> nodes_;
    std::vector<ModelNode> model_;
};

TEST(XmlDomModel, RandomEditsMatchAPlainModel)
{
    for (unsigned seed = 1; seed <= 40; ++seed) {
        DomModel model(seed);
        for (int step = 0; step < 500; ++step) {
            model.Step();
            if (::testing::Test::HasFailure())
                FAIL() << "seed " << seed << ", step " << step;
        }
    }
}

// Lists made before the edits must see them (their count and position are
// remembered between calls).
TEST(XmlDomModel, ListsKeptAcrossEditsSeeThem)
{
    TRef<TXmlDElement> e(new TXmlDElement("e"));
    TXmlDNodeList& list = e->ChildNodes();
    for (int i = 0; i < 10; ++i)
        e->AppendChild(new TXmlDElement("c" + std::to_string(i)));
    EXPECT_EQ(list.Count(), 10);
    EXPECT_EQ(list.Item(7)->NodeName(), "c7");
    e->RemoveChild(e->FirstChild());
    EXPECT_EQ(list.Count(), 9);
    EXPECT_EQ(list.Item(7)->NodeName(), "c8");
    e->InsertChild(new TXmlDText("x"), 7);
    EXPECT_EQ(list.Item(7)->NodeName(), "#text");
    EXPECT_EQ(list.Item(8)->NodeName(), "c8");
    e->SetText("only");
    EXPECT_EQ(list.Count(), 1);
}

// A node put into a list of its own descendant would make a cycle that is
// never freed and never ends when written.
TEST(XmlDomModel, ListInsertRefusesAnAncestor)
{
    TRef<TXmlDElement> root(new TXmlDElement("r"));
    TRef<TXmlDElement> child(new TXmlDElement("c"));
    root->AppendChild(child);
    EXPECT_THROW(child->ChildNodes().Insert(root, -1), Exception);
    EXPECT_THROW(child->Attributes().Insert(root, -1), Exception);
    EXPECT_THROW(root->Attributes().Insert(root, -1), Exception);
    EXPECT_EQ(root->Xml(), "<r><c/></r>");
}

// Names are shared by the nodes of one load and by clones; each node keeps
// its name after the others are gone.
TEST(XmlDomModel, SharedNamesOutliveTheirDocument)
{
    TRef<TXmlDNode> clone, kept;
    {
        TRef<TXmlDDocument> doc(new TXmlDDocument);
        doc->LoadXml("<a x='1'><b x='2'/><b x='3'/></a>");
        TXmlDNode* b = doc->DocumentElement()->FirstChild();
        clone = b->CloneNode();
        kept = static_cast<TXmlDElement*>(b)->GetAttributeNode("x");
    }
    EXPECT_EQ(clone->Xml(), "<b/>");
    EXPECT_EQ(kept->Xml(), "x=\"2\"");
    EXPECT_EQ(kept->CloneNode()->NodeName(), "x");
}

} // namespace
} // namespace wpe
