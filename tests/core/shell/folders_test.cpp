#include "shell/AppFolders.h"
#include "shell/DialogFilter.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace wpe {
namespace {

std::string Slurp(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Put(const fs::path& p, const std::string& text)
{
    std::ofstream(p, std::ios::binary) << text;
}

class TempDir : public ::testing::Test {
protected:
    void SetUp() override
    {
        // A fresh folder of its own, so two builds running the suite at once
        // never share one.
        std::string pattern = (fs::temp_directory_path() / "wpe_shell_XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        root_ = pattern;
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::permissions(root_ / "ro", fs::perms::owner_all, ec);
        fs::remove_all(root_, ec);
    }
    fs::path root_;
};

TEST(AppFolders, PortalFoldersUseNativeDelimitersAndEndWithOne)
{
    auto absolute = [](const std::string& rel) { return "/srv/portal\\" + rel; };
    TAppFolders f = ComputeAppFolders("/opt/wpe", absolute);
    EXPECT_EQ(f.ProgramDir, "/opt/wpe/");
    EXPECT_EQ(f.BinDir, "/srv/portal/BIN/");
    EXPECT_EQ(f.PortalDir, "/srv/portal/PORTAL/");
    EXPECT_EQ(f.SkinsDir, "/srv/portal/SKINS/");
    EXPECT_EQ(f.StorageDir, "/srv/portal/STORAGE/");
    EXPECT_EQ(f.CacheDir, "/srv/portal/CACHE/");
    EXPECT_EQ(f.SkinTemplatePath, "/opt/wpe/skin template.html");
    EXPECT_EQ(f.CommentFilePath, "/opt/wpe/WPComment.xml");
}

TEST_F(TempDir, WritableProgramFolderIsUsedAndOnlyMissingFilesAreSeeded)
{
    fs::create_directories(root_ / "prog");
    fs::create_directories(root_ / "shipped");
    Put(root_ / "prog" / "WPComment.xml", "mine");
    Put(root_ / "shipped" / "WPComment.xml", "shipped");
    Put(root_ / "shipped" / "category.xml", "<opml/>");
    std::string dir = PrepareProgramDir((root_ / "prog").string(), (root_ / "user").string(),
                                        {(root_ / "missing").string(), (root_ / "shipped").string()});
    EXPECT_EQ(dir, (root_ / "prog").string() + "/");
    EXPECT_EQ(Slurp(root_ / "prog" / "WPComment.xml"), "mine");
    EXPECT_EQ(Slurp(root_ / "prog" / "category.xml"), "<opml/>");
    EXPECT_FALSE(fs::exists(root_ / "user"));
    EXPECT_FALSE(fs::exists(root_ / "prog" / ".wpeditor-write-test"));
}

TEST_F(TempDir, ProgramFolderWithoutDataFilesIsLeftAlone)
{
    fs::create_directories(root_ / "bin");
    fs::create_directories(root_ / "share");
    Put(root_ / "bin" / "wpeditor", "program");
    Put(root_ / "share" / "webpart template.xml", "<WebPart/>");
    std::string dir = PrepareProgramDir((root_ / "bin").string(), (root_ / "user").string(),
                                        {(root_ / "bin").string(), (root_ / "share").string()});
    EXPECT_EQ(dir, (root_ / "user").string() + "/");
    EXPECT_EQ(Slurp(root_ / "user" / "webpart template.xml"), "<WebPart/>");
    EXPECT_FALSE(fs::exists(root_ / "bin" / "webpart template.xml"));
}

TEST_F(TempDir, ReadOnlyProgramFolderFallsBackToUserFolder)
{
    fs::create_directories(root_ / "ro");
    Put(root_ / "ro" / "skin.css", "body{}");
    fs::permissions(root_ / "ro", fs::perms::owner_read | fs::perms::owner_exec);
    if (FolderWritable((root_ / "ro").string()))
        GTEST_SKIP() << "running with rights that ignore folder permissions";
    std::string dir = PrepareProgramDir((root_ / "ro").string(), (root_ / "user" / "data").string(),
                                        {(root_ / "ro").string()});
    EXPECT_EQ(dir, (root_ / "user" / "data").string() + "/");
    EXPECT_EQ(Slurp(root_ / "user" / "data" / "skin.css"), "body{}");
}

TEST(DialogFilter, PairsCaptionsWithPatterns)
{
    auto entries = ParseDialogFilter(kOpenDocumentFilter);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].caption, "WebPart (*.xml; *.dwp; *.cwp)");
    EXPECT_EQ(entries[0].patterns, (std::vector<std::string>{"*.xml", "*.dwp", "*.cwp"}));
    EXPECT_EQ(entries[1].caption, "Skin (*.cso)");
    EXPECT_EQ(entries[1].patterns, (std::vector<std::string>{"*.cso"}));

    auto odd = ParseDialogFilter("Everything| ;|Text|*.txt;;");
    ASSERT_EQ(odd.size(), 2u);
    EXPECT_EQ(odd[0].patterns, (std::vector<std::string>{"*"}));
    EXPECT_EQ(odd[1].patterns, (std::vector<std::string>{"*.txt"}));
    EXPECT_TRUE(ParseDialogFilter("  ").empty());
    auto lone = ParseDialogFilter("All");
    ASSERT_EQ(lone.size(), 1u);
    EXPECT_EQ(lone[0].patterns, (std::vector<std::string>{"*"}));
}

} // namespace
} // namespace wpe
