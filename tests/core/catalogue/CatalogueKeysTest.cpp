// The load's keyed shortcuts against the plain ways: sorts by key against
// stable sorts with the full comparisons (titles and names that share long
// beginnings, differ only in case, hold Windows-1251 letters or NUL bytes,
// or are prefixes of others), and the web part index of a large level
// against a scan of its children.

#include "CatalogueTestSupport.h"

#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace wpe::test {
namespace {

std::string RandomTitle(std::mt19937& rng)
{
    static const std::vector<std::string> starts = {"", "Weather", "weather", "WEATHER", "Weather report ",
                                                    "\xCF\xF0\xE8", "\xEF\xF0\xE8", "a", "A", "ab", "Ab"};
    static const char tail[] = {'a', 'A', 'b', 'B', ' ', '\0', '\xE0', '\xC0', '\xB8', '\xA8', 'z', '_'};
    std::string s = starts[rng() % starts.size()];
    const size_t n = rng() % 12;
    for (size_t i = 0; i < n; ++i)
        s += tail[rng() % sizeof tail];
    return s;
}

TEST(CatalogueSort, PrefixKeysNeverDisagreeWithTheComparison)
{
    std::mt19937 rng(5);
    for (int i = 0; i < 100000; ++i) {
        const std::string a = RandomTitle(rng), b = RandomTitle(rng);
        for (size_t bytes : {7u, 8u}) {
            // Two words, as the sorts use them: the first bytes, then the next.
            const auto ka = std::make_pair(NoCasePrefixKey(a, bytes), NoCasePrefixKey(a, 8, bytes));
            const auto kb = std::make_pair(NoCasePrefixKey(b, bytes), NoCasePrefixKey(b, 8, bytes));
            if (ka < kb) {
                ASSERT_LT(CompareNoCase(a, b), 0) << '"' << a << "\" \"" << b << '"';
            }
            if (ka > kb) {
                ASSERT_GT(CompareNoCase(a, b), 0) << '"' << a << "\" \"" << b << '"';
            }
        }
    }
}

// Every node of a tree in tree order, as what tells it apart.
std::vector<const void*> Identities(const TCatTree& tree)
{
    std::vector<const void*> out;
    tree.ForEach([&](TCatNode* n) { out.push_back(n->IsWebPart() ? static_cast<const void*>(n->Entry())
                                                                 : static_cast<const void*>(n->CatData())); });
    return out;
}

TEST(CatalogueSort, KeyedTreeSortEqualsThePlainSort)
{
    auto less = [](const TCatNode* a, const TCatNode* b) {
        if (a->Kind() != b->Kind())
            return a->IsCategory();
        return CompareNoCase(a->Text(), b->Text()) < 0;
    };
    auto key = [](const TCatNode* n) {
        return TCatTree::SortKey{(n->IsCategory() ? 0 : std::uint64_t(1) << 56) | NoCasePrefixKey(n->Text(), 7),
                                 NoCasePrefixKey(n->Text(), 8, 7)};
    };
    std::mt19937 rng(11);
    for (int round = 0; round < 40; ++round) {
        TCatTree plain;
        std::vector<TCatNode*> categories{nullptr};
        const int nodes = 1 + static_cast<int>(rng() % 400);
        for (int i = 0; i < nodes; ++i) {
            TCatNode* parent = categories[rng() % categories.size()];
            if (rng() % 3 == 0) {
                categories.push_back(plain.AddCategory(parent, RandomTitle(rng), std::make_shared<TCatData>()));
            } else {
                auto entry = std::make_shared<TWPData>();
                entry->title = RandomTitle(rng);
                plain.AddWebPart(parent, entry);
            }
        }
        TCatTree keyed;
        keyed.CopyFrom(plain);
        plain.SortChildren(nullptr, less, true);
        keyed.SortChildrenByKey(nullptr, key, less, true);
        ASSERT_EQ(Identities(keyed), Identities(plain)) << "round " << round;
        ASSERT_EQ(Outline(keyed), Outline(plain)) << "round " << round;
    }
}

// The loaded entries are in the order a plain stable sort by title gives the
// files in the order they are read (by name).
TEST(CatalogueSort, LoadedEntriesFollowThePlainStableSortByTitle)
{
    TempFolder dir;
    RecordingDialogs dialogs;
    std::mt19937 rng(17);
    for (int i = 0; i < 300; ++i) {
        std::string title = RandomTitle(rng);
        title.erase(std::remove_if(title.begin(), title.end(),
                                   [](char c) { return c == '\0' || c == '<' || c == '&' || c == ' '; }),
                    title.end());
        if (title.empty())
            title = "x";
        dir.Part("p" + std::to_string(1000 + i) + ".xml", {title, {"C" + std::to_string(i % 3)}});
    }
    TCatalogue cat;
    cat.SetProgramDir(dir.ProgramDir());
    cat.LoadCatalogue(dir.StorageDir());

    std::vector<TWPDataPtr> expected = cat.AllEntries();
    std::sort(expected.begin(), expected.end(),
              [](const TWPDataPtr& a, const TWPDataPtr& b) { return a->fileName < b->fileName; });
    std::stable_sort(expected.begin(), expected.end(), [](const TWPDataPtr& a, const TWPDataPtr& b) {
        return CompareWithCase(a->title, b->title) < 0;
    });
    ASSERT_EQ(cat.AllEntries().size(), 300u);
    EXPECT_EQ(cat.AllEntries(), expected);

    // Each level of the tree: categories first, then by text without case;
    // web parts of equal text keep the order they were read in (by file).
    auto before = [](const TCatNode* a, const TCatNode* b) {
        if (a->Kind() != b->Kind())
            return a->IsCategory();
        const int order = CompareNoCase(a->Text(), b->Text());
        if (order != 0 || !a->IsWebPart())
            return order < 0;
        return a->Entry()->fileName < b->Entry()->fileName;
    };
    size_t levels = 0;
    for (const TCatNode* parent : std::vector<const TCatNode*>{nullptr, cat.FindCategoryNode("C0"),
                                                               cat.FindCategoryNode("C1"), cat.FindCategoryNode("C2")}) {
        const TCatTree& tree = cat.BrowseTree();
        for (size_t i = 1; i < tree.Count(parent); ++i)
            ASSERT_TRUE(before(tree.Child(parent, i - 1), tree.Child(parent, i)))
                << "\"" << tree.Child(parent, i - 1)->Text() << "\" then \"" << tree.Child(parent, i)->Text() << '"';
        levels += tree.Count(parent) > 50;
    }
    EXPECT_EQ(levels, 3u);
}

// Every web part node of a tree as "category path|title|file", sorted.
std::vector<std::string> PlacedParts(const TCatTree& tree)
{
    std::vector<std::string> out;
    tree.ForEach([&](TCatNode* n) {
        if (n->IsWebPart())
            out.push_back(TCatalogue::CategoryPath(n) + "|" + n->Text() + "|" + n->Entry()->fileName);
    });
    std::sort(out.begin(), out.end());
    return out;
}

// The load skips the tree's duplicate check for files without a twin (a
// name equal without case); the parts must land exactly where placing each
// file with the full check puts them: files that differ in case only, equal
// titles, categories repeated in one file in another case.
TEST(CatalogueIndex, LoadPlacesPartsAsTheFullDuplicateCheckDoes)
{
    std::mt19937 rng(29);
    for (int round = 0; round < 6; ++round) {
        TempFolder dir;
        RecordingDialogs dialogs;
        static const char* names[] = {"a", "A", "b", "B", "\xE0", "\xC0", "news", "NEWS", "News"};
        static const char* titles[] = {"Weather", "WEATHER", "weather", "Sport", "\xCF\xF0"};
        static const char* categories[] = {"", "X", "x", "X/Y", "x/y", "X//Y", "Z", "/"};
        for (int i = 0; i < 40; ++i) {
            const std::string name = std::string(names[rng() % 9]) + std::to_string(rng() % 3) + ".xml";
            PartFields part{titles[rng() % 5], {}};
            const size_t count = rng() % 4;
            for (size_t c = 0; c < count; ++c)
                part.categories.push_back(categories[rng() % 8]);
            dir.Part(name, part);
        }
        TCatalogue loaded;
        loaded.SetProgramDir(dir.ProgramDir());
        loaded.LoadCatalogue(dir.StorageDir());

        TCatalogue placed;
        std::vector<std::string> files;
        for (const auto& e : fs::directory_iterator(dir.Storage()))
            files.push_back(e.path().filename().string());
        std::sort(files.begin(), files.end());
        for (const std::string& file : files) {
            auto read = placed.ReadEntry(dir.StorageDir() + file);
            placed.PlaceEntry(read.entry, read.paths, placed.BrowseTree());
        }
        ASSERT_EQ(PlacedParts(loaded.BrowseTree()), PlacedParts(placed.BrowseTree())) << "round " << round;
        ASSERT_EQ(PlacedParts(loaded.EditTree()), PlacedParts(placed.BrowseTree())) << "round " << round;
    }
}

TEST(CatalogueIndex, WebPartLookupEqualsAScanOfTheChildren)
{
    std::mt19937 rng(23);
    auto fileName = [&] {
        static const char* names[] = {"/s/a.xml", "/s/A.XML", "/s/b.xml", "/S/b.xml", "/s/\xE0.xml",
                                      "/s/\xC0.xml", "/s/long/folder/name/part.xml", "/s/long/folder/NAME/part.xml"};
        return std::string(names[rng() % 8]) + std::to_string(rng() % 40);
    };
    for (int round = 0; round < 20; ++round) {
        TCatTree tree;
        TCatNode* level = tree.AddCategory(nullptr, "Big", std::make_shared<TCatData>());
        std::vector<TWPDataPtr> entries;
        const int children = 1 + static_cast<int>(rng() % 3000);
        for (int i = 0; i < children; ++i) {
            auto entry = std::make_shared<TWPData>();
            entry->title = RandomTitle(rng);
            entry->fileName = fileName();
            entries.push_back(entry);
            tree.AddWebPart(level, entry);
            if (i % 7 == 0)
                tree.AddCategory(level, entry->title, std::make_shared<TCatData>());
        }
        for (int q = 0; q < 3000; ++q) {
            std::string title = RandomTitle(rng), file = fileName();
            if (q % 2) {
                // A child's own key with the case of its letters changed.
                const TWPDataPtr& e = entries[rng() % entries.size()];
                title = rng() % 2 ? AsciiUpper(e->title) : e->title;
                file = rng() % 2 ? AnsiUpper(e->fileName) : e->fileName;
            }
            bool expected = false;
            for (size_t i = 0; i < level->Count() && !expected; ++i) {
                const TCatNode* child = level->Child(i);
                expected = child->IsWebPart() && SameAsciiCaseless(child->Text(), title) &&
                           SameNoCase(child->Entry()->fileName, file);
            }
            ASSERT_EQ(tree.HasWebPartChild(level, title, file), expected)
                << "round " << round << " title \"" << title << "\" file " << file;
        }
        // Every child is found under its own key.
        for (const auto& entry : entries)
            ASSERT_TRUE(tree.HasWebPartChild(level, entry->title, entry->fileName));
    }
}

} // namespace
} // namespace wpe::test
