// Reading web part files into entries and placing them in the tree.

#include "CatalogueTestSupport.h"

#include "catalogue/Catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <unordered_map>

namespace wpe::test {
namespace {

class CatalogueLoad : public ::testing::Test {
protected:
    void Load()
    {
        cat.SetProgramDir(dir.ProgramDir());
        cat.LoadCatalogue(dir.StorageDir(), [this](const std::string& p) { progress.push_back(p); });
    }

    TempFolder dir;
    RecordingDialogs dialogs;
    TCatalogue cat;
    std::vector<std::string> progress;
};

TEST_F(CatalogueLoad, PartWithTwoCategoriesSitsUnderBoth)
{
    const std::string file = dir.Part("weather.xml", {"Weather", {"News/Local", "Sport"}});
    Load();

    ASSERT_EQ(cat.AllEntries().size(), 1u);
    const TWPDataPtr e = cat.AllEntries()[0];
    EXPECT_EQ(e->title, "Weather");
    EXPECT_EQ(Outline(cat.BrowseTree()),
              (std::vector<std::string>{"News", "  Local", "    *Weather", "Sport", "  *Weather"}));
    EXPECT_EQ(Outline(cat.EditTree()), Outline(cat.BrowseTree()));

    TCatNode* local = cat.FindCategoryNode("News/Local");
    TCatNode* sport = cat.FindCategoryNode("Sport");
    ASSERT_TRUE(local && sport);
    EXPECT_TRUE(local->CatData()->Contains(e.get()));
    EXPECT_TRUE(sport->CatData()->Contains(e.get()));
    EXPECT_FALSE(cat.RootList().Contains(e.get()));
    // The edit tree shares the lists and entries of the browse tree.
    EXPECT_EQ(cat.EditTree().Child(nullptr, 1)->CatData(), sport->CatData());
    EXPECT_EQ(cat.EditTree().Child(nullptr, 1)->Child(0)->Entry(), e.get());
    EXPECT_EQ(progress, std::vector<std::string>{file});
}

TEST_F(CatalogueLoad, SameTitleTwoFilesGivesTwoNodesSameFileTwiceGivesOne)
{
    dir.Part("a.xml", {"Clock", {"Tools"}});
    dir.Part("b.xml", {"Clock", {"Tools"}});
    Load();
    EXPECT_EQ(Level(cat.BrowseTree(), cat.FindCategoryNode("Tools")), (std::vector<std::string>{"*Clock", "*Clock"}));

    // Reading and placing the same file again adds neither node nor entry.
    auto again = cat.ReadEntry(dir.StorageDir() + "a.xml");
    cat.PlaceEntry(again.entry, again.paths, cat.BrowseTree());
    EXPECT_EQ(cat.AllEntries().size(), 2u);
    EXPECT_EQ(cat.FindCategoryNode("Tools")->Count(), 2u);
    EXPECT_EQ(cat.FindCategoryNode("Tools")->CatData()->Count(), 2u);
}

TEST_F(CatalogueLoad, RepeatedCategoryInOneFileAndCaseVariantsMerge)
{
    dir.Part("a.xml", {"A", {"News", "news", "NEWS/x", "News/X"}});
    Load();
    EXPECT_EQ(Outline(cat.BrowseTree()), (std::vector<std::string>{"News", "  x", "    *A", "  *A"}));
}

TEST_F(CatalogueLoad, SlashesAroundAndDoubledVanish)
{
    dir.Part("a.xml", {"Radio", {"/News//Local/"}});
    Load();
    ASSERT_NE(cat.FindCategoryNode("News/Local"), nullptr);
    EXPECT_EQ(cat.FindCategoryNode("News/Local")->Count(), 1u);
    auto read = cat.ReadEntry(dir.StorageDir() + "a.xml");
    EXPECT_EQ(read.paths, std::vector<std::string>{"News/Local"});
}

TEST_F(CatalogueLoad, PartWithoutCategoryIsAtTopAfterCategories)
{
    dir.Part("z.xml", {"Alpha", {}});
    dir.Part("y.xml", {"Beta", {"Zeta"}});
    dir.Part("x.xml", {"Gamma", {""}});
    Load();
    EXPECT_EQ(Level(cat.BrowseTree()), (std::vector<std::string>{"Zeta", "*Alpha", "*Gamma"}));
    EXPECT_EQ(cat.RootList().Count(), 2u);
}

TEST_F(CatalogueLoad, ReadEntryFields)
{
    const std::string file = (dir.Storage() / "Market Rates.dwp").string();
    WriteBytes(file, "<WebPart><Title></Title><Description>A &amp; B <![CDATA[<i>x</i>]]></Description>"
                     "<Language>ru</Language><Popularity>7</Popularity><LastModified>Mon</LastModified>"
                     "<Zone>3</Zone></WebPart>");
    auto read = cat.ReadEntry(file);
    EXPECT_EQ(read.entry->fileName, file);
    EXPECT_EQ(read.entry->title, "Market Rates");  // empty title: the file name without extension
    EXPECT_EQ(read.entry->description, "A & B <i>x</i>");
    EXPECT_EQ(read.entry->language, "ru");
    EXPECT_EQ(read.entry->popularity, "7");
    EXPECT_EQ(read.entry->lastModified, "Mon");
    EXPECT_EQ(read.entry->zone, "3");
    EXPECT_EQ(read.paths, std::vector<std::string>{""});

    const std::string noTitle = (dir.Storage() / "n.xml").string();
    WriteBytes(noTitle, "<WebPart><Zone>1</Zone></WebPart>");
    EXPECT_EQ(cat.ReadEntry(noTitle).entry->title, "");
}

TEST_F(CatalogueLoad, NotAWebPartFailsWithItsOwnText)
{
    const std::string file = (dir.Storage() / "rss.xml").string();
    WriteBytes(file, "<rss><channel><title>x</title></channel></rss>");
    try {
        cat.ReadEntry(file);
        FAIL() << "no error";
    } catch (const std::exception& e) {
        EXPECT_EQ(std::string(e.what()), file + " is not a WebPart!");
    }
    EXPECT_TRUE(cat.AllEntries().empty());
}

TEST_F(CatalogueLoad, BadFilesAreSkippedSilentlyAndNeverStopTheLoad)
{
    dir.Part("good1.xml", {"One", {"A"}});
    WriteBytes(dir.Storage() / "empty.xml", "");
    WriteBytes(dir.Storage() / "short.dwp", "<a/>");
    WriteBytes(dir.Storage() / "other.xml", "<rss version=\"2.0\"><channel/></rss>");
    WriteBytes(dir.Storage() / "binary.awp", std::string("\x00\x01\xff<WebPart\x00\x02", 12));
    WriteBytes(dir.Storage() / "cdata.uwp", "<WebPart><Title><![CDATA[never closed</Title></WebPart>");
    WriteBytes(dir.Storage() / "unclosed.xml", "<WebPart><Title>Lost</WebPart>");
    dir.Part("ignored.txt", {"Txt", {"A"}});
    fs::create_directories(dir.Storage() / "sub.xml");
    dir.Part("GOOD2.XML", {"Two", {"A"}});
    // A sparse file far beyond any web part's size.
    {
        std::ofstream(dir.Storage() / "huge.xml") << "<WebPart><Title>Huge</Title>";
        fs::resize_file(dir.Storage() / "huge.xml", kMaxWebPartFileSize + 1);
    }
    Load();

    std::set<std::string> titles;
    for (const auto& e : cat.AllEntries())
        titles.insert(e->title);
    EXPECT_EQ(titles, (std::set<std::string>{"One", "Two"}));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(progress.size(), 2u);
}

TEST_F(CatalogueLoad, AbsurdlyDeepPathsAreCutNotFollowed)
{
    std::string deep;
    for (int i = 0; i < 20000; ++i)
        deep += "d/";
    dir.Part("deep.xml", {"Deep", {deep}});
    std::string outlines;
    for (int i = 0; i < 20000; ++i)
        outlines += "<outline text=\"o\">";
    WriteBytes(dir.Program() / "category.xml", "<opml><body>" + outlines + "</body></opml>");
    Load();
    int depth = 0;
    cat.BrowseTree().ForEach([&](TCatNode* n) { depth = std::max(depth, n->Level()); });
    EXPECT_EQ(depth, static_cast<int>(kMaxCategoryDepth));  // the part sits one below the deepest category
    EXPECT_EQ(cat.AllEntries().size(), 1u);
}

TEST_F(CatalogueLoad, MissingStorageFolderGivesEmptyCatalogue)
{
    cat.SetProgramDir(dir.ProgramDir());
    cat.LoadCatalogue((dir.Root() / "nowhere").string());
    EXPECT_TRUE(cat.AllEntries().empty());
    EXPECT_TRUE(cat.BrowseTree().IsEmpty());
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(CatalogueLoad, EntriesSortedByTitleAndTreeSortedWithoutCase)
{
    dir.Part("1.xml", {"beta", {"b"}});
    dir.Part("2.xml", {"Alpha", {"B"}});
    dir.Part("3.xml", {"alpha", {"a"}});
    dir.Part("4.xml", {"Gamma", {"b/C"}});
    Load();
    std::vector<std::string> titles;
    for (const auto& e : cat.AllEntries())
        titles.push_back(e->title);
    EXPECT_EQ(titles, (std::vector<std::string>{"alpha", "Alpha", "beta", "Gamma"}));
    EXPECT_EQ(Outline(cat.BrowseTree()),
              (std::vector<std::string>{"a", "  *alpha", "b", "  C", "    *Gamma", "  *Alpha", "  *beta"}));
}

TEST_F(CatalogueLoad, ReloadKeepsOneEntryObjectPerFile)
{
    const std::string file = dir.Part("w.xml", {"Weather", {"News"}});
    dir.Part("gone.xml", {"Gone", {"News"}});
    Load();
    TWPDataPtr held = cat.FindEntry(file);  // as an editor holds it
    held->Push("Sport", "");                 // a change not yet written
    cat.SearchEntries("e");
    ASSERT_EQ(cat.SearchResults().size(), 2u);

    dir.Part("w.xml", {"Weather 2", {"Sport"}});
    fs::remove(dir.Storage() / "gone.xml");
    cat.ReloadCatalogue();

    ASSERT_EQ(cat.AllEntries().size(), 1u);
    EXPECT_EQ(cat.AllEntries()[0], held);
    EXPECT_EQ(held->title, "Weather 2");
    EXPECT_TRUE(held->modified);
    EXPECT_EQ(held->operations.size(), 1u);
    TCatNode* sport = cat.FindCategoryNode("Sport");
    ASSERT_NE(sport, nullptr);
    EXPECT_EQ(sport->Child(0)->Entry(), held.get());
    EXPECT_TRUE(sport->CatData()->Contains(held.get()));
    // The category from the category-less first load stays, now empty.
    ASSERT_NE(cat.FindCategoryNode("News"), nullptr);
    EXPECT_EQ(cat.FindCategoryNode("News")->Count(), 0u);
    EXPECT_EQ(cat.FindEntry(dir.StorageDir() + "gone.xml"), nullptr);
    // The search list follows the reload.
    EXPECT_EQ(cat.SearchResults(), std::vector<TWPDataPtr>{held});
}

TEST_F(CatalogueLoad, ReloadReappliesTheChosenFilter)
{
    dir.Part("1.xml", {"Ru", {"A"}, "ru"});
    dir.Part("2.xml", {"En", {"B"}, "en"});
    Load();
    cat.languageChoice = kFilterRussian;
    cat.ReloadCatalogue();
    EXPECT_EQ(Outline(cat.BrowseTree()), (std::vector<std::string>{"A", "  *Ru"}));
    EXPECT_EQ(Outline(cat.EditTree()), (std::vector<std::string>{"A", "  *Ru", "B", "  *En"}));
}

TEST_F(CatalogueLoad, PickerShowsCategoriesOnly)
{
    TCatalogue picker(true);
    dir.Part("1.xml", {"P", {"A/B"}});
    picker.SetProgramDir(dir.ProgramDir());
    picker.LoadCatalogue(dir.StorageDir());
    EXPECT_EQ(Outline(picker.BrowseTree()), (std::vector<std::string>{"A", "  B"}));
}

TEST_F(CatalogueLoad, FindEntryPrefersExactThenIgnoresCase)
{
    const std::string a = dir.Part("Part.xml", {"Upper", {}});
    const std::string b = dir.Part("part.xml", {"Lower", {}});
    Load();
    EXPECT_EQ(cat.FindEntry(a)->title, "Upper");
    EXPECT_EQ(cat.FindEntry(b)->title, "Lower");
    std::string shouted = dir.StorageDir() + "PART.XML";
    ASSERT_NE(cat.FindEntry(shouted), nullptr);
    EXPECT_EQ(cat.FindEntry(dir.StorageDir() + "none.xml"), nullptr);
}

TEST_F(CatalogueLoad, GeneratedStorageOfThousands)
{
    const int kParts = 3000;
    for (int i = 0; i < kParts; ++i) {
        PartFields fields{"Part " + std::to_string(i), {"Big", "Group" + std::to_string(i % 40) + "/Sub" + std::to_string(i % 7)},
                      i % 2 ? "en" : "ru", std::to_string(i % 5)};
        dir.Part("p" + std::to_string(i) + ".xml", fields);
    }
    Load();
    EXPECT_EQ(cat.AllEntries().size(), static_cast<size_t>(kParts));
    EXPECT_EQ(progress.size(), static_cast<size_t>(kParts));
    TCatNode* big = cat.FindCategoryNode("Big");
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->Count(), static_cast<size_t>(kParts));
    EXPECT_EQ(big->CatData()->Count(), static_cast<size_t>(kParts));
    // 41 top-level categories, each group with 7 sub-categories.
    EXPECT_EQ(cat.BrowseTree().Count(), 41u);
    EXPECT_EQ(cat.FindCategoryNode("Group3")->Count(), 7u);
    size_t webParts = 0;
    cat.BrowseTree().ForEach([&](TCatNode* n) { webParts += n->IsWebPart(); });
    EXPECT_EQ(webParts, static_cast<size_t>(2 * kParts));

    // A part saved after the load is found by its name like the loaded ones.
    const std::string late = dir.Part("late.xml", {"Late", {"Big"}});
    const TWPDataPtr lateEntry = cat.ReadEntry(late).entry;
    std::unordered_map<std::string, TWPData*> objects;
    for (const TWPDataPtr& entry : cat.AllEntries()) {
        EXPECT_EQ(cat.FindEntry(entry->fileName), entry);
        objects[entry->fileName] = entry.get();
    }
    EXPECT_EQ(objects.size(), static_cast<size_t>(kParts + 1));
    EXPECT_EQ(objects[late], lateEntry.get());

    // Loading again places nothing twice and keeps every entry's object.
    cat.ReloadCatalogue();
    EXPECT_EQ(cat.FindCategoryNode("Big")->Count(), static_cast<size_t>(kParts + 1));
    EXPECT_EQ(cat.AllEntries().size(), static_cast<size_t>(kParts + 1));
    for (const TWPDataPtr& entry : cat.AllEntries()) {
        EXPECT_EQ(objects[entry->fileName], entry.get());
        EXPECT_EQ(cat.FindEntry(entry->fileName), entry);
    }
}

TEST_F(CatalogueLoad, SamplePortalStorage)
{
    const char* data = std::getenv("WPE_DATA_DIR");
    if (!data || !fs::is_directory(fs::path(data) / "portal" / "STORAGE"))
        GTEST_SKIP() << "sample portal not present";
    const fs::path storage = fs::path(data) / "portal" / "STORAGE";
    size_t files = 0;
    for (const auto& e : fs::directory_iterator(storage))
        files += e.is_regular_file();
    TCatalogue sample;
    sample.SetProgramDir(dir.ProgramDir());
    std::vector<std::string> seen;
    sample.LoadCatalogue(storage.string(), [&](const std::string& p) { seen.push_back(p); });
    ASSERT_FALSE(sample.AllEntries().empty());
    EXPECT_LE(sample.AllEntries().size(), files);
    EXPECT_EQ(seen.size(), sample.AllEntries().size());
    for (const auto& e : sample.AllEntries())
        EXPECT_FALSE(e->title.empty()) << e->fileName;
    // Every web part node links an entry that is in its category's list.
    sample.BrowseTree().ForEach([&](TCatNode* n) {
        if (!n->IsWebPart())
            return;
        const TCatData* list = n->Parent() ? n->Parent()->CatData() : &sample.RootList();
        ASSERT_NE(list, nullptr);
        EXPECT_TRUE(list->Contains(n->Entry())) << n->Text();
    });
    EXPECT_TRUE(dialogs.messages.empty());
}

} // namespace
} // namespace wpe::test
