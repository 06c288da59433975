// Filters, search, type-ahead and lookups.

#include "CatalogueTestSupport.h"

#include "catalogue/Catalogue.h"

#include <gtest/gtest.h>

namespace wpe::test {
namespace {

// One catalogue shared by the filter cases:
//   Lang/En (en), Lang/Ru (ru), Lang/Fr (fr), Lang/Ge (ge), Lang/None (no language)
//   Other/Deep/Pop3 (popularity 3, ru), Other/Zero (0), Other/Neg (-1), Other/Word (many), Other/Blank
//   Solo/Empty (no parts, sub-category of Solo which holds a German part)
//   Top (en, at the top level)
class FilterFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir.Part("en.xml", {"En", {"Lang"}, "EN"});
        dir.Part("ru.xml", {"Ru", {"Lang"}, "ru"});
        dir.Part("fr.xml", {"Fr", {"Lang"}, "fr"});
        dir.Part("ge.xml", {"Ge", {"Lang", "Solo"}, "ge"});
        dir.Part("none.xml", {"None", {"Lang"}});
        dir.Part("pop3.xml", {"Pop3", {"Other/Deep"}, "ru", "3"});
        dir.Part("zero.xml", {"Zero", {"Other"}, "en", "0"});
        dir.Part("neg.xml", {"Neg", {"Other"}, "en", "-1"});
        dir.Part("word.xml", {"Word", {"Other"}, "en", "many"});
        dir.Part("blank.xml", {"Blank", {"Other"}, "en", ""});
        dir.Part("top.xml", {"Top", {}, "en", "12"});
        WriteBytes(dir.Program() / "category.xml",
                   "<opml><body><outline text=\"Solo\"><outline text=\"Empty\"/></outline></body></opml>");
        cat.SetProgramDir(dir.ProgramDir());
        cat.LoadCatalogue(dir.StorageDir());
    }

    TempFolder dir;
    RecordingDialogs dialogs;
    TCatalogue cat;
};

struct FilterCase {
    const char* name;
    int mask;
    std::vector<std::string> outline;
};

class Filter : public FilterFixture, public ::testing::WithParamInterface<FilterCase> {};

TEST_P(Filter, KeepsExactlyTheseNodes)
{
    cat.ApplyFilter(GetParam().mask, cat.BrowseTree());
    EXPECT_EQ(Outline(cat.BrowseTree()), GetParam().outline);
}

INSTANTIATE_TEST_SUITE_P(
    Bits, Filter,
    ::testing::Values(
        FilterCase{"CategoriesOnly", kFilterCategoriesOnly, {"Lang", "Other", "  Deep", "Solo", "  Empty"}},
        FilterCase{"Russian", kFilterRussian, {"Lang", "  *Ru", "Other", "  Deep", "    *Pop3"}},
        FilterCase{"EnglishKeepsEmptyLanguage",
                   kFilterEnglish,
                   {"Lang", "  *En", "  *None", "Other", "  Deep", "  *Blank", "  *Neg", "  *Word", "  *Zero", "*Top"}},
        FilterCase{"French", kFilterFrench, {"Lang", "  *Fr"}},
        FilterCase{"GermanKeepsEmptySubcategory", kFilterGerman, {"Lang", "  *Ge", "Solo", "  Empty", "  *Ge"}},
        FilterCase{"NewItemsRemovesNothingButPrunesNothing", kFilterNewItems,
                   {"Lang", "  *En", "  *Fr", "  *Ge", "  *None", "  *Ru", "Other", "  Deep", "    *Pop3",
                    "  *Blank", "  *Neg", "  *Word", "  *Zero", "Solo", "  Empty", "  *Ge", "*Top"}},
        FilterCase{"MostPopular", kFilterMostPopular, {"Other", "  Deep", "    *Pop3", "*Top"}},
        FilterCase{"EnglishAndMostPopular", kFilterEnglish | kFilterMostPopular, {"*Top"}},
        FilterCase{"RussianAndMostPopular", kFilterRussian | kFilterMostPopular, {"Other", "  Deep", "    *Pop3"}},
        FilterCase{"FrenchAndMostPopularEmptiesTree", kFilterFrench | kFilterMostPopular, {}},
        FilterCase{"CategoriesOnlyThenLanguageLeavesEmpty", kFilterCategoriesOnly | kFilterRussian, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FilterFixture, MaskZeroRestoresFromTheOtherTree)
{
    const auto full = Outline(cat.BrowseTree());
    cat.ApplyFilter(kFilterEnglish, cat.BrowseTree());
    cat.ApplyFilter(0, cat.BrowseTree());
    EXPECT_EQ(Outline(cat.BrowseTree()), full);
    // Restoring before each filter: French after English shows French parts.
    cat.ApplyFilter(kFilterEnglish, cat.BrowseTree());
    cat.ApplyFilter(0, cat.BrowseTree());
    cat.ApplyFilter(kFilterFrench, cat.BrowseTree());
    EXPECT_EQ(Outline(cat.BrowseTree()), (std::vector<std::string>{"Lang", "  *Fr"}));

    // The edit tree filtered is restored from the browse tree.
    cat.ApplyFilter(0, cat.BrowseTree());
    cat.ApplyFilter(kFilterCategoriesOnly, cat.EditTree());
    EXPECT_EQ(Outline(cat.EditTree()), (std::vector<std::string>{"Lang", "Other", "  Deep", "Solo", "  Empty"}));
    cat.ApplyFilter(0, cat.EditTree());
    EXPECT_EQ(Outline(cat.EditTree()), full);
}

TEST_F(FilterFixture, FilterExpandsSavedCategories)
{
    cat.FindCategoryNode("Other")->CatData()->expanded = true;
    cat.ApplyFilter(kFilterMostPopular, cat.BrowseTree());
    EXPECT_TRUE(cat.FindCategoryNode("Other")->expanded);
    EXPECT_FALSE(cat.FindCategoryNode("Other/Deep")->expanded);
}

TEST_F(FilterFixture, SearchMatchesInsideTitlesAsciiCaseless)
{
    cat.SearchEntries("o");
    std::vector<std::string> titles;
    for (const auto& e : cat.SearchResults())
        titles.push_back(e->title);
    EXPECT_EQ(titles, (std::vector<std::string>{"None", "Pop3", "Top", "Word", "Zero"}));
    cat.SearchEntries("OP3");
    ASSERT_EQ(cat.SearchResults().size(), 1u);
    EXPECT_EQ(cat.SearchResults()[0]->title, "Pop3");
    cat.SearchEntries("xyz");
    EXPECT_TRUE(cat.SearchResults().empty());
    cat.SearchEntries(" ");  // blanks are searched as typed
    EXPECT_TRUE(cat.SearchResults().empty());
}

TEST(Search, AthFindsWeather)
{
    TempFolder dir;
    dir.Part("w.xml", {"Weather", {}});
    dir.Part("n.xml", {"Nothing", {}});
    TCatalogue cat;
    cat.SetProgramDir(dir.ProgramDir());
    cat.LoadCatalogue(dir.StorageDir());
    cat.SearchEntries("ath");
    ASSERT_EQ(cat.SearchResults().size(), 1u);
    EXPECT_EQ(cat.SearchResults()[0]->title, "Weather");
}

TEST(TypeAhead, PrefixFromStartWithAndWithoutWrap)
{
    std::vector<TWPDataPtr> list;
    for (const char* t : {"Alpha", "beta", "Bravo", "Charlie", "alpine"}) {
        list.push_back(std::make_shared<TWPData>());
        list.back()->title = t;
    }
    constexpr size_t kNone = static_cast<size_t>(-1);
    EXPECT_EQ(TCatalogue::FindByTitlePrefix(list, "b", 0, true), 1u);
    EXPECT_EQ(TCatalogue::FindByTitlePrefix(list, "BR", 0, true), 2u);
    EXPECT_EQ(TCatalogue::FindByTitlePrefix(list, "al", 1, true), 4u);
    EXPECT_EQ(TCatalogue::FindByTitlePrefix(list, "ALPH", 2, true), 0u);
    EXPECT_EQ(TCatalogue::FindByTitlePrefix(list, "alph", 2, false), kNone);
    EXPECT_EQ(TCatalogue::FindByTitlePrefix(list, "Charlie", 3, false), 3u);
    EXPECT_EQ(TCatalogue::FindByTitlePrefix(list, "lpha", 0, true), kNone);
    EXPECT_EQ(TCatalogue::FindByTitlePrefix({}, "a", 0, true), kNone);
}

TEST_F(FilterFixture, FindCategoryNodeSearchesSubtreesExactly)
{
    EXPECT_EQ(cat.FindCategoryNode("Other/Deep")->Text(), "Deep");
    // Later names are sought in the whole subtree, not only among children.
    EXPECT_EQ(cat.FindCategoryNode("Other/Pop3")->Text(), "Pop3");
    EXPECT_TRUE(cat.FindCategoryNode("Other/Pop3")->IsWebPart());
    EXPECT_EQ(cat.FindCategoryNode("other/Deep"), nullptr);
    EXPECT_EQ(cat.FindCategoryNode("Lang/Missing"), nullptr);
    EXPECT_EQ(cat.FindCategoryNode(""), nullptr);
    EXPECT_EQ(cat.FindCategoryNode("Top")->Text(), "Top");
}

TEST_F(FilterFixture, CategoryPathOfNodes)
{
    TCatNode* deep = cat.FindCategoryNode("Other/Deep");
    EXPECT_EQ(TCatalogue::CategoryPath(deep), "Other/Deep");
    EXPECT_EQ(TCatalogue::CategoryPath(deep->Child(0)), "Other/Deep");
    EXPECT_EQ(TCatalogue::CategoryPath(cat.FindCategoryNode("Top")), "");
    EXPECT_EQ(TCatalogue::CategoryPath(nullptr), "");
}

} // namespace
} // namespace wpe::test
