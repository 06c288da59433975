#include "util/Paths.h"

#include <gtest/gtest.h>

namespace wpe {
namespace {

const std::string D(1, kPathDelim);

TEST(PathsTest, TrailingDelimiters)
{
    EXPECT_EQ(WithTrailingBackslash(""), "");
    EXPECT_EQ(WithTrailingBackslash("C:\\a\\"), "C:\\a\\");
    EXPECT_EQ(WithTrailingBackslash("/home/a/"), "/home/a/");
    EXPECT_EQ(WithTrailingBackslash("/home/a"), "/home/a" + D);
    EXPECT_EQ(WithoutTrailingDelimiter("a\\\\"), "a\\");
    EXPECT_EQ(WithoutTrailingDelimiter("a/"), "a");
    EXPECT_EQ(WithoutTrailingDelimiter("a"), "a");
    EXPECT_EQ(WithoutTrailingDelimiter(""), "");
}

struct PartsRow {
    const char* path;
    const char* folder;
    const char* name;
    const char* ext;
    const char* bare;
    const char* parent;
};

TEST(PathsTest, PartsOfAPath)
{
    const PartsRow rows[] = {
        {"C:\\a\\b.c.xml", "C:\\a\\", "b.c.xml", ".xml", "b.c", "a"},
        {"C:\\portal\\skins\\blue\\skin.cso", "C:\\portal\\skins\\blue\\", "skin.cso", ".cso", "skin", "blue"},
        {"C:\\x.cso", "C:\\", "x.cso", ".cso", "x", ""},
        {"C:x.cso", "C:", "x.cso", ".cso", "x", ""},
        {"/home/u/skins/blue/skin.cso", "/home/u/skins/blue/", "skin.cso", ".cso", "skin", "blue"},
        {"/home/u\\mixed/f", "/home/u\\mixed/", "f", "", "f", "mixed"},
        {"/x.cso", "/", "x.cso", ".cso", "x", ""},
        {"dir/.xml", "dir/", ".xml", ".xml", "", ""},
        {"a.b/file", "a.b/", "file", "", "file", ""},
        {"/srv/a:b.txt", "/srv/", "a:b.txt", ".txt", "a:b", "srv"},
        {"name", "", "name", "", "name", ""},
        {"", "", "", "", "", ""},
        {"/a/b/", "/a/b/", "", "", "", "b"},
    };
    for (const PartsRow& r : rows) {
        EXPECT_EQ(ExtractFilePath(r.path), r.folder) << r.path;
        EXPECT_EQ(ExtractFileName(r.path), r.name) << r.path;
        EXPECT_EQ(ExtractFileExt(r.path), r.ext) << r.path;
        EXPECT_EQ(NameWithoutExt(r.path), r.bare) << r.path;
        EXPECT_EQ(ParentFolderName(r.path), r.parent) << r.path;
    }
}

TEST(PathsTest, ChangeFileExt)
{
    EXPECT_EQ(ChangeFileExt("/a/b.xml", ".cwp"), "/a/b.cwp");
    EXPECT_EQ(ChangeFileExt("/a.d/b", ".cwp"), "/a.d/b.cwp");
    EXPECT_EQ(ChangeFileExt("C:\\a\\b.c.xml", ""), "C:\\a\\b.c");
}

TEST(PathsTest, ParentFolderNameIsCappedAt260)
{
    const std::string longName(300, 'f');
    EXPECT_EQ(ParentFolderName("/" + longName + "/x.cso"), std::string(260, 'f'));
}

TEST(PathsTest, SafeFileName)
{
    EXPECT_EQ(SafeFileName("a:b*c", "-"), "a-b*c");
    EXPECT_EQ(SafeFileName("<>:\"/\\|'?", "_"), "________?");
    EXPECT_EQ(SafeFileName(std::string("a\tb\x1f" "c\x7f"), ""), "abc\x7f");
    EXPECT_EQ(SafeFileName("\xe0\xe1", "-"), "\xe0\xe1");
    EXPECT_EQ(SafeFileName(std::string(300, 'x'), "-").size(), 260u);
}

TEST(PathsTest, InList)
{
    const std::vector<std::string> names = {"zone1", "Zone2", "\xe0"};
    EXPECT_TRUE(InList("zone1", names, true));
    EXPECT_FALSE(InList("ZONE1", names, true));
    EXPECT_TRUE(InList("ZONE1", names, false));
    EXPECT_TRUE(InList("zone2", names, false));
    EXPECT_FALSE(InList("zone", names, false));
    // Only ASCII letters fold.
    EXPECT_FALSE(InList("\xc0", names, false));
    EXPECT_FALSE(InList("", {}, false));
}

TEST(PathsTest, Delimiters)
{
    EXPECT_EQ(UnifyDelimiters('\\', "a/b\\c//d"), "a\\b\\c\\\\d");
    EXPECT_EQ(NativePath("a\\b/c"), "a" + D + "b" + D + "c");
}

TEST(PathsTest, StripScheme)
{
    const std::pair<const char*, const char*> rows[] = {
        {"file:///C:/x.gif", "C:/x.gif"},
        {"http://host/a/b.css", "host/a/b.css"},
        {"ab://c", "ab://c"},
        {"abc://c", "c"},
        {"images/a.gif", "images/a.gif"},
        {"", ""},
        // A native absolute path keeps its leading slash.
        {"file:///home/u/a.gif", "/home/u/a.gif"},
        {"file://C:/x", "C:/x"},
    };
    for (auto [reference, expected] : rows)
        EXPECT_EQ(StripScheme(reference), expected) << reference;
}

int lengthOf(const std::string& s)
{
    return static_cast<int>(s.size());
}

struct ShortenRow {
    const char* path;
    int width;
    const char* expected;
};

TEST(ShortenPathTest, Table)
{
    const ShortenRow rows[] = {
        {"C:\\a\\b\\c\\file.txt", 100, "C:\\a\\b\\c\\file.txt"},
        {"C:\\a\\b\\c\\file.txt", 17, "C:\\a\\b\\c\\file.txt"},
        {"C:\\aa\\bb\\cc\\file.txt", 18, "C:\\...\\cc\\file.txt"},
        {"C:\\aa\\bb\\cc\\file.txt", 17, "C:\\...\\file.txt"},
        {"C:\\aa\\bb\\cc\\file.txt", 14, "...\\file.txt"},
        {"C:\\aa\\bb\\cc\\file.txt", 3, "file.txt"},
        {"/home/user/projects/site/index.html", 26, "/.../site/index.html"},
        // A folder whose name begins with a full stop is not taken for an ellipsis.
        {"/home/user/.config/x.ini", 18, "/.../.config/x.ini"},
        {"/home/user/.config/x.ini", 16, "/.../x.ini"},
        {"a/b/c", 1, "c"},
        {"", 0, ""},
    };
    for (const ShortenRow& r : rows)
        EXPECT_EQ(ShortenPath(r.path, r.width, lengthOf), r.expected) << r.path << " width " << r.width;
}

TEST(ShortenPathTest, EndsAtTheNameWhenNothingFits)
{
    const std::string path = "C:\\a\\bb\\ccc\\dddd\\long file name.txt";
    for (int width = 0; width < 40; ++width) {
        const std::string got = ShortenPath(path, width, lengthOf);
        EXPECT_TRUE(lengthOf(got) <= width || got == "long file name.txt") << width << ": " << got;
    }
}

} // namespace
} // namespace wpe
