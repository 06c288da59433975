// Recording category changes and writing them back.

#include "CatalogueTestSupport.h"

#include "catalogue/CategoryChanges.h"
#include "catalogue/CategoryEditing.h"
#include "webpart/MemoryFields.h"

#include <gtest/gtest.h>

#include <map>

namespace wpe::test {
namespace {

using Ops = std::deque<TOperation>;

class CategoryChanges : public ::testing::Test {
protected:
    void Load()
    {
        cat.SetProgramDir(dir.ProgramDir());
        cat.LoadCatalogue(dir.StorageDir());
    }
    TWPDataPtr Entry(const std::string& name) { return cat.FindEntry(dir.StorageDir() + name); }
    // The edit tree as the Categories tab shows it: categories only.
    TCatTree& Edit()
    {
        cat.ApplyFilter(kFilterCategoriesOnly, cat.EditTree());
        return cat.EditTree();
    }
    TCatNode* EditNode(const std::string& path) { return cat.FindCategoryNode(cat.EditTree(), path); }
    std::string File(const std::string& name) { return ReadBytes(dir.Storage() / name); }

    TempFolder dir;
    RecordingDialogs dialogs;
    TCatalogue cat;
};

TEST_F(CategoryChanges, RenameRecordsNewAndOldPathsForTheSubtree)
{
    dir.Part("w.xml", {"W", {"A/B/D", "Other"}});
    dir.Part("v.xml", {"V", {"A/B"}});
    dir.Part("u.xml", {"U", {"A"}});
    Load();
    Edit();
    ASSERT_TRUE(RenameCategory(cat, EditNode("A/B"), "C"));
    EXPECT_EQ(Entry("w.xml")->operations, (Ops{{"A/C/D", "A/B/D"}}));
    EXPECT_EQ(Entry("v.xml")->operations, (Ops{{"A/C", "A/B"}}));
    EXPECT_TRUE(Entry("u.xml")->operations.empty());
    EXPECT_TRUE(Entry("w.xml")->modified);
    EXPECT_FALSE(Entry("u.xml")->modified);

    const std::string before = File("w.xml");
    ApplyCategoryChanges(cat, nullptr);
    std::string expected = before;
    expected.replace(expected.find("A/B/D"), 5, "A/C/D");
    EXPECT_EQ(File("w.xml"), expected);
    EXPECT_FALSE(Entry("w.xml")->modified);
    EXPECT_TRUE(Entry("w.xml")->operations.empty());
}

TEST_F(CategoryChanges, RenameRefusesEmptyAndIgnoresSameName)
{
    dir.Part("w.xml", {"W", {"A"}});
    Load();
    Edit();
    EXPECT_FALSE(RenameCategory(cat, EditNode("A"), ""));
    EXPECT_FALSE(RenameCategory(cat, EditNode("A"), "A"));
    EXPECT_EQ(Level(cat.EditTree()), std::vector<std::string>{"A"});
    EXPECT_FALSE(Entry("w.xml")->modified);
}

TEST_F(CategoryChanges, RenameTwiceReplaysBothInOrder)
{
    dir.Part("w.xml", {"W", {"A", "Z"}});
    Load();
    Edit();
    RenameCategory(cat, EditNode("A"), "B");
    RenameCategory(cat, EditNode("B"), "C");
    EXPECT_EQ(Entry("w.xml")->operations, (Ops{{"B", "A"}, {"C", "B"}}));
    ApplyCategoryChanges(cat, nullptr);
    EXPECT_NE(File("w.xml").find("<Category>C</Category>"), std::string::npos);
    EXPECT_NE(File("w.xml").find("<Category>Z</Category>"), std::string::npos);
    EXPECT_EQ(File("w.xml").find("<Category>A</Category>"), std::string::npos);
}

TEST_F(CategoryChanges, MoveToTopLevelAndBack)
{
    dir.Part("b.xml", {"InB", {"A/B"}});
    dir.Part("d.xml", {"InD", {"A/B/D"}});
    Load();
    Edit();
    TCatNode* b = EditNode("A/B");
    ASSERT_TRUE(MoveCategoryLeft(b));
    EXPECT_EQ(Level(cat.EditTree()), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(Entry("b.xml")->operations, (Ops{{"B", "A/B"}}));
    EXPECT_EQ(Entry("d.xml")->operations, (Ops{{"B/D", "A/B/D"}}));
    EXPECT_FALSE(MoveCategoryLeft(b));  // nothing moves at the top level

    ASSERT_TRUE(MoveCategoryRight(b));
    EXPECT_EQ(Entry("b.xml")->operations.back(), (TOperation{"A/B", "B"}));
    EXPECT_EQ(Entry("d.xml")->operations.back(), (TOperation{"A/B/D", "B/D"}));
    EXPECT_FALSE(MoveCategoryRight(cat.EditTree().Child(nullptr, 0)));  // no previous sibling

    ApplyCategoryChanges(cat, nullptr);
    EXPECT_NE(File("d.xml").find("<Category>A/B/D</Category>"), std::string::npos);
}

TEST_F(CategoryChanges, UpAndDownChangeNoPath)
{
    dir.Part("x.xml", {"X", {"P/A", "P/B", "P/C"}});
    Load();
    Edit();
    TCatNode* p = EditNode("P");
    TCatNode* c = EditNode("P/C");
    EXPECT_TRUE(MoveCategoryUp(c));
    EXPECT_EQ(Level(cat.EditTree(), p), (std::vector<std::string>{"A", "C", "B"}));
    EXPECT_TRUE(MoveCategoryDown(EditNode("P/A")));
    EXPECT_EQ(Level(cat.EditTree(), p), (std::vector<std::string>{"C", "A", "B"}));
    EXPECT_FALSE(MoveCategoryUp(EditNode("P/C")));
    EXPECT_FALSE(MoveCategoryDown(EditNode("P/B")));
    EXPECT_FALSE(Entry("x.xml")->modified);
}

TEST_F(CategoryChanges, DropMovesAsLastChildAndRefusesCycles)
{
    dir.Part("x.xml", {"X", {"A/B/C"}});
    dir.Part("y.xml", {"Y", {"Q"}});
    Load();
    Edit();
    TCatNode* a = EditNode("A");
    TCatNode* b = EditNode("A/B");
    EXPECT_FALSE(CanDropCategory(a, b));        // into its own subtree
    EXPECT_FALSE(CanDropCategory(a, a));        // onto itself
    EXPECT_FALSE(CanDropCategory(b, a));        // onto its parent
    EXPECT_FALSE(CanDropCategory(a, nullptr));  // top-level node onto empty space
    EXPECT_FALSE(DropCategory(a, b));
    ASSERT_TRUE(DropCategory(b, EditNode("Q")));
    EXPECT_EQ(Outline(cat.EditTree()), (std::vector<std::string>{"A", "Q", "  B", "    C"}));
    EXPECT_EQ(Entry("x.xml")->operations, (Ops{{"Q/B/C", "A/B/C"}}));
    ASSERT_TRUE(DropCategory(EditNode("Q/B"), nullptr));
    EXPECT_EQ(Entry("x.xml")->operations.back(), (TOperation{"B/C", "Q/B/C"}));
}

TEST_F(CategoryChanges, DeleteSubcategoryHandsPartsToParent)
{
    dir.Part("w.xml", {"W", {"A", "A/B"}});   // also directly in A
    dir.Part("v.xml", {"V", {"A/B"}});        // only in A/B
    dir.Part("u.xml", {"U", {"A/B/C"}});      // below A/B
    Load();
    Edit();
    TCatData* aList = EditNode("A")->CatData();
    const TCatData* bList = EditNode("A/B")->CatData();
    DeleteCategory(cat, EditNode("A/B"));

    EXPECT_EQ(Entry("w.xml")->operations, (Ops{{"", "A/B"}}));
    EXPECT_EQ(Entry("v.xml")->operations, (Ops{{"A", "A/B"}}));
    EXPECT_EQ(Entry("u.xml")->operations, (Ops{{"A", "A/B/C"}}));
    EXPECT_EQ(aList->Count(), 3u);
    EXPECT_FALSE(cat.IsRegistered(bList));
    EXPECT_EQ(Outline(cat.EditTree()), std::vector<std::string>{"A"});

    ApplyCategoryChanges(cat, nullptr);
    cat.BrowseTree().CopyFrom(cat.EditTree());
    cat.ReloadCatalogue();
    EXPECT_EQ(Outline(cat.BrowseTree()), (std::vector<std::string>{"A", "  *U", "  *V", "  *W"}));
    const std::string w = File("w.xml");
    EXPECT_EQ(w.find("A/B"), std::string::npos);
    EXPECT_NE(w.find("<Category>A</Category>"), std::string::npos);
}

TEST_F(CategoryChanges, DeleteTopLevelCategory)
{
    dir.Part("w.xml", {"W", {"A", "X"}});  // also in X
    dir.Part("v.xml", {"V", {"A"}});       // only in A
    Load();
    Edit();
    DeleteCategory(cat, EditNode("A"));
    EXPECT_EQ(Entry("w.xml")->operations, (Ops{{"", "A"}}));
    EXPECT_EQ(Entry("v.xml")->operations, (Ops{{"", "A"}}));
    EXPECT_FALSE(cat.RootList().Contains(Entry("w.xml").get()));
    EXPECT_TRUE(cat.RootList().Contains(Entry("v.xml").get()));

    // After the apply the browse tree is rebuilt from the lists.
    ApplyCategoryChanges(cat, nullptr);
    cat.BrowseTree().CopyFrom(cat.EditTree());
    RebuildWebPartNodes(cat, cat.BrowseTree());
    EXPECT_EQ(Outline(cat.BrowseTree()), (std::vector<std::string>{"X", "  *W", "*V"}));
    EXPECT_EQ(File("v.xml").find("<Category>"), std::string::npos);
}

TEST_F(CategoryChanges, MoveWebPartBetweenCategories)
{
    dir.Part("w.xml", {"W", {"News"}});
    dir.Part("s.xml", {"S", {"Sport"}});
    Load();
    TCatNode* w = cat.FindCategoryNode("News/W");
    TCatNode* sport = cat.FindCategoryNode("Sport");
    // A web part node as target stands for its parent category.
    ASSERT_TRUE(MoveWebPart(cat, w, sport->Child(0)));
    EXPECT_EQ(Entry("w.xml")->operations, (Ops{{"Sport", "News"}}));
    EXPECT_EQ(Outline(cat.BrowseTree()), (std::vector<std::string>{"News", "Sport", "  *S", "  *W"}));
    EXPECT_TRUE(sport->CatData()->Contains(Entry("w.xml").get()));
    EXPECT_FALSE(cat.FindCategoryNode("News")->CatData()->Contains(Entry("w.xml").get()));
    EXPECT_TRUE(sport->expanded);

    ApplyCategoryChanges(cat, nullptr);
    EXPECT_NE(File("w.xml").find("<Category>Sport</Category>"), std::string::npos);
    EXPECT_EQ(File("w.xml").find("News"), std::string::npos);
}

TEST_F(CategoryChanges, MoveIntoOwnCategoryDoesNothing)
{
    dir.Part("w.xml", {"W", {"News"}});
    Load();
    TCatNode* news = cat.FindCategoryNode("News");
    EXPECT_FALSE(MoveWebPart(cat, news->Child(0), news));
    EXPECT_FALSE(Entry("w.xml")->modified);
    EXPECT_EQ(news->Count(), 1u);
}

TEST_F(CategoryChanges, RemovingFromCategory)
{
    dir.Part("only.xml", {"Only", {"News"}});
    dir.Part("both.xml", {"Both", {"News", "Sport"}});
    Load();
    TCatNode* news = cat.FindCategoryNode("News");
    ASSERT_TRUE(MoveWebPart(cat, cat.FindCategoryNode("News/Only"), nullptr));
    ASSERT_TRUE(MoveWebPart(cat, cat.FindCategoryNode("News/Both"), nullptr));
    // The part in one category goes to the top level; the other is deleted.
    EXPECT_EQ(Outline(cat.BrowseTree()), (std::vector<std::string>{"News", "Sport", "  *Both", "*Only"}));
    EXPECT_EQ(Entry("only.xml")->operations, (Ops{{"", "News"}}));
    EXPECT_EQ(Entry("both.xml")->operations, (Ops{{"", "News"}}));
    EXPECT_EQ(news->CatData()->Count(), 0u);
    EXPECT_TRUE(cat.RootList().Contains(Entry("only.xml").get()));
    EXPECT_FALSE(cat.RootList().Contains(Entry("both.xml").get()));

    ApplyCategoryChanges(cat, nullptr);
    EXPECT_EQ(File("only.xml").find("<Category"), std::string::npos);
    EXPECT_NE(File("both.xml").find("<Category>Sport</Category>"), std::string::npos);
}

TEST_F(CategoryChanges, MoveOntoDuplicateDeletesTheNode)
{
    dir.Part("w.xml", {"W", {"News", "Sport"}});
    Load();
    ASSERT_TRUE(MoveWebPart(cat, cat.FindCategoryNode("News/W"), cat.FindCategoryNode("Sport")));
    EXPECT_EQ(Outline(cat.BrowseTree()), (std::vector<std::string>{"News", "Sport", "  *W"}));
    EXPECT_EQ(Entry("w.xml")->operations, (Ops{{"", "News"}}));
}

TEST_F(CategoryChanges, CopyAddsCategoryAtStartOfWebPart)
{
    dir.Part("w.xml", {"W", {"X"}});
    dir.Part("y.xml", {"Other", {"Y"}});
    Load();
    const std::string before = File("w.xml");
    TCatNode* w = cat.FindCategoryNode("X/W");
    ASSERT_TRUE(CopyWebPart(cat, w, cat.FindCategoryNode("Y")));
    EXPECT_FALSE(CopyWebPart(cat, w, cat.FindCategoryNode("Y")));  // already there
    EXPECT_FALSE(CopyWebPart(cat, w, cat.FindCategoryNode("X")));  // its own category
    EXPECT_FALSE(CopyWebPart(cat, w, nullptr));                    // not to the top level
    EXPECT_EQ(Entry("w.xml")->operations, (Ops{{"Y", ""}}));
    EXPECT_EQ(Outline(cat.BrowseTree()), (std::vector<std::string>{"X", "  *W", "Y", "  *Other", "  *W"}));

    ApplyCategoryChanges(cat, nullptr);
    std::string expected = before;
    expected.insert(expected.find("<WebPart>") + 9, "\r\n  <Category>Y</Category>");
    EXPECT_EQ(File("w.xml"), expected);
}

TEST_F(CategoryChanges, UnmatchedOperationsEachAddAnElement)
{
    const std::string file = dir.Part("w.xml", {"W", {"X"}});
    RewriteCategories(file, Ops{{"New1", "Gone"}, {"New2", "Gone"}});
    const std::string text = File("w.xml");
    EXPECT_NE(text.find("<WebPart>\r\n  <Category>New2</Category>\r\n  <Category>New1</Category>\r\n  <Category>X"),
              std::string::npos)
        << text;
}

TEST_F(CategoryChanges, WriteBackKeepsEveryOtherByte)
{
    const std::string original =
        "<?xml version=\"1.0\" encoding=\"WINDOWS-1251\" ?>\n<!-- <Category>A</Category> -->\n"
        "<WebPart   xmlns=\"urn:x\">\n\t<Title>T &amp; U</Title>\n\t<Category>A</Category>\n"
        "\t<Content><![CDATA[<Category>A</Category>]]></Content>\n\t<Category>B</Category>\n</WebPart>\n";
    WriteBytes(dir.Storage() / "w.xml", original);
    RewriteCategories((dir.Storage() / "w.xml").string(), Ops{{"R&D", "A"}, {"", "B"}, {"<New>", ""}});
    const std::string expected =
        "<?xml version=\"1.0\" encoding=\"WINDOWS-1251\" ?>\n<!-- <Category>A</Category> -->\n"
        "<WebPart   xmlns=\"urn:x\">\r\n  <Category>&lt;New&gt;</Category>\n\t<Title>T &amp; U</Title>\n"
        "\t<Category>R&amp;D</Category>\n"
        "\t<Content><![CDATA[<Category>A</Category>]]></Content>\n\t</WebPart>\n";
    EXPECT_EQ(File("w.xml"), expected);

    // What was written reads back as the paths that were meant.
    TCatalogue again;
    auto read = again.ReadEntry((dir.Storage() / "w.xml").string());
    EXPECT_EQ(read.paths, (std::vector<std::string>{"<New>", "R&D"}));
}

TEST_F(CategoryChanges, SelfClosingWebPartIsOpened)
{
    WriteBytes(dir.Storage() / "w.xml", "<?xml version=\"1.0\"?>\r\n<WebPart/>");
    RewriteCategories((dir.Storage() / "w.xml").string(), Ops{{"Y", ""}});
    EXPECT_EQ(File("w.xml"), "<?xml version=\"1.0\"?>\r\n<WebPart>\r\n  <Category>Y</Category>\r\n</WebPart>");
}

// An editor with the file open: its category list gets the changes.
class FakeEditors : public IOpenWebParts {
public:
    struct Editor : IOpenWebPart {
        MemoryCategoryList list;
        bool modified = false;
        ICategoryListField& CategoryList() override { return list; }
        void SetModified(bool m) override { modified = m; }
    };
    IOpenWebPart* FindOpenWebPart(const std::string& fileName) override
    {
        auto it = open.find(fileName);
        return it == open.end() ? nullptr : &it->second;
    }
    std::map<std::string, Editor> open;
};

TEST_F(CategoryChanges, OpenEditorGetsTheChangesInsteadOfTheFile)
{
    const std::string file = dir.Part("w.xml", {"W", {"A/B", "Z"}});
    Load();
    FakeEditors editors;
    auto& editor = editors.open[file];
    editor.list.Add("A/B");
    editor.list.Add("Z");
    Edit();
    RenameCategory(cat, EditNode("A/B"), "C");
    Entry("w.xml")->Push("", "Z");
    Entry("w.xml")->Push("", "Missing");
    Entry("w.xml")->Push("New", "");
    const std::string before = File("w.xml");

    ApplyCategoryChanges(cat, &editors);
    EXPECT_EQ(File("w.xml"), before);
    EXPECT_EQ(editor.list.Entries(), (std::vector<std::string>{"A/C", "New"}));
    EXPECT_TRUE(editor.modified);
    EXPECT_FALSE(Entry("w.xml")->modified);
    EXPECT_TRUE(Entry("w.xml")->operations.empty());
}

TEST(ReplayOnList, EmptyListTakesTheNewPath)
{
    MemoryCategoryList list;
    ReplayOnList(list, Ops{{"A", "Old"}});
    EXPECT_EQ(list.Entries(), std::vector<std::string>{"A"});
    ReplayOnList(list, Ops{{"B", "A"}, {"", "B"}, {"C", ""}});
    EXPECT_EQ(list.Entries(), std::vector<std::string>{"C"});
}

TEST_F(CategoryChanges, FailureHalfWayStopsAtThatEntry)
{
    dir.Part("a.xml", {"A1", {"N"}});
    dir.Part("b.xml", {"B1", {"N"}});
    dir.Part("c.xml", {"C1", {"N"}});
    Load();
    Edit();
    RenameCategory(cat, EditNode("N"), "M");
    // The second file cannot be parsed any more (a CDATA section never closed).
    WriteBytes(dir.Storage() / "b.xml", "<WebPart><Category><![CDATA[N</Category></WebPart>");
    const std::string bBefore = File("b.xml");

    EXPECT_ANY_THROW(ApplyCategoryChanges(cat, nullptr));
    EXPECT_FALSE(Entry("a.xml")->modified);
    EXPECT_TRUE(Entry("a.xml")->operations.empty());
    EXPECT_NE(File("a.xml").find("<Category>M</Category>"), std::string::npos);
    EXPECT_TRUE(Entry("b.xml")->modified);
    EXPECT_EQ(Entry("b.xml")->operations, (Ops{{"M", "N"}}));
    EXPECT_EQ(File("b.xml"), bBefore);
    EXPECT_TRUE(Entry("c.xml")->modified);
    EXPECT_EQ(Entry("c.xml")->operations, (Ops{{"M", "N"}}));
    EXPECT_NE(File("c.xml").find("<Category>N</Category>"), std::string::npos);

    // Once the file is repaired, the next write-back finishes the job.
    dir.Part("b.xml", {"B1", {"N"}});
    ApplyCategoryChanges(cat, nullptr);
    EXPECT_NE(File("b.xml").find("<Category>M</Category>"), std::string::npos);
    EXPECT_NE(File("c.xml").find("<Category>M</Category>"), std::string::npos);
}

TEST_F(CategoryChanges, VanishedFileStopsTheWriteBackAndIsNotRecreated)
{
    dir.Part("a.xml", {"A1", {"N"}});
    Load();
    MoveWebPart(cat, cat.FindCategoryNode("N/A1"), nullptr);
    fs::remove(dir.Storage() / "a.xml");
    EXPECT_ANY_THROW(ApplyCategoryChanges(cat, nullptr));
    EXPECT_FALSE(fs::exists(dir.Storage() / "a.xml"));
    EXPECT_TRUE(Entry("a.xml")->modified);
}

} // namespace
} // namespace wpe::test
