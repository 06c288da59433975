#include "skin/SkinFolder.h"
#include "skin/SkinPackage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include <zip.h>

namespace wpe {
namespace {

namespace fs = std::filesystem;

// An independent reading of the package, straight through libzip.
std::vector<std::string> ArchiveEntryNames(const std::string& path)
{
    std::vector<std::string> names;
    zip_t* z = zip_open(path.c_str(), ZIP_RDONLY, nullptr);
    if (!z)
        return names;
    for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i)
        names.emplace_back(zip_get_name(z, static_cast<zip_uint64_t>(i), 0));
    zip_discard(z);
    return names;
}

std::string ReadArchiveEntry(const std::string& path, const std::string& name)
{
    zip_t* z = zip_open(path.c_str(), ZIP_RDONLY, nullptr);
    if (!z)
        return "<no archive>";
    std::string bytes = "<no entry>";
    zip_stat_t st;
    if (zip_stat(z, name.c_str(), 0, &st) == 0) {
        zip_file_t* f = zip_fopen(z, name.c_str(), 0);
        bytes.assign(st.size, '\0');
        zip_fread(f, bytes.data(), st.size);
        zip_fclose(f);
    }
    zip_discard(z);
    return bytes;
}

class SkinFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::random_device device;
        root_ = fs::temp_directory_path() / ("wpe-skin-" + std::to_string(device()) + std::to_string(device()));
        fs::create_directories(root_);
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    std::string folder(const std::string& name) const { return (root_ / name).string() + "/"; }
    static void write(const fs::path& path, const std::string& text)
    {
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }
    static std::string read(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    fs::path root_;
};

TEST(SkinName, RefusesNamesThatCannotBeFolders)
{
    for (const char* bad : {"", "   ", ".", "..", "a/b", "a\\b", "tab\there", "bell\x07", "why?", "a:b", "a*",
                            "<x>", "pipe|", "quote\"", "dot.", "blank ", "CON", "con", "Nul.txt", "COM1",
                            "lpt9.css", "aux "})
        EXPECT_NE(SkinNameProblem(bad), "") << '"' << bad << '"';
    EXPECT_NE(SkinNameProblem(std::string(256, 'a')), "");
}

TEST(SkinName, AcceptsOrdinaryAndNonAsciiNames)
{
    for (const char* good : {"Harbour", "Blue Sky", "skin.v2", "COM0", "LPT", "CONSOLE", "Гавань", "a-b_c (1)"})
        EXPECT_EQ(SkinNameProblem(good), "") << good;
}

TEST(SkinName, SaveAsksAndMovesByName)
{
    EXPECT_TRUE(SaveAsksForName("Blue", true));
    EXPECT_TRUE(SaveAsksForName("", false));
    EXPECT_TRUE(SaveAsksForName("untitled", false));
    EXPECT_FALSE(SaveAsksForName("Blue", false));
    EXPECT_FALSE(SaveMovesSkin("Blue", "BLUE"));
    EXPECT_TRUE(SaveMovesSkin("Blue", "Red"));
    EXPECT_TRUE(SaveMovesSkin("Untitled", "Harbour"));
}

TEST_F(SkinFolderTest, CopyKeepsEveryFileAndRenamesTheSkinFile)
{
    const fs::path from = root_ / "Untitled";
    write(from / "untitled.cso", "<skin/>");
    write(from / "page.html", "<html/>");
    write(from / "skin.xsl", "xsl");
    write(from / "notes.txt", "keep me");
    write(from / "files" / "a.png", "png");
    write(from / "files" / "icons" / "deep" / "b.svg", "svg");
    write(from / "Untitled.zip", "old package");
    write(from / "ts~page.html", "preview copy");
    fs::create_directories(root_ / "Harbour");

    ASSERT_TRUE(CopySkinFolder(folder("Untitled"), folder("Harbour"), "Untitled", folder("Untitled") + "page.html"));

    const fs::path to = root_ / "Harbour";
    EXPECT_EQ(read(to / "Harbour.cso"), "<skin/>");
    EXPECT_FALSE(fs::exists(to / "untitled.cso"));
    EXPECT_EQ(read(to / "page.html"), "<html/>");
    EXPECT_EQ(read(to / "notes.txt"), "keep me");
    EXPECT_EQ(read(to / "files" / "icons" / "deep" / "b.svg"), "svg");
    EXPECT_EQ(read(from / "files" / "a.png"), "png") << "the source stays until the caller deletes it";
    EXPECT_FALSE(fs::exists(to / "Untitled.zip"));
    EXPECT_FALSE(fs::exists(to / "ts~page.html"));
}

TEST_F(SkinFolderTest, OnlyOneSkinFileStays)
{
    write(root_ / "Blue" / "Blue.cso", "1");
    write(root_ / "Blue" / "untitled.CSO", "2");
    write(root_ / "Blue" / "other.xml", "3");
    DeleteOtherSkinFiles(folder("Blue"), "blue.cso");
    EXPECT_TRUE(fs::exists(root_ / "Blue" / "Blue.cso"));
    EXPECT_FALSE(fs::exists(root_ / "Blue" / "untitled.CSO"));
    EXPECT_TRUE(fs::exists(root_ / "Blue" / "other.xml"));
    EXPECT_EQ(FindSkinFile(folder("Blue"), "BLUE"), folder("Blue") + "Blue.cso");
}

TEST_F(SkinFolderTest, PackageHoldsWhatIsPresentButNotTheTemplate)
{
    write(root_ / "Blue" / "blue.cso", "cso");
    write(root_ / "Blue" / "skin.xsl", "xsl");
    write(root_ / "Blue" / "template.html", "html");
    write(root_ / "Blue" / "files" / "z.png", "z");
    write(root_ / "Blue" / "files" / "sub" / "a.gif", "a");
    EXPECT_EQ(PackageSkin(folder("Blue"), "Blue"), 4);

    const auto names = ArchiveEntryNames(SkinPackagePath(folder("Blue"), "Blue"));
    EXPECT_EQ(names, (std::vector<std::string>{"Blue.cso", "skin.xsl", "files/sub/a.gif", "files/z.png"}));
}

TEST_F(SkinFolderTest, SecondPackageWritesOnlyNewerFilesAndKeepsTheRest)
{
    const fs::path skin = root_ / "Blue";
    write(skin / "Blue.cso", "cso");
    write(skin / "skin.xsl", "old xsl");
    write(skin / "files" / "gone.png", "gone");
    const auto past = fs::last_write_time(skin / "skin.xsl") - std::chrono::hours(1);
    for (const char* f : {"Blue.cso", "skin.xsl", "files/gone.png"})
        fs::last_write_time(skin / f, past);
    ASSERT_EQ(PackageSkin(folder("Blue"), "Blue"), 3);
    const std::string zip = SkinPackagePath(folder("Blue"), "Blue");

    write(skin / "skin.xsl", "new xsl");
    fs::last_write_time(skin / "skin.xsl", past + std::chrono::minutes(30));
    fs::remove(skin / "files" / "gone.png");
    write(skin / "skin.css", "css");

    EXPECT_EQ(PackageSkin(folder("Blue"), "Blue"), 2) << "skin.xsl is newer, skin.css is new";
    EXPECT_EQ(ReadArchiveEntry(zip, "skin.xsl"), "new xsl");
    EXPECT_EQ(ReadArchiveEntry(zip, "skin.css"), "css");
    EXPECT_EQ(ReadArchiveEntry(zip, "files/gone.png"), "gone") << "entries without a file stay";
    EXPECT_EQ(PackageSkin(folder("Blue"), "Blue"), 0) << "nothing changed since";
}

TEST_F(SkinFolderTest, PackageThatCannotBeWrittenFailsWithItsName)
{
    write(root_ / "Blue" / "skin.xsl", "x");
    fs::create_directories(root_ / "Blue" / "Blue.zip");  // a folder where the package goes
    try {
        PackageSkin(folder("Blue"), "Blue");
        ADD_FAILURE() << "no error";
    } catch (const std::exception& e) {
        EXPECT_NE(std::string(e.what()).find("Blue.zip"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(fs::is_directory(root_ / "Blue" / "Blue.zip"));
}

} // namespace
} // namespace wpe
