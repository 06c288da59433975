// The tree itself and the commands of the category editor.

#include "CatalogueTestSupport.h"

#include "catalogue/CategoryChanges.h"
#include "catalogue/CategoryEditing.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace wpe::test {
namespace {

class CategoryEditing : public ::testing::Test {
protected:
    TCatNode* Add(TCatNode* parent, const std::string& name)
    {
        return tree.AddCategory(parent, name, cat.NewCatData());
    }
    TCatNode* Node(const std::string& path) { return cat.FindCategoryNode(tree, path); }

    TCatalogue cat;
    TCatTree tree;
};

TEST_F(CategoryEditing, AddAfterSelectedOrAtTheEnd)
{
    TCatNode* a = Add(nullptr, "A");
    Add(nullptr, "B");
    TCatNode* first = AddCategoryAfter(cat, tree, nullptr);
    TCatNode* second = AddCategoryAfter(cat, tree, nullptr);
    EXPECT_EQ(first->Text(), "NewCategory_0");
    EXPECT_EQ(second->Text(), "NewCategory_1");
    AddCategoryAfter(cat, tree, a);
    EXPECT_EQ(Level(tree), (std::vector<std::string>{"A", "NewCategory_2", "B", "NewCategory_0", "NewCategory_1"}));
    EXPECT_TRUE(cat.IsRegistered(first->CatData()));

    TCatNode* child = AddChildCategory(cat, tree, a);
    TCatNode* after = AddCategoryAfter(cat, tree, child);
    EXPECT_EQ(Level(tree, a), (std::vector<std::string>{"NewCategory_3", "NewCategory_4"}));
    EXPECT_EQ(after->Parent(), a);
    EXPECT_TRUE(a->expanded);
    EXPECT_EQ(AddChildCategory(cat, tree, nullptr), nullptr);
}

TEST_F(CategoryEditing, DeleteRemovesTheSubtreeAndItsLists)
{
    TCatNode* a = Add(nullptr, "A");
    TCatNode* b = Add(a, "B");
    Add(b, "C");
    Add(nullptr, "D");
    const TCatData* cList = Node("A/B/C")->CatData();
    DeleteCategory(cat, b);
    EXPECT_EQ(Outline(tree), (std::vector<std::string>{"A", "D"}));
    EXPECT_FALSE(cat.IsRegistered(cList));
    EXPECT_EQ(cat.CategoryListCount(), 2u);
}

TEST_F(CategoryEditing, DeleteKeepsListsAliveForTheOtherTree)
{
    TCatNode* a = Add(nullptr, "A");
    auto entry = std::make_shared<TWPData>();
    entry->fileName = "/w.xml";
    a->CatData()->Add(entry);
    TCatTree other;
    other.CopyFrom(tree);
    DeleteCategory(cat, a);
    // The browse tree still links the discarded list until it is replaced.
    ASSERT_EQ(other.Count(), 1u);
    EXPECT_EQ(other.Child(nullptr, 0)->CatData()->Count(), 1u);
    EXPECT_TRUE(cat.RootList().Contains(entry.get()));
}

TEST(CatData, MembershipFollowsAddRemoveClearAndDestruction)
{
    auto entry = std::make_shared<TWPData>();
    auto other = std::make_shared<TWPData>();
    auto a = std::make_shared<TCatData>();
    {
        TCatData b;
        EXPECT_TRUE(a->Add(entry));
        EXPECT_FALSE(a->Add(entry));
        EXPECT_TRUE(b.Add(entry));
        EXPECT_TRUE(b.Add(other));
        EXPECT_EQ(entry->lists.size(), 2u);
        EXPECT_TRUE(b.Remove(other.get()));
        EXPECT_FALSE(b.Remove(other.get()));
        EXPECT_FALSE(b.Contains(other.get()));
        EXPECT_TRUE(other->lists.empty());
    }
    // A list that goes away leaves no trace in its entries.
    EXPECT_EQ(std::vector<const TCatData*>(entry->lists.begin(), entry->lists.end()), std::vector<const TCatData*>{a.get()});
    a->Clear();
    EXPECT_TRUE(entry->lists.empty());
    EXPECT_FALSE(a->Contains(entry.get()));
    EXPECT_EQ(a->Count(), 0u);
}

TEST_F(CategoryEditing, RenameOfNamelessNodeGetsDefault)
{
    TCatNode* n = Add(nullptr, "");
    EXPECT_FALSE(RenameCategory(cat, n, ""));
    EXPECT_EQ(n->Text(), "NewCategory_0");
}

TEST_F(CategoryEditing, SortOneLevelAndWholeTree)
{
    TCatNode* p = Add(nullptr, "p");
    for (const char* n : {"b", "B", "a", "C"})
        Add(p, n);
    Add(Node("p/b"), "z");
    Add(Node("p/b"), "y");
    Add(nullptr, "Alpha");
    SortCategoryLevel(tree, p);
    EXPECT_EQ(Level(tree, p), (std::vector<std::string>{"a", "b", "B", "C"}));
    EXPECT_EQ(Level(tree, Node("p/b")), (std::vector<std::string>{"z", "y"}));
    EXPECT_EQ(Level(tree), (std::vector<std::string>{"p", "Alpha"}));
    SortCategoryLevel(tree, nullptr);  // needs a selection
    EXPECT_EQ(Level(tree), (std::vector<std::string>{"p", "Alpha"}));

    SortCategoryTree(tree);
    EXPECT_EQ(Outline(tree), (std::vector<std::string>{"Alpha", "p", "  a", "  b", "    y", "    z", "  B", "  C"}));
    // Positions follow the sort, so sibling steps still work.
    EXPECT_EQ(Node("p/b")->NextSibling()->Text(), "B");
    EXPECT_EQ(Node("p/C")->PrevSibling()->Text(), "B");
}

TEST_F(CategoryEditing, CopySharesLinksAndIsIndependentInShape)
{
    TCatNode* a = Add(nullptr, "A");
    Add(a, "B");
    auto entry = std::make_shared<TWPData>();
    entry->title = "W";
    entry->fileName = "/w.xml";
    tree.AddWebPart(a, entry);
    a->expanded = true;

    TCatTree copy;
    copy.CopyFrom(tree);
    EXPECT_EQ(Outline(copy), Outline(tree));
    TCatNode* ca = copy.Child(nullptr, 0);
    EXPECT_EQ(ca->CatData(), a->CatData());
    EXPECT_EQ(ca->Child(1)->Entry(), entry.get());
    EXPECT_TRUE(ca->expanded);
    EXPECT_EQ(&ca->Tree(), &copy);

    RemoveWebPartNodes(copy);
    copy.SetText(ca, "Renamed");
    EXPECT_EQ(Outline(copy), (std::vector<std::string>{"Renamed", "  B"}));
    EXPECT_EQ(Outline(tree), (std::vector<std::string>{"A", "  B", "  *W"}));
    copy.CopyFrom(copy);  // copying onto itself keeps it
    EXPECT_EQ(copy.NodeCount(), 2u);
}

TEST_F(CategoryEditing, TreeOrderWalksBothWays)
{
    TCatNode* a = Add(nullptr, "A");
    TCatNode* b = Add(a, "B");
    TCatNode* c = Add(b, "C");
    TCatNode* d = Add(nullptr, "D");
    std::vector<TCatNode*> forward;
    for (TCatNode* n = tree.First(); n; n = tree.Next(n))
        forward.push_back(n);
    EXPECT_EQ(forward, (std::vector<TCatNode*>{a, b, c, d}));
    EXPECT_EQ(tree.Previous(d), c);
    EXPECT_EQ(tree.Previous(c), b);
    EXPECT_EQ(tree.Previous(a), nullptr);
    EXPECT_EQ(tree.NextSkippingChildren(a), d);
    EXPECT_EQ(tree.AbsoluteIndex(d), 3u);
    EXPECT_EQ(c->Level(), 2);
    EXPECT_TRUE(c->IsWithin(a));
    EXPECT_FALSE(a->IsWithin(c));
}

TEST_F(CategoryEditing, LargeLevelLookupsStayRightAfterChanges)
{
    TCatNode* big = Add(nullptr, "Big");
    std::vector<TWPDataPtr> entries;
    for (int i = 0; i < 200; ++i) {
        entries.push_back(std::make_shared<TWPData>());
        entries.back()->title = "Part" + std::to_string(i);
        entries.back()->fileName = "/s/p" + std::to_string(i) + ".xml";
        tree.AddWebPart(big, entries.back());
        Add(big, "Cat" + std::to_string(i));
    }
    EXPECT_TRUE(tree.HasWebPartChild(big, "PART7", "/S/P7.XML"));
    EXPECT_FALSE(tree.HasWebPartChild(big, "Part7", "/s/p8.xml"));
    EXPECT_EQ(tree.FindCategoryChild(big, "cat150"), Node("Big/Cat150"));

    // Changes made after the index was built are seen by the next lookup.
    tree.SetText(Node("Big/Cat150"), "Renamed");
    EXPECT_EQ(tree.FindCategoryChild(big, "cat150"), nullptr);
    EXPECT_NE(tree.FindCategoryChild(big, "RENAMED"), nullptr);
    tree.RemoveIf([](const TCatNode* n) { return n->IsWebPart() && n->Text() == "Part7"; });
    EXPECT_FALSE(tree.HasWebPartChild(big, "Part7", "/s/p7.xml"));
    TCatNode* dup = tree.AddCategory(big, "cat3", cat.NewCatData(), 0);
    EXPECT_EQ(tree.FindCategoryChild(big, "CAT3"), dup);  // the first in order wins
    tree.AddWebPart(big, entries[7]);
    EXPECT_TRUE(tree.HasWebPartChild(big, "Part7", "/s/p7.xml"));
    TCatNode* moved = Node("Big/Cat10");
    tree.Move(moved, nullptr);
    EXPECT_EQ(tree.FindCategoryChild(big, "Cat10"), nullptr);
    EXPECT_EQ(tree.FindCategoryChild(nullptr, "cat10"), moved);
    for (size_t i = 0; i < big->Count(); ++i)
        ASSERT_EQ(big->Child(i)->Index(), i);
}

TEST_F(CategoryEditing, RebuildWebPartNodesFromLists)
{
    TCatNode* a = Add(nullptr, "A");
    TCatNode* b = Add(a, "B");
    auto w = std::make_shared<TWPData>();
    w->title = "W";
    w->fileName = "/w.xml";
    auto v = std::make_shared<TWPData>();
    v->title = "V";
    v->fileName = "/v.xml";
    a->CatData()->Add(w);
    b->CatData()->Add(w);
    b->CatData()->Add(v);
    cat.RootList().Add(v);
    RebuildWebPartNodes(cat, tree);
    EXPECT_EQ(Outline(tree), (std::vector<std::string>{"A", "  B", "    *W", "    *V", "  *W", "*V"}));
    RebuildWebPartNodes(cat, tree);  // nothing twice
    EXPECT_EQ(tree.NodeCount(), 6u);
}

TEST(ShippedCategoryFile, LoadsWithTheSamplePortal)
{
    const char* data = std::getenv("WPE_DATA_DIR");
    if (!data || !fs::exists(fs::path(data) / "category.xml") ||
        !fs::is_directory(fs::path(data) / "portal" / "STORAGE"))
        GTEST_SKIP() << "shipped data not present";
    RecordingDialogs dialogs;
    TCatalogue cat;
    cat.SetProgramDir(data);
    cat.LoadCatalogue((fs::path(data) / "portal" / "STORAGE").string());
    EXPECT_TRUE(dialogs.messages.empty());
    for (const char* path : {"News", "News/World", "News/Russia", "Tools/Office", "Finance", "Weather", "Fun"})
        EXPECT_NE(cat.FindCategoryNode(path), nullptr) << path;
    EXPECT_TRUE(cat.FindCategoryNode("News")->expanded);
    EXPECT_TRUE(cat.FindCategoryNode("Tools")->expanded);
    EXPECT_FALSE(cat.FindCategoryNode("Fun")->expanded);
}

} // namespace
} // namespace wpe::test
