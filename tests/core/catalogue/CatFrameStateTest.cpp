// The catalogue frame's rules: tab changes, drops, the category file at
// exit, the picker's choice, and category elements matched the way the
// catalogue reads them.

#include "CatalogueTestSupport.h"

#include "catalogue/CatFrameState.h"
#include "catalogue/CategoryChanges.h"
#include "catalogue/CategoryEditing.h"

#include <gtest/gtest.h>

namespace wpe::test {
namespace {

using Ops = std::deque<TOperation>;

PartFields Fields(std::string title, std::vector<std::string> categories, std::string language = "",
                  std::string popularity = "", std::string description = "")
{
    return {std::move(title), std::move(categories), std::move(language), std::move(popularity),
            std::move(description)};
}

class FrameState : public ::testing::Test {
protected:
    FrameState()
    {
        frame.SetAskYes([this](const std::string& q) {
            questions.push_back(q);
            bool yes = !answers.empty() && answers.front();
            if (!answers.empty())
                answers.erase(answers.begin());
            return yes;
        });
    }
    void Load()
    {
        cat.SetProgramDir(dir.ProgramDir());
        cat.LoadCatalogue(dir.StorageDir());
    }
    TWPDataPtr Entry(const std::string& name) { return cat.FindEntry(dir.StorageDir() + name); }
    std::string File(const std::string& name) { return ReadBytes(dir.Storage() / name); }
    std::string CategoryFile() { return ReadBytes(dir.Program() / "category.xml"); }
    TCatNode* Browse(const std::string& path) { return cat.FindCategoryNode(path); }
    TCatNode* EditNode(const std::string& path) { return cat.FindCategoryNode(cat.EditTree(), path); }

    TempFolder dir;
    RecordingDialogs dialogs;
    TCatalogue cat;
    TCatFrameState frame{cat};
    std::vector<bool> answers;
    std::vector<std::string> questions;
};

// ---- category elements written by hand

TEST_F(FrameState, WriteBackMatchesCaseAndSlashVariants)
{
    const std::string renamed = dir.Part("r.xml", Fields("R", {"news", "Keep"}));
    const std::string moved = dir.Part("m.xml", Fields("M", {"/News/Local/"}));
    const std::string removed = dir.Part("d.xml", Fields("D", {"NEWS//", "Sport"}));
    Load();
    // The tree merged all three spellings into one category.
    ASSERT_EQ(cat.BrowseTree().Count(), 3u);

    frame.ChangeTab(TCatTab::Categories);
    TCatNode* news = cat.EditTree().FindCategoryChild(nullptr, "NEWS");
    ASSERT_NE(news, nullptr);
    ASSERT_TRUE(RenameCategory(cat, news, "World"));
    ASSERT_TRUE(MoveCategoryLeft(EditNode("World/Local")));
    DeleteCategory(cat, EditNode("World"));
    frame.SetModified();
    frame.Apply();

    // No stale element stays behind in any of the three files.
    for (const auto& file : {renamed, moved, removed}) {
        const std::string text = ReadBytes(file);
        EXPECT_EQ(text.find("news"), std::string::npos) << text;
        EXPECT_EQ(text.find("News"), std::string::npos) << text;
        EXPECT_EQ(text.find("NEWS"), std::string::npos) << text;
        EXPECT_EQ(text.find("<Category></Category>"), std::string::npos) << text;
    }
    EXPECT_EQ(cat.ReadEntry(renamed).paths, (std::vector<std::string>{"Keep"}));
    EXPECT_EQ(cat.ReadEntry(moved).paths, (std::vector<std::string>{"Local"}));
    EXPECT_EQ(cat.ReadEntry(removed).paths, (std::vector<std::string>{"Sport"}));
}

TEST_F(FrameState, UnmatchedRemovalLeavesTheFileAlone)
{
    const std::string file = dir.Part("w.xml", Fields("W", {"Sport"}));
    const std::string before = File("w.xml");
    RewriteCategories(file, Ops{{"", "News"}});
    EXPECT_EQ(File("w.xml"), before);

    // An add still inserts, and an empty element still counts as the top level.
    WriteBytes(dir.Storage() / "t.xml", "<WebPart><Category>/</Category><Title>T</Title></WebPart>");
    RewriteCategories((dir.Storage() / "t.xml").string(), Ops{{"News", ""}});
    EXPECT_EQ(File("t.xml"), "<WebPart><Category>News</Category><Title>T</Title></WebPart>");
}

TEST(SameCategoryPath, NamesCompareAsTheTreeReadsThem)
{
    EXPECT_TRUE(SameCategoryPath("/news//local/", "News/Local"));
    EXPECT_TRUE(SameCategoryPath("", ""));
    EXPECT_TRUE(SameCategoryPath("//", ""));
    EXPECT_FALSE(SameCategoryPath("News", "News/Local"));
    EXPECT_FALSE(SameCategoryPath("News Local", "News/Local"));
    // Only a-z fold; other bytes (here Cyrillic) must match exactly.
    EXPECT_FALSE(SameCategoryPath("\xed\xee\xe2\xee\xf1\xf2\xe8", "\xcd\xce\xc2\xce\xd1\xd2\xc8"));
}

// ---- tabs and the category editor

TEST_F(FrameState, LeavingCategoriesWithNoDiscardsEverything)
{
    dir.Part("w.xml", Fields("W", {"A/B"}));
    dir.Part("v.xml", Fields("V", {"A"}));
    Load();
    frame.ChangeTab(TCatTab::Categories);
    RenameCategory(cat, EditNode("A"), "Renamed");
    TCatNode* b = EditNode("Renamed/B");
    const TCatData* bList = b->CatData();
    DeleteCategory(cat, b);
    frame.SetModified();
    ASSERT_TRUE(Entry("w.xml")->modified);

    answers = {false};
    frame.ChangeTab(TCatTab::Browse);
    EXPECT_EQ(questions, std::vector<std::string>{kSaveCategoriesQuestion});
    EXPECT_FALSE(frame.Modified());
    // The browse tree is what it was, with live lists and no queued work.
    EXPECT_EQ(Outline(cat.BrowseTree()), (std::vector<std::string>{"A", "  B", "    *W", "  *V"}));
    EXPECT_TRUE(cat.IsRegistered(bList));
    EXPECT_TRUE(Browse("A/B")->CatData()->Contains(Entry("w.xml").get()));
    EXPECT_FALSE(Browse("A")->CatData()->Contains(Entry("w.xml").get()));
    EXPECT_FALSE(Entry("w.xml")->modified);
    EXPECT_TRUE(Entry("w.xml")->operations.empty());

    // A later drop writes only its own change.
    ASSERT_TRUE(frame.DropOnBrowse(Browse("A/B")->Child(0), nullptr, false));
    EXPECT_EQ(cat.ReadEntry(Entry("w.xml")->fileName).paths, (std::vector<std::string>{""}));
    EXPECT_EQ(File("v.xml").find("Renamed"), std::string::npos);
}

TEST_F(FrameState, LeavingCategoriesWithYesAppliesAndSaves)
{
    dir.Part("w.xml", Fields("W", {"A"}));
    Load();
    int applied = 0;
    frame.onCategoriesApplied = [&] { ++applied; };
    frame.ChangeTab(TCatTab::Categories);
    // Entering the tab leaves categories only in the edit tree.
    EXPECT_EQ(Outline(cat.EditTree()), std::vector<std::string>{"A"});
    RenameCategory(cat, EditNode("A"), "B");
    frame.SetModified();
    answers = {true};
    frame.ChangeTab(TCatTab::Search);
    EXPECT_EQ(applied, 1);
    EXPECT_EQ(cat.ReadEntry(Entry("w.xml")->fileName).paths, std::vector<std::string>{"B"});
    EXPECT_EQ(Outline(cat.BrowseTree()), (std::vector<std::string>{"B", "  *W"}));
    EXPECT_EQ(Outline(cat.EditTree()), (std::vector<std::string>{"B", "  *W"}));
    EXPECT_NE(CategoryFile().find("<outline text=\"B\"/>"), std::string::npos);
    EXPECT_EQ(frame.PageLeft(), TCatTab::Categories);
}

TEST_F(FrameState, AnApplyIsNotUndoneByALaterNo)
{
    dir.Part("w.xml", Fields("W", {"A"}));
    Load();
    frame.ChangeTab(TCatTab::Categories);
    RenameCategory(cat, EditNode("A"), "B");
    frame.SetModified();
    frame.Apply();
    AddCategoryAfter(cat, cat.EditTree(), nullptr);
    frame.SetModified();
    answers = {false};
    frame.ChangeTab(TCatTab::Browse);
    EXPECT_EQ(Outline(cat.BrowseTree()), (std::vector<std::string>{"B", "  *W"}));
    EXPECT_TRUE(Browse("B")->CatData()->Contains(Entry("w.xml").get()));
}

TEST_F(FrameState, SaveCategoryTreeInItsThreeCases)
{
    dir.Part("w.xml", Fields("W", {"A"}));
    Load();
    // Not on the Categories tab: the edit tree's categories, nothing asked.
    frame.SaveCategoryTree();
    EXPECT_TRUE(questions.empty());
    EXPECT_NE(CategoryFile().find("<outline text=\"A\"/>"), std::string::npos);
    EXPECT_EQ(Outline(cat.EditTree()), (std::vector<std::string>{"A", "  *W"}));

    // On the tab, unchanged: the edit tree.
    frame.ChangeTab(TCatTab::Categories);
    AddCategoryAfter(cat, cat.EditTree(), nullptr);
    frame.SaveCategoryTree();
    EXPECT_TRUE(questions.empty());
    EXPECT_NE(CategoryFile().find("NewCategory_0"), std::string::npos);

    // Changed, answered No: the browse tree, and the change is dropped.
    RenameCategory(cat, EditNode("A"), "Z");
    frame.SetModified();
    answers = {false};
    frame.SaveCategoryTree();
    EXPECT_EQ(questions.size(), 1u);
    EXPECT_EQ(CategoryFile().find("Z\""), std::string::npos);
    EXPECT_EQ(CategoryFile().find("NewCategory_0"), std::string::npos);
    EXPECT_FALSE(Entry("w.xml")->modified);
    EXPECT_FALSE(frame.Modified());

    // Changed, answered Yes: written back and the edit tree saved.
    frame.ChangeTab(TCatTab::Browse);
    frame.ChangeTab(TCatTab::Categories);
    RenameCategory(cat, EditNode("A"), "Y");
    frame.SetModified();
    answers = {true};
    frame.SaveCategoryTree();
    EXPECT_NE(CategoryFile().find("<outline text=\"Y\"/>"), std::string::npos);
    EXPECT_EQ(cat.ReadEntry(Entry("w.xml")->fileName).paths, std::vector<std::string>{"Y"});
}

// ---- Browse tab

TEST_F(FrameState, DropWithAFilterKeepsHiddenCategories)
{
    dir.Part("e.xml", Fields("E", {"News"}, "en"));
    dir.Part("r.xml", Fields("R", {"Russian/Deep"}, "ru"));
    dir.Part("s.xml", Fields("S", {"Sport"}, "en"));
    Load();
    frame.ChooseLanguage(kFilterEnglish);
    ASSERT_EQ(Level(cat.BrowseTree()), (std::vector<std::string>{"News", "Sport"}));

    ASSERT_TRUE(frame.DropOnBrowse(Browse("News")->Child(0), Browse("Sport"), false));
    EXPECT_TRUE(frame.RemoveFromCategory(Browse("Sport")->Child(0)));
    frame.SaveCategoryTree();
    EXPECT_NE(CategoryFile().find("Russian"), std::string::npos);
    EXPECT_NE(CategoryFile().find("Deep"), std::string::npos);

    // The full tree comes back with the moves in it.
    frame.ChooseLanguage(0);
    EXPECT_EQ(Outline(cat.BrowseTree()),
              (std::vector<std::string>{"News", "Russian", "  Deep", "    *R", "Sport", "  *E", "*S"}));
}

TEST_F(FrameState, EachFilterChoiceStartsFromTheFullTree)
{
    dir.Part("e.xml", Fields("E", {"A"}, "en"));
    dir.Part("f.xml", Fields("F", {"B"}, "fr", "5"));
    Load();
    frame.ChooseLanguage(kFilterEnglish);
    frame.ChooseLanguage(kFilterFrench);
    EXPECT_EQ(Outline(cat.BrowseTree()), (std::vector<std::string>{"B", "  *F"}));
    frame.ChooseItems(kFilterMostPopular);
    EXPECT_EQ(Outline(cat.BrowseTree()), (std::vector<std::string>{"B", "  *F"}));
    frame.ChooseLanguage(0);
    frame.ChooseItems(0);
    EXPECT_EQ(Outline(cat.BrowseTree()), (std::vector<std::string>{"A", "  *E", "B", "  *F"}));
}

TEST_F(FrameState, DropAndDragRules)
{
    dir.Part("w.xml", Fields("W", {"A"}));
    dir.Part("t.xml", Fields("T", {}));
    dir.Part("v.xml", Fields("V", {"B"}));
    Load();
    TCatNode* a = Browse("A");
    TCatNode* b = Browse("B");
    TCatNode* w = a->Child(0);
    TCatNode* v = b->Child(0);
    TCatNode* top = cat.BrowseTree().Child(nullptr, 2);
    ASSERT_EQ(top->Text(), "T");

    EXPECT_FALSE(TCatFrameState::CanDropOnBrowse("BrowseTree", w, a, false));  // its own category
    EXPECT_FALSE(TCatFrameState::CanDropOnBrowse("BrowseTree", w, w, false));
    EXPECT_TRUE(TCatFrameState::CanDropOnBrowse("browsetree", w, b, true));
    EXPECT_TRUE(TCatFrameState::CanDropOnBrowse("BrowseTree", w, v, false));    // a part in another category
    EXPECT_TRUE(TCatFrameState::CanDropOnBrowse("BrowseTree", w, nullptr, false));
    EXPECT_FALSE(TCatFrameState::CanDropOnBrowse("BrowseTree", w, nullptr, true));
    EXPECT_FALSE(TCatFrameState::CanDropOnBrowse("BrowseTree", top, nullptr, false));
    EXPECT_FALSE(TCatFrameState::CanDropOnBrowse("WPListView", w, b, false));
    EXPECT_FALSE(TCatFrameState::CanDropOnBrowse("EditTree", w, b, false));
    EXPECT_FALSE(TCatFrameState::CanDropOnBrowse("BrowseTree", a, b, false));

    EXPECT_FALSE(TCatFrameState::CanStartDrag(w, 5, -5, false));
    EXPECT_TRUE(TCatFrameState::CanStartDrag(w, 0, -6, false));
    EXPECT_TRUE(TCatFrameState::CanStartDrag(w, 6, 0, true));
    EXPECT_FALSE(TCatFrameState::CanStartDrag(top, 10, 10, true));  // a copy needs a category
    EXPECT_TRUE(TCatFrameState::CanStartDrag(top, 10, 10, false));
    EXPECT_FALSE(TCatFrameState::CanStartDrag(a, 10, 10, false));
    EXPECT_FALSE(TCatFrameState::CanStartDrag(nullptr, 10, 10, false));
}

TEST_F(FrameState, CopyDropWritesAtOnceAndRefusesASecondCopy)
{
    dir.Part("w.xml", Fields("W", {"A"}));
    dir.Part("v.xml", Fields("V", {"B"}));
    Load();
    ASSERT_TRUE(frame.DropOnBrowse(Browse("A")->Child(0), Browse("B"), true));
    EXPECT_EQ(cat.ReadEntry(Entry("w.xml")->fileName).paths, (std::vector<std::string>{"B", "A"}));
    EXPECT_EQ(Outline(cat.EditTree()), Outline(cat.BrowseTree()));
    EXPECT_FALSE(frame.DropOnBrowse(Browse("A")->Child(0), Browse("B"), true));
    EXPECT_FALSE(Entry("w.xml")->modified);
}

TEST_F(FrameState, FailedWriteIsNamedAndStaysQueued)
{
    const std::string file = dir.Part("w.xml", Fields("W", {"A"}));
    dir.Part("v.xml", Fields("V", {"B"}));
    Load();
    WriteBytes(file, "<WebPart><Category><![CDATA[A</Category></WebPart>");
    try {
        frame.DropOnBrowse(Browse("A")->Child(0), Browse("B"), false);
        FAIL() << "the broken file must be reported";
    } catch (const std::exception& e) {
        EXPECT_NE(std::string(e.what()).find(file), std::string::npos) << e.what();
    }
    EXPECT_TRUE(Entry("w.xml")->modified);
    EXPECT_EQ(Entry("w.xml")->operations, (Ops{{"B", "A"}}));
    // The trees still agree with each other after the failure.
    EXPECT_EQ(Outline(cat.EditTree()), Outline(cat.BrowseTree()));
}

// ---- texts

TEST_F(FrameState, DescriptionTexts)
{
    dir.Part("w.xml", Fields("Weather", {"A"}, "", "", "Rain and sun"));
    dir.Part("v.xml", Fields("Video", {"B"}));
    Load();
    EXPECT_EQ(TCatFrameState::BrowseDescription(Browse("A")), "A category");
    EXPECT_EQ(TCatFrameState::BrowseDescription(Browse("A/Weather")), "Rain and sun");
    EXPECT_EQ(TCatFrameState::BrowseDescription(nullptr), "");
    EXPECT_EQ(TCatFrameState::EditDescription(EditNode("A")), "Weather; ");
    EXPECT_EQ(TCatFrameState::SearchDescription(" ath "), "Search webparts for \" ath \" substring");
    EXPECT_EQ(TCatFrameState::SearchDescription("   "), kSearchHint);
    EXPECT_EQ(TCatFrameState::SearchDescription(""), kSearchHint);
}

// ---- category picker

TEST_F(FrameState, PickerMovesIntoTheChosenNodeOnly)
{
    dir.Part("w.xml", Fields("W", {"X"}));
    dir.Part("c.xml", Fields("C1", {"A/B/C"}));
    dir.Part("d.xml", Fields("D1", {"A/C"}));
    Load();
    // The loose lookup would find A/B/C for "A/C"; the picker's lookup does not.
    EXPECT_EQ(TCatalogue::CategoryPath(cat.FindCategoryNode("A/C")), "A/B/C");
    TCatNode* target = TCatFrameState::FindCategoryByPath(cat.BrowseTree(), "A/C");
    ASSERT_NE(target, nullptr);
    EXPECT_EQ(TCatalogue::CategoryPath(target), "A/C");
    EXPECT_EQ(TCatFrameState::FindCategoryByPath(cat.BrowseTree(), "B"), nullptr);
    EXPECT_EQ(TCatFrameState::FindCategoryByPath(cat.BrowseTree(), ""), nullptr);

    ASSERT_TRUE(frame.MoveSelectedWebPart(Browse("X")->Child(0), target));
    EXPECT_EQ(cat.ReadEntry(Entry("w.xml")->fileName).paths, std::vector<std::string>{"A/C"});
}

TEST_F(FrameState, PickerOkState)
{
    dir.Part("w.xml", Fields("W", {"News"}));
    dir.Part("t.xml", Fields("T", {}));
    dir.Part("l.xml", Fields("L", {"Local/News", "Sport"}));
    Load();
    TCatNode* w = Browse("News")->Child(0);
    TCatNode* top = cat.BrowseTree().Child(nullptr, cat.BrowseTree().Count() - 1);
    EXPECT_FALSE(TCatFrameState::PickerChoiceAllowed(w, Browse("News")));
    EXPECT_FALSE(TCatFrameState::PickerChoiceAllowed(w, Browse("Local/News")));  // names only
    EXPECT_TRUE(TCatFrameState::PickerChoiceAllowed(w, Browse("Sport")));
    EXPECT_TRUE(TCatFrameState::PickerChoiceAllowed(w, nullptr));
    EXPECT_TRUE(TCatFrameState::PickerChoiceAllowed(top, Browse("News")));
    EXPECT_FALSE(TCatFrameState::PickerChoiceAllowed(Browse("Sport"), Browse("News")));
    EXPECT_FALSE(TCatFrameState::PickerChoiceAllowed(nullptr, nullptr));
}

} // namespace
} // namespace wpe::test
