#include "util/Exception.h"
#include "util/Files.h"
#include "util/Paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

namespace wpe {
namespace {

namespace fs = std::filesystem;

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = TempFolder() + "wpe-files-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = WithTrailingBackslash(pattern);
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(dir_, ec);
    }

    std::string path(const std::string& relative) const { return dir_ + relative; }

    void put(const std::string& relative, const std::string& bytes) const
    {
        fs::create_directories(fs::path(path(relative)).parent_path());
        std::ofstream(path(relative), std::ios::binary) << bytes;
    }

    std::string entriesOf(const std::string& relative) const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(path(relative)))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        std::string joined;
        for (const auto& n : names)
            joined += n + ";";
        return joined;
    }

    static std::string errorOf(const std::function<void()>& action)
    {
        try {
            action();
        } catch (const Exception& e) {
            return e.message();
        }
        return "(no error)";
    }

    std::string dir_;
};

TEST_F(FilesTest, ExistenceTests)
{
    put("f.txt", "x");
    EXPECT_TRUE(FileExists(path("f.txt")));
    EXPECT_FALSE(FileExists(dir_));
    EXPECT_FALSE(FileExists(path("none")));
    EXPECT_FALSE(FileExists(""));
    EXPECT_TRUE(FolderExists(dir_));
    EXPECT_TRUE(FolderExists(WithoutTrailingDelimiter(dir_)));
    EXPECT_FALSE(FolderExists(path("f.txt")));
    EXPECT_FALSE(FolderExists(""));
    // Windows-style delimiters are accepted.
    put("sub/g.txt", "y");
    EXPECT_TRUE(FileExists(UnifyDelimiters('\\', path("sub/g.txt"))));
}

TEST_F(FilesTest, ForceDirectoriesAndTempFolder)
{
    EXPECT_TRUE(ForceDirectories(path("a/b/c/")));
    EXPECT_TRUE(FolderExists(path("a/b/c")));
    EXPECT_TRUE(ForceDirectories(path("a/b/c")));
    put("file", "x");
    EXPECT_FALSE(ForceDirectories(path("file/sub")));
    const std::string temp = TempFolder();
    EXPECT_TRUE(IsPathDelimiter(temp.back()));
    EXPECT_TRUE(FolderExists(temp));
}

TEST_F(FilesTest, WholeFileRoundTripKeepsEveryByte)
{
    std::string bytes("a\r\nb\0\xff\xe0", 8);
    bytes += std::string(200000, 'z');
    WriteWholeFile(path("data.bin"), bytes);
    EXPECT_EQ(ReadWholeFile(path("data.bin")), bytes);
    WriteWholeFile(path("data.bin"), "");
    EXPECT_TRUE(FileExists(path("data.bin")));
    EXPECT_EQ(ReadWholeFile(path("data.bin")), "");
    // No temporary file is left beside the target.
    EXPECT_EQ(entriesOf(""), "data.bin;");
}

TEST_F(FilesTest, ReadWholeFileErrors)
{
    EXPECT_EQ(errorOf([] { ReadWholeFile(""); }), "File \"\" not found");
    const std::string missing = path("missing.xml");
    EXPECT_EQ(errorOf([&] { ReadWholeFile(missing); }), "File \"" + missing + "\" not found");
    EXPECT_EQ(errorOf([&] { ReadWholeFile(dir_); }), "File \"" + dir_ + "\" not found");
}

TEST_F(FilesTest, BoundedReadRefusesWhatIsNotASmallRegularFile)
{
    put("part.xml", "<WebPart/>");
    EXPECT_EQ(ReadWholeFile(path("part.xml"), 10), "<WebPart/>");
    // One byte over the limit is refused before anything is read, and the
    // error names the file so the caller can word its own message.
    EXPECT_EQ(errorOf([&] { ReadWholeFile(path("part.xml"), 9); }), path("part.xml"));
    EXPECT_THROW(ReadWholeFile(path("part.xml"), 9), FileTooLarge);
    EXPECT_EQ(errorOf([&] { ReadWholeFile(path("missing.xml"), 10); }),
              "File \"" + path("missing.xml") + "\" not found");
    // A folder (or a pipe) would never give a size worth trusting.
    fs::create_directory(path("folder.xml"));
    EXPECT_EQ(errorOf([&] { ReadWholeFile(path("folder.xml"), 10); }),
              "Read file " + path("folder.xml") + " error");
    ASSERT_EQ(::mkfifo(path("pipe.xml").c_str(), 0600), 0);
    EXPECT_EQ(errorOf([&] { ReadWholeFile(path("pipe.xml"), 10); }),
              "Read file " + path("pipe.xml") + " error");
}

// One buffer for many files: each read leaves exactly that file's bytes,
// whatever the buffer held before, and fails the way ReadWholeFile does.
TEST_F(FilesTest, BoundedReadIntoAReusedBuffer)
{
    std::string big(70000, 'x');
    big[69999] = '\0';
    put("big.xml", big);
    put("small.xml", std::string("<a>\0</a>", 8));
    std::string buffer;
    ReadWholeFileInto(path("big.xml"), 70000, buffer);
    EXPECT_EQ(buffer, big);
    ReadWholeFileInto(path("small.xml"), 8, buffer);
    EXPECT_EQ(buffer, std::string("<a>\0</a>", 8));
    EXPECT_THROW(ReadWholeFileInto(path("big.xml"), 69999, buffer), FileTooLarge);
    EXPECT_EQ(errorOf([&] { ReadWholeFileInto(path("missing.xml"), 10, buffer); }),
              "File \"" + path("missing.xml") + "\" not found");
    put("empty.xml", "");
    ReadWholeFileInto(path("empty.xml"), 10, buffer);
    EXPECT_EQ(buffer, "");
}

TEST_F(FilesTest, TemporaryNamesAreHiddenUniqueAndReplaceTheTarget)
{
    const std::string a = TemporarySiblingName(path("skin.zip"));
    const std::string b = TemporarySiblingName(path("skin.zip"));
    EXPECT_NE(a, b);
    EXPECT_EQ(ExtractFilePath(a), dir_);
    EXPECT_EQ(ExtractFileName(a).rfind(".skin.zip.tmp", 0), 0u) << a;

    put("skin.zip", "old");
    std::ofstream(a, std::ios::binary) << "new";
    EXPECT_TRUE(ReplaceFile(a, path("skin.zip")));
    EXPECT_EQ(ReadWholeFile(path("skin.zip")), "new");
    EXPECT_EQ(entriesOf(""), "skin.zip;");
    // Nothing to move: the target stays as it was.
    EXPECT_FALSE(ReplaceFile(b, path("skin.zip")));
    EXPECT_EQ(ReadWholeFile(path("skin.zip")), "new");
}

TEST_F(FilesTest, UnreadableFileIsReportedWithoutWaiting)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop root";
    put("secret", "x");
    fs::permissions(path("secret"), fs::perms::none);
    EXPECT_EQ(errorOf([&] { ReadWholeFile(path("secret")); }),
              "File I/O error. File " + path("secret") + " is locked");
}

TEST_F(FilesTest, FailedWriteKeepsTheOldContent)
{
    put("part.xml", "old");
    // A folder in the way of the target: the write fails and nothing changes.
    fs::create_directory(path("taken"));
    EXPECT_EQ(errorOf([&] { WriteWholeFile(path("taken"), "new"); }),
              "File I/O error. File " + path("taken") + " is locked");
    EXPECT_EQ(errorOf([&] { WriteWholeFile(path("no/such/folder/x.xml"), "new"); }),
              "File I/O error. File " + path("no/such/folder/x.xml") + " is locked");
    EXPECT_EQ(ReadWholeFile(path("part.xml")), "old");
    EXPECT_EQ(entriesOf(""), "part.xml;taken;");
    EXPECT_NO_THROW(WriteWholeFile("", "ignored"));
}

TEST_F(FilesTest, ReadOnlyFolderRefusesTheWrite)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not stop root";
    put("ro/part.xml", "old");
    fs::permissions(path("ro"), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_THROW(WriteWholeFile(path("ro/part.xml"), "new"), Exception);
    fs::permissions(path("ro"), fs::perms::owner_all);
    EXPECT_EQ(ReadWholeFile(path("ro/part.xml")), "old");
    EXPECT_EQ(entriesOf("ro"), "part.xml;");
}

TEST_F(FilesTest, WriteKeepsPermissionsAndLinks)
{
    put("real.xml", "old");
    fs::permissions(path("real.xml"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink(path("real.xml"), path("link.xml"));
    WriteWholeFile(path("link.xml"), "new");
    EXPECT_TRUE(fs::is_symlink(path("link.xml")));
    EXPECT_EQ(ReadWholeFile(path("real.xml")), "new");
    EXPECT_EQ(fs::status(path("real.xml")).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(FilesTest, CopyFileReplace)
{
    put("a.gif", "GIF89a");
    put("b.gif", "older");
    EXPECT_TRUE(CopyFileReplace(path("a.gif"), path("b.gif")));
    EXPECT_EQ(ReadWholeFile(path("b.gif")), "GIF89a");
    EXPECT_TRUE(CopyFileReplace(path("a.gif"), path("a.gif")));
    EXPECT_EQ(ReadWholeFile(path("a.gif")), "GIF89a");
    EXPECT_FALSE(CopyFileReplace(path("none.gif"), path("c.gif")));
    EXPECT_FALSE(CopyFileReplace(path("a.gif"), path("no/such/c.gif")));
    EXPECT_FALSE(FileExists(path("c.gif")));
    EXPECT_EQ(entriesOf(""), "a.gif;b.gif;");
}

TEST_F(FilesTest, DeleteFolderTreeRemovesEverything)
{
    put("skin/blue.cso", "x");
    put("skin/files/a.gif", "x");
    put("skin/files/deep/b.gif", "x");
    EXPECT_TRUE(DeleteFolderTree(path("skin"), true));
    EXPECT_FALSE(FolderExists(path("skin")));
}

TEST_F(FilesTest, DeleteFolderTreeKeepsFoldersWhenAsked)
{
    put("skin/blue.cso", "x");
    put("skin/files/a.gif", "x");
    EXPECT_TRUE(DeleteFolderTree(UnifyDelimiters('\\', path("skin\\")), false));
    EXPECT_EQ(entriesOf("skin"), "files;");
    EXPECT_EQ(entriesOf("skin/files"), "");
}

TEST_F(FilesTest, DeleteFolderTreeLeavesDotFiles)
{
    put("skin/.keep", "x");
    put("skin/a.gif", "x");
    EXPECT_FALSE(DeleteFolderTree(path("skin"), true));
    EXPECT_EQ(entriesOf("skin"), ".keep;");
    EXPECT_FALSE(DeleteFolderTree(path("missing"), true));
}

TEST_F(FilesTest, DeleteFolderTreeDoesNotFollowLinks)
{
    put("outside/precious.txt", "keep me");
    put("skin/a.gif", "x");
    fs::create_directory_symlink(path("outside"), path("skin/linked"));
    EXPECT_TRUE(DeleteFolderTree(path("skin"), true));
    EXPECT_FALSE(FolderExists(path("skin")));
    EXPECT_EQ(ReadWholeFile(path("outside/precious.txt")), "keep me");
}

TEST_F(FilesTest, ListingsAndCaseInsensitiveLookup)
{
    put("B.xml", "x");
    put("a.xml", "x");
    put("Skin.CSO", "x");
    fs::create_directory(path("folder"));
    EXPECT_EQ(ListFiles(dir_), (std::vector<std::string>{"B.xml", "Skin.CSO", "a.xml"}));
    EXPECT_TRUE(ListFiles(path("missing")).empty());

    EXPECT_EQ(FindFileNoCase(dir_, "skin.cso"), path("Skin.CSO"));
    EXPECT_EQ(FindFileNoCase(WithoutTrailingDelimiter(dir_), "SKIN.cso"), path("Skin.CSO"));
    EXPECT_EQ(FindFileNoCase(dir_, "FOLDER"), path("folder"));
    EXPECT_EQ(FindFileNoCase(dir_, "skin.cs"), "");
    EXPECT_EQ(FindFileNoCase(dir_, ""), "");
    EXPECT_EQ(FindFileNoCase(path("missing"), "a.xml"), "");
    // An exact spelling wins over another that differs only in case.
    put("b.xml", "x");
    EXPECT_EQ(FindFileNoCase(dir_, "b.xml"), path("b.xml"));
}

TEST_F(FilesTest, ResolveLocalFile)
{
    put("site/images/a.gif", "x");
    put("abs.css", "x");
    const std::string site = path("site");
    EXPECT_EQ(ResolveLocalFile("images/a.gif", site), path("site/images/a.gif"));
    EXPECT_EQ(ResolveLocalFile("images\\a.gif", UnifyDelimiters('\\', site) + "\\"), path("site/images/a.gif"));
    EXPECT_EQ(ResolveLocalFile("file://" + path("abs.css"), site), path("abs.css"));
    EXPECT_EQ(ResolveLocalFile(path("abs.css"), site), path("abs.css"));
    EXPECT_EQ(ResolveLocalFile("http://example.com/a.gif", site), "");
    EXPECT_EQ(ResolveLocalFile("images/missing.gif", site), "");
    EXPECT_EQ(ResolveLocalFile("images", site), "");
    EXPECT_EQ(ResolveLocalFile("", site), "");
}

} // namespace
} // namespace wpe
