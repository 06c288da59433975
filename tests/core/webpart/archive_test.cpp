#include "webpart/Archive.h"
#include "util/Exception.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <zip.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;
using namespace wpe;

namespace {

class ArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A fresh folder of its own, so two builds running the suite at once
        // never share one.
        std::string pattern = (fs::temp_directory_path() / "wpe_archive_XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
        fs::create_directories(root_ / "x");
        fs::create_directories(root_ / "parts");
    }
    void TearDown() override { fs::remove_all(root_); }

    std::string path(const std::string& relative) const { return (root_ / relative).string(); }
    static void write(const std::string& file, const std::string& bytes) {
        std::ofstream(file, std::ios::binary) << bytes;
    }
    static std::string read(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::vector<std::string> leftovers(const std::string& folder) const {
        std::vector<std::string> names;
        for (auto& e : fs::directory_iterator(folder))
            if (e.path().filename().string().find(".tmp") != std::string::npos)
                names.push_back(e.path().filename().string());
        return names;
    }

    fs::path root_;
};

std::vector<LinkField> linkFields(const std::string& content, const std::string& master = "http://") {
    return {{"ContentLink", content},      {"CustomizationLink", "http://"},
            {"DetailLink", "http://x.org/d"}, {"MasterPartLink", master},
            {"XSLLink", "rss.xsl"}};
}

} // namespace

TEST(ArchivePaths, FolderAndArchiveFollowThePartName) {
    EXPECT_EQ(PartFolderOf("/d/parts/news.xml"), "/d/parts/news/");
    EXPECT_EQ(ArchivePathOf("/d/parts/news.xml"), "/d/parts/news.cwp");
    EXPECT_EQ(PartFolderOf("/d/parts/a.b.dwp"), "/d/parts/a.b/");
    EXPECT_EQ(PartFolderOf(""), "");
    EXPECT_EQ(ArchivePathOf(""), "");
}

TEST_F(ArchiveTest, NewsExampleCopiesLinkAndPacksPartWithFolder) {
    write(path("x/page.html"), "<b>hello</b>");
    std::string part = path("parts/news.xml");
    write(part, "<WebPart/>");
    auto fields = linkFields(path("x/page.html"));

    CopyLinkedFiles(part, fields);

    EXPECT_EQ(fields[0].text, "page.html");
    EXPECT_TRUE(fields[0].changed);
    for (size_t i = 1; i < fields.size(); ++i)
        EXPECT_FALSE(fields[i].changed) << fields[i].name;
    EXPECT_EQ(read(path("parts/news/page.html")), "<b>hello</b>");
    EXPECT_EQ(read(path("x/page.html")), "<b>hello</b>");

    std::string archive = WritePartArchive(part);
    EXPECT_EQ(archive, path("parts/news.cwp"));
    EXPECT_EQ(ArchiveEntryNames(archive), (std::vector<std::string>{"news.xml", "news/page.html"}));
    EXPECT_EQ(ReadArchiveEntry(archive, "news.xml"), "<WebPart/>");
    EXPECT_EQ(ReadArchiveEntry(archive, "news/page.html"), "<b>hello</b>");
    EXPECT_TRUE(leftovers(path("parts")).empty());
}

TEST_F(ArchiveTest, EntriesAreDeflatedAndSubfoldersUseZipSeparators) {
    std::string part = path("parts/news.xml");
    write(part, std::string(4000, 'a'));
    fs::create_directories(path("parts/news/img/small"));
    write(path("parts/news/img/small/dot.gif"), std::string(3000, 'b'));

    std::string archive = WritePartArchive(part);

    EXPECT_EQ(ArchiveEntryNames(archive), (std::vector<std::string>{"news.xml", "news/img/small/dot.gif"}));
    int error = 0;
    zip_t* zip = zip_open(archive.c_str(), ZIP_RDONLY, &error);
    ASSERT_NE(zip, nullptr);
    for (zip_uint64_t i = 0; i < 2; ++i) {
        zip_stat_t st;
        ASSERT_EQ(zip_stat_index(zip, i, 0, &st), 0);
        EXPECT_EQ(st.comp_method, ZIP_CM_DEFLATE) << st.name;
        EXPECT_LT(st.comp_size, st.size) << st.name;
    }
    zip_discard(zip);
}

TEST_F(ArchiveTest, OlderArchiveIsReplacedNotMerged) {
    std::string part = path("parts/news.xml");
    write(part, "new");
    fs::create_directories(path("parts/news"));
    write(path("parts/news/old.html"), "old");
    WritePartArchive(part);
    fs::remove(path("parts/news/old.html"));
    write(path("parts/news/fresh.html"), "fresh");

    WritePartArchive(part);

    EXPECT_EQ(ArchiveEntryNames(path("parts/news.cwp")),
              (std::vector<std::string>{"news.xml", "news/fresh.html"}));
}

TEST_F(ArchiveTest, ArchiveOfPartWithoutFileOrFolderIsAnEmptyZip) {
    std::string archive = WritePartArchive(path("parts/ghost.xml"));
    EXPECT_TRUE(fs::exists(archive));
    EXPECT_TRUE(ArchiveEntryNames(archive).empty());
}

TEST_F(ArchiveTest, FailedArchiveLeavesNoTemporaryFileAndKeepsTheOldOne) {
    std::string part = path("parts/news.xml");
    write(part, "x");
    // A folder where the archive belongs cannot be replaced by a file.
    fs::create_directories(path("parts/news.cwp"));
    write(path("parts/news.cwp/keep"), "keep");

    EXPECT_THROW(WritePartArchive(part), Exception);

    EXPECT_EQ(read(path("parts/news.cwp/keep")), "keep");
    EXPECT_TRUE(leftovers(path("parts")).empty());
}

TEST_F(ArchiveTest, OnlyExistingAbsoluteLocalFilesAreCopied) {
    std::string part = path("parts/news.xml");
    write(path("x/style.xsl"), "xsl");
    auto fields = linkFields("page.html");               // relative: not a local file
    fields[1].text = path("x/missing.html");            // absent
    fields[2].text = path("x");                         // a folder, not a file
    fields[4].text = "file://" + path("x/style.xsl");   // file URL

    CopyLinkedFiles(part, fields);

    EXPECT_EQ(fields[0].text, "page.html");
    EXPECT_FALSE(fields[1].changed);
    EXPECT_FALSE(fields[2].changed);
    EXPECT_EQ(fields[4].text, "style.xsl");
    EXPECT_EQ(read(path("parts/news/style.xsl")), "xsl");
}

TEST_F(ArchiveTest, NothingToCopyCreatesNoFolder) {
    auto fields = linkFields("http://example.org/page.html");
    CopyLinkedFiles(path("parts/news.xml"), fields);
    EXPECT_FALSE(fs::exists(path("parts/news")));
}

TEST_F(ArchiveTest, MasterPartLinkNamingThePartItselfStays) {
    std::string part = path("parts/news.xml");
    write(part, "<WebPart/>");
    auto byName = linkFields("http://", "news.xml");
    auto byPath = linkFields("http://", part);

    CopyLinkedFiles(part, byName);
    CopyLinkedFiles(part, byPath);

    EXPECT_EQ(byName[3].text, "news.xml");
    EXPECT_EQ(byPath[3].text, part);
    EXPECT_FALSE(fs::exists(path("parts/news")));
}

TEST_F(ArchiveTest, FileAlreadyInThePartFolderIsNotCopiedOntoItself) {
    fs::create_directories(path("parts/news"));
    write(path("parts/news/page.html"), "keep me");
    auto fields = linkFields(path("parts/news/page.html"));

    CopyLinkedFiles(path("parts/news.xml"), fields);

    EXPECT_EQ(fields[0].text, "page.html");
    EXPECT_EQ(read(path("parts/news/page.html")), "keep me");
}

TEST_F(ArchiveTest, CopyReplacesAnOlderCopy) {
    write(path("x/page.html"), "v2");
    fs::create_directories(path("parts/news"));
    write(path("parts/news/page.html"), "v1");
    auto fields = linkFields(path("x/page.html"));

    CopyLinkedFiles(path("parts/news.xml"), fields);

    EXPECT_EQ(read(path("parts/news/page.html")), "v2");
    EXPECT_TRUE(leftovers(path("parts/news")).empty());
}

TEST_F(ArchiveTest, FolderThatCannotBeCreatedGivesTheMessage) {
    write(path("x/page.html"), "p");
    write(path("parts/news"), "a file in the way");
    auto fields = linkFields(path("x/page.html"));
    try {
        CopyLinkedFiles(path("parts/news.xml"), fields);
        FAIL() << "expected an error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), "Cannot create directory \"" + path("parts/news/") + "\"");
    }
    EXPECT_EQ(fields[0].text, path("x/page.html"));
}
