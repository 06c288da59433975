// Writing and reading "category.xml".

#include "CatalogueTestSupport.h"

#include "catalogue/Catalogue.h"
#include "catalogue/CategoryEditing.h"

#include <gtest/gtest.h>

#include <regex>

namespace wpe::test {
namespace {

class CategoryFile : public ::testing::Test {
protected:
    TCatNode* Add(TCatNode* parent, const std::string& name, bool expanded = false)
    {
        TCatNode* n = tree.AddCategory(parent, name, cat.NewCatData());
        n->CatData()->expanded = expanded;
        return n;
    }
    std::string Path() const { return (dir.Program() / "category.xml").string(); }
    // The body lines of the written file.
    std::string Body() const
    {
        const std::string text = ReadBytes(Path());
        const size_t b = text.find("<body>\r\n") + 8;
        return text.substr(b, text.find("</body>") - b);
    }
    std::string ExpansionState() const
    {
        std::smatch m;
        const std::string text = ReadBytes(Path());
        std::regex_search(text, m, std::regex("<expansionState>([^<]*)</expansionState>"));
        return m[1];
    }

    TempFolder dir;
    RecordingDialogs dialogs;
    TCatalogue cat;
    TCatTree tree;
};

TEST_F(CategoryFile, ExactLayout)
{
    TCatNode* a = Add(nullptr, "A", true);
    Add(a, "B");
    Add(nullptr, "C");
    cat.WriteCategoryFile(tree, Path());
    const std::string text = ReadBytes(Path());
    const std::regex layout(
        "<\\?xml version=\"1\\.0\" encoding=\"WINDOWS-1251\" \\?>\r\n"
        "<opml version=\"1\\.0\">\r\n"
        "<head>\r\n"
        "  <title>Tolvinex category list</title>\r\n"
        "  <dateModified>[^<\r\n]+</dateModified>\r\n"
        "  <ownerName>Orlendt Development</ownerName>\r\n"
        "  <ownerEmail>[^<@\r\n]+@[^<\r\n]+</ownerEmail>\r\n"
        "  <expansionState>0</expansionState>\r\n"
        "</head>\r\n"
        "<body>\r\n"
        "<outline text=\"A\">\r\n"
        "  <outline text=\"B\"/>\r\n"
        "</outline>\r\n"
        "<outline text=\"C\"/>\r\n"
        "</body>\r\n"
        "</opml>");
    EXPECT_TRUE(std::regex_match(text, layout)) << text;
}

TEST_F(CategoryFile, ExpansionStateListsExpandedCategoriesByAbsoluteIndex)
{
    TCatNode* a = Add(nullptr, "A");
    Add(a, "B", true);
    Add(nullptr, "C", true);
    cat.WriteCategoryFile(tree, Path());
    EXPECT_EQ(ExpansionState(), "1,2");
}

TEST_F(CategoryFile, ThreeLevelsRoundTrip)
{
    TCatNode* a = Add(nullptr, "A", true);
    TCatNode* b = Add(a, "B");
    TCatNode* c = Add(b, "C", true);
    Add(c, "D");
    Add(b, "E", true);
    Add(a, "F");
    Add(nullptr, "G");
    cat.WriteCategoryFile(tree, Path());
    const std::string body = Body();
    EXPECT_EQ(body,
              "<outline text=\"A\">\r\n"
              "  <outline text=\"B\">\r\n"
              "    <outline text=\"C\">\r\n"
              "      <outline text=\"D\"/>\r\n"
              "    </outline>\r\n"
              "    <outline text=\"E\"/>\r\n"
              "  </outline>\r\n"
              "  <outline text=\"F\"/>\r\n"
              "</outline>\r\n"
              "<outline text=\"G\"/>\r\n");
    EXPECT_EQ(ExpansionState(), "0,2,4");

    TCatalogue other;
    TCatTree back;
    ASSERT_TRUE(other.ReadCategoryFile(back, Path()));
    EXPECT_EQ(Outline(back), Outline(tree));
    std::vector<bool> flags;
    back.ForEach([&](TCatNode* n) { flags.push_back(n->CatData()->expanded); });
    EXPECT_EQ(flags, (std::vector<bool>{true, false, true, false, true, false, false}));
    EXPECT_EQ(other.CategoryListCount(), 7u);

    other.WriteCategoryFile(back, Path());
    EXPECT_EQ(Body(), body);
}

TEST_F(CategoryFile, DeepCloseAtTheEnd)
{
    Add(Add(Add(nullptr, "A"), "B"), "C");
    cat.WriteCategoryFile(tree, Path());
    EXPECT_EQ(Body(),
              "<outline text=\"A\">\r\n  <outline text=\"B\">\r\n    <outline text=\"C\"/>\r\n"
              "  </outline>\r\n</outline>\r\n");
}

TEST_F(CategoryFile, ReservedCharactersReadBackUnchanged)
{
    const std::vector<std::string> names = {"R&D", "<Tag>", "Say \"hi\"", "It's", "&amp; literal", "Нов&ости"};
    for (const auto& n : names)
        Add(nullptr, n);
    cat.WriteCategoryFile(tree, Path());
    TCatalogue other;
    TCatTree back;
    ASSERT_TRUE(other.ReadCategoryFile(back, Path()));
    EXPECT_EQ(Level(back), names);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(CategoryFile, StrayWebPartNodesDoNotBreakNesting)
{
    TCatNode* a = Add(nullptr, "A");
    auto entry = std::make_shared<TWPData>();
    entry->title = "W";
    tree.AddWebPart(a, entry);
    Add(nullptr, "B");
    cat.WriteCategoryFile(tree, Path());
    EXPECT_EQ(Body(), "<outline text=\"A\"/>\r\n<outline text=\"B\"/>\r\n");
}

TEST_F(CategoryFile, EmptyTreeWritesEmptyBody)
{
    cat.WriteCategoryFile(tree, Path());
    EXPECT_EQ(Body(), "");
    EXPECT_EQ(ExpansionState(), "");
}

TEST_F(CategoryFile, UnwritableFileRaisesAndKeepsTheOldFile)
{
    WriteBytes(Path(), "old");
    fs::create_directories(dir.Program() / "blocked.xml");
    Add(nullptr, "A");
    EXPECT_ANY_THROW(cat.WriteCategoryFile(tree, (dir.Program() / "blocked.xml").string()));
    EXPECT_ANY_THROW(cat.WriteCategoryFile(tree, (dir.Root() / "no" / "such" / "category.xml").string()));
    EXPECT_EQ(ReadBytes(Path()), "old");
}

struct ReadCase {
    const char* name;
    const char* body;
    const char* expansion;
    std::vector<std::string> outline;
    std::vector<std::string> expanded;
};

class CategoryFileRead : public CategoryFile, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(CategoryFileRead, Builds)
{
    const ReadCase& c = GetParam();
    WriteBytes(Path(), std::string("<?xml version=\"1.0\"?>\r\n<opml version=\"1.0\"><head><expansionState>") +
                           c.expansion + "</expansionState></head><body>" + c.body + "</body></opml>");
    ASSERT_TRUE(cat.ReadCategoryFile(tree, Path()));
    EXPECT_EQ(Outline(tree), c.outline);
    std::vector<std::string> expanded;
    tree.ForEach([&](TCatNode* n) {
        if (n->CatData()->expanded)
            expanded.push_back(n->Text());
    });
    EXPECT_EQ(expanded, c.expanded);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CategoryFileRead,
    ::testing::Values(
        ReadCase{"NestedWithExpansion",
                 "<outline text=\"A\"><outline text=\"B\"/></outline><outline text=\"C\"/>", "1,2",
                 {"A", "  B", "C"}, {"B", "C"}},
        ReadCase{"OutlineNameAnyCase", "<OUTLINE text=\"A\"/><Outline text=\"B\"/><other text=\"X\"/>", "",
                 {"A", "B"}, {}},
        ReadCase{"WithoutTextSkippedWithChildren",
                 "<outline title=\"x\"><outline text=\"Lost\"/></outline><outline text=\"A\"/>", "0",
                 {"A"}, {"A"}},
        ReadCase{"RepeatedNameMergesAndStopsExpansion",
                 "<outline text=\"A\"/><outline text=\"a\"><outline text=\"B\"/></outline><outline text=\"C\"/>",
                 "1,3", {"A", "  B", "C"}, {"B"}},
        ReadCase{"BadExpansionItemStopsExpanding",
                 "<outline text=\"A\"/><outline text=\"B\"/><outline text=\"C\"/>", "0,x,2", {"A", "B", "C"},
                 {"A"}},
        ReadCase{"EmptyExpansionItemsVanish", "<outline text=\"A\"/><outline text=\"B\"/>", ",,1,", {"A", "B"},
                 {"B"}},
        ReadCase{"BackToTopAfterDeepNesting",
                 "<outline text=\"A\"><outline text=\"B\"><outline text=\"C\"/></outline></outline>"
                 "<outline text=\"D\"/>",
                 "", {"A", "  B", "    C", "D"}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CategoryFile, BrokenFileIsReportedAndLeavesTheTree)
{
    Add(nullptr, "Keep");
    WriteBytes(Path(), "<opml><body><outline text=\"A\"></body></opml>");
    EXPECT_FALSE(cat.ReadCategoryFile(tree, Path()));
    EXPECT_EQ(Level(tree), std::vector<std::string>{"Keep"});
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.kinds[0], MsgKind::Error);
    EXPECT_EQ(dialogs.messages[0].rfind("Error while loading \"" + Path() + "\" :\r\n", 0), 0u) << dialogs.messages[0];
}

TEST_F(CategoryFile, FileWithoutBodyKeepsTheTree)
{
    Add(nullptr, "Keep");
    WriteBytes(Path(), "<opml version=\"1.0\"><head/></opml>");
    EXPECT_TRUE(cat.ReadCategoryFile(tree, Path()));
    EXPECT_EQ(Level(tree), std::vector<std::string>{"Keep"});
}

TEST_F(CategoryFile, LoadUsesTheCategoryFileAndPlacesPartsIntoIt)
{
    WriteBytes(Path(), "<opml><head><expansionState>1</expansionState></head><body>"
                       "<outline text=\"Zeta\"><outline text=\"Inner\"/></outline><outline text=\"Alpha\"/>"
                       "</body></opml>");
    dir.Part("p.xml", {"P", {"zeta/inner", "New"}});
    cat.SetProgramDir(dir.ProgramDir());
    cat.LoadCatalogue(dir.StorageDir());
    EXPECT_EQ(Outline(cat.BrowseTree()), (std::vector<std::string>{"Alpha", "New", "  *P", "Zeta", "  Inner", "    *P"}));
    EXPECT_TRUE(cat.FindCategoryNode("Zeta/Inner")->expanded);
    EXPECT_FALSE(cat.FindCategoryNode("Zeta")->expanded);
}

TEST_F(CategoryFile, CorruptFileAtLoadIsReportedOnceAndLoadGoesOn)
{
    WriteBytes(Path(), "<opml><body><outline text=\"A\"></outline></bod></opml>");
    dir.Part("p.xml", {"P", {"X"}});
    cat.SetProgramDir(dir.ProgramDir());
    cat.LoadCatalogue(dir.StorageDir());
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(Outline(cat.BrowseTree()), (std::vector<std::string>{"X", "  *P"}));
    EXPECT_EQ(ReadBytes(Path()), "<opml><body><outline text=\"A\"></outline></bod></opml>");
}

} // namespace
} // namespace wpe::test
