#include "shell/FileList.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace wpe {
namespace {

namespace fs = std::filesystem;

TEST(FileSizeText, WholeKilobytesWithSmallFilesRoundedUp)
{
    EXPECT_EQ(FileSizeText(0), "0 KB");
    EXPECT_EQ(FileSizeText(1), "1 KB");
    EXPECT_EQ(FileSizeText(1023), "1 KB");
    EXPECT_EQ(FileSizeText(1024), "1 KB");
    EXPECT_EQ(FileSizeText(1500), "1 KB") << "cut down, not rounded";
    EXPECT_EQ(FileSizeText(2047), "1 KB");
    EXPECT_EQ(FileSizeText(2048), "2 KB");
    EXPECT_EQ(FileSizeText(5ull << 30), "5242880 KB") << "files past 2 GB keep their size";
}

TEST(FileSizeText, NumberReadBackForSorting)
{
    EXPECT_EQ(SizeTextValue("10 KB"), 10u);
    EXPECT_EQ(SizeTextValue("  7   KB"), 7u);
    EXPECT_EQ(SizeTextValue("12K"), 12u);
    EXPECT_EQ(SizeTextValue("KB"), 0u);
    EXPECT_EQ(SizeTextValue("abc KB"), 0u);
    EXPECT_EQ(SizeTextValue("1 2 KB"), 0u);
    EXPECT_EQ(SizeTextValue(""), 0u);
}

TEST(FileMasks, FiltersAndMatching)
{
    EXPECT_EQ(FileMasks(TFileFilter::WebParts), (std::vector<std::string>{"*.xml", "*.dwp", "*.cwp"}));
    EXPECT_EQ(FileMasks(TFileFilter::Skins), (std::vector<std::string>{"*.cso"}));
    EXPECT_EQ(FileMasks(TFileFilter::AllTolvinex), (std::vector<std::string>{"*.xml", "*.dwp", "*.cwp", "*.cso"}));
    EXPECT_EQ(FileMasks(TFileFilter::AllFiles), (std::vector<std::string>{"*.*"}));
    EXPECT_EQ(FirstCheckedFilter({false, false, false, false}), TFileFilter::AllTolvinex);
    EXPECT_EQ(FirstCheckedFilter({false, true, false, true}), TFileFilter::Skins);
    EXPECT_EQ(FirstCheckedFilter({false, false, false, true}), TFileFilter::AllFiles);

    EXPECT_TRUE(MatchesMask("Site.XML", "*.xml"));
    EXPECT_TRUE(MatchesMask("a.b.xml", "*.xml"));
    EXPECT_FALSE(MatchesMask("a.xml.bak", "*.xml"));
    EXPECT_FALSE(MatchesMask("xml", "*.xml"));
    EXPECT_TRUE(MatchesMask("README", "*.*")) << "every name, with or without a full stop";
    EXPECT_TRUE(MatchesMask("ab.cso", "a?.cso"));
    EXPECT_FALSE(MatchesMask("abc.cso", "a?.cso"));
    EXPECT_TRUE(MatchesMask("news-2026.xml", "*-*.x*"));
}

TEST(FileList, OnlyLowerCaseExtensionsGetADescription)
{
    EXPECT_TRUE(HasDescriptionExt("news.xml"));
    EXPECT_TRUE(HasDescriptionExt("news.dwp"));
    EXPECT_TRUE(HasDescriptionExt("news.cwp"));
    EXPECT_FALSE(HasDescriptionExt("Site.XML"));
    EXPECT_FALSE(HasDescriptionExt("blue.cso"));
    EXPECT_FALSE(HasDescriptionExt("xml"));
}

TEST(DescriptionReader, FirstPlainTextOfADescriptionElement)
{
    EXPECT_EQ(ReadDescriptionFromText("<WebPart><Title>T</Title><Description>News of the day</Description></WebPart>").text,
              "News of the day");
    EXPECT_EQ(ReadDescriptionFromText("<a><DESCRIPTION>upper</DESCRIPTION></a>").text, "upper");
    EXPECT_EQ(ReadDescriptionFromText("<a><description><![CDATA[skipped]]>after</description></a>").text, "after")
        << "a CDATA section does not count";
    EXPECT_EQ(ReadDescriptionFromText("<a><description><![CDATA[only]]></description></a>").text, "");
    EXPECT_EQ(ReadDescriptionFromText("<a><description><b>inner</b></description><x>no</x></a>").text, "")
        << "text inside a child is not the description's own";
    EXPECT_EQ(ReadDescriptionFromText("<a><descriptions>no</descriptions><Description>yes</Description></a>").text,
              "yes");
    EXPECT_EQ(ReadDescriptionFromText("<a><Description>  Fish &amp; chips\r\n</Description></a>").text,
              "Fish & chips");
    EXPECT_EQ(ReadDescriptionFromText("<a><Description>first</Description><Description>second</Description></a>").text,
              "first");
}

TEST(DescriptionReader, EncodingAndBrokenInput)
{
    TDescription d = ReadDescriptionFromText(
        "<?xml version=\"1.0\" encoding=\"WINDOWS-1251\" ?>\r\n<WebPart><Description>\xCF\xF0\xE8</Description></WebPart>");
    EXPECT_EQ(d.text, "\xCF\xF0\xE8") << "bytes as the file holds them";
    EXPECT_EQ(d.encoding, "WINDOWS-1251");
    EXPECT_EQ(ReadDescriptionFromText("<?xml version='1.0' encoding='UTF-8'?><a/>").encoding, "UTF-8");

    EXPECT_EQ(ReadDescriptionFromText("not xml at all").text, "");
    EXPECT_EQ(ReadDescriptionFromText("PK\x03\x04\x14\0\0\0binary<<>>").text, "");
    EXPECT_EQ(ReadDescriptionFromText("<a><b></a><Description>late</Description>").text, "")
        << "the scan stops at the first error";
    EXPECT_EQ(ReadDescriptionFromText("<a><Description>found</Description></b>").text, "found")
        << "an error after the description does not matter";
    EXPECT_EQ(ReadDescriptionFromText("").text, "");
}

class FolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = fs::temp_directory_path() / ("wpe_filelist_" + std::to_string(::getpid()) + "_" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root);
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    std::string Write(const std::string& name, const std::string& text)
    {
        std::ofstream(root / name, std::ios::binary) << text;
        return (root / name).string();
    }
    fs::path root;
};

TEST_F(FolderTest, DescriptionFromAFileAndFromAFileThatIsNotThere)
{
    std::string path = Write("news.xml", "<WebPart><Description>From disk</Description></WebPart>");
    EXPECT_EQ(ReadDescription(path).text, "From disk");
    EXPECT_EQ(ReadDescription((root / "missing.xml").string()).text, "");
    EXPECT_EQ(ReadDescription(root.string()).text, "") << "a folder is no file";
}

TEST_F(FolderTest, RowsFollowTheMasksInOrder)
{
    Write("b.xml", "<WebPart><Description>Bee</Description></WebPart>");
    Write("Site.XML", "<WebPart><Description>Hidden</Description></WebPart>");
    Write("a.cso", "<skin/>");
    Write("c.dwp", std::string(3000, ' ') + "<WebPart><Description>Sea</Description></WebPart>");
    Write("notes.txt", "plain");
    fs::create_directory(root / "folder.xml");

    std::vector<std::string> progress;
    auto rows = ListFileRows(root.string(), FileMasks(TFileFilter::AllTolvinex),
                             [&](const std::string& p) { progress.push_back(p); });
    std::vector<std::string> names;
    for (const auto& r : rows)
        names.push_back(r.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Site.XML", "b.xml", "c.dwp", "a.cso"}))
        << "mask by mask; folders skipped; mask matching ignores case";
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].title, "") << "Site.XML: the extension test is exact";
    EXPECT_EQ(rows[1].title, "Bee");
    EXPECT_EQ(rows[2].title, "Sea");
    EXPECT_EQ(rows[2].sizeText, "2 KB");
    EXPECT_EQ(rows[3].title, "") << "skins get no title";
    EXPECT_EQ(rows[1].path, (root / "b.xml").string());
    EXPECT_EQ(progress.size(), 4u);

    auto twice = ListFileRows(root.string(), {"*.xml", "b.*"});
    EXPECT_EQ(twice.size(), 3u) << "a file matching two masks is listed twice";

    EXPECT_TRUE(ListFileRows(root.string(), {}).empty());
    EXPECT_TRUE(ListFileRows((root / "nowhere").string(), {"*.*"}).empty());

    auto decoded = ListFileRows(root.string(), {"b.xml"}, {}, [](const TDescription& d) { return "<" + d.text + ">"; });
    ASSERT_EQ(decoded.size(), 1u);
    EXPECT_EQ(decoded[0].title, "<Bee>");
}

TEST(FileSort, HeaderClicks)
{
    TFileSort sort;
    EXPECT_EQ(sort.column, 0);
    EXPECT_TRUE(sort.ascending);
    sort.ClickHeader(0);
    EXPECT_FALSE(sort.ascending) << "the sort column flips";
    sort.ClickHeader(2);
    EXPECT_EQ(sort.column, 2);
    EXPECT_TRUE(sort.ascending) << "another column starts ascending";
    sort.ClickHeader(2);
    sort.ClickHeader(1);
    EXPECT_EQ(sort.column, 1);
    EXPECT_TRUE(sort.ascending);
}

TEST(FileSort, TextWithoutCase)
{
    EXPECT_EQ(CompareTextNoCase("abc", "ABC"), 0);
    EXPECT_LT(CompareTextNoCase("apple", "Banana"), 0);
    EXPECT_GT(CompareTextNoCase("b", "A"), 0);
    EXPECT_LT(CompareTextNoCase("ab", "abc"), 0);
    EXPECT_EQ(CompareTextNoCase("\xD0\x9F\xD0\xA0\xD0\x98", "\xD0\xBF\xD1\x80\xD0\xB8"), 0) << "Cyrillic folds";
    EXPECT_EQ(CompareTextNoCase("\xC3\x89t\xC3\xA9", "\xC3\xA9T\xC3\x89"), 0) << "Latin-1 letters fold";
    EXPECT_LT(CompareTextNoCase("z", "\xD0\xB0"), 0) << "by character, not by byte";
    EXPECT_NE(CompareTextNoCase("\xFF", "\xFE"), 0) << "bytes that are not UTF-8 still order";
}

std::vector<std::string> Order(std::vector<TFileRow> rows, TFileSort sort)
{
    SortFileRows(rows, sort);
    std::vector<std::string> names;
    for (const auto& r : rows)
        names.push_back(r.name);
    return names;
}

TEST(FileSort, EachColumnBothWays)
{
    std::vector<TFileRow> rows = {
        {"b.xml", "", "Weather", "10 KB"},
        {"A.xml", "", "clock", "9 KB"},
        {"c.xml", "", "", "100 KB"},
        {"d.cso", "", "weather", "bad"},
    };
    EXPECT_EQ(Order(rows, {0, true}), (std::vector<std::string>{"A.xml", "b.xml", "c.xml", "d.cso"}));
    EXPECT_EQ(Order(rows, {0, false}), (std::vector<std::string>{"d.cso", "c.xml", "b.xml", "A.xml"}));
    EXPECT_EQ(Order(rows, {1, true}), (std::vector<std::string>{"c.xml", "A.xml", "b.xml", "d.cso"}))
        << "empty title first; equal titles keep their order";
    EXPECT_EQ(Order(rows, {2, true}), (std::vector<std::string>{"d.cso", "A.xml", "b.xml", "c.xml"}))
        << "9 KB before 10 KB before 100 KB; a size that is no number counts as 0";
    EXPECT_EQ(Order(rows, {2, false}), (std::vector<std::string>{"c.xml", "b.xml", "A.xml", "d.cso"}));
    EXPECT_EQ(CompareFileRows(rows[0], rows[1], 7), 0) << "an unknown column makes rows equal";
}

} // namespace
} // namespace wpe
