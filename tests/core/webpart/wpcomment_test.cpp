#include "webpart/WPComment.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "WebPartTestSupport.h"

using namespace wpe;
using wpe::test::ReadFile;
using wpe::test::TempDir;

namespace {

const std::string kDecl = "<?xml version=\"1.0\" encoding=\"WINDOWS-1251\" ?>";

TEST(WPCommentTest, EmptyStoreIsWrittenWithAnEmptyRoot) {
    TWPCommentFile store;
    EXPECT_TRUE(store.HasRoot());
    EXPECT_EQ(store.Xml(), kDecl + "<WebParts/>");
}

TEST(WPCommentTest, CommentIsEscapedOnSaveAndMatchedWithoutCase) {
    TempDir dir;
    const std::string path = dir.File(kCommentFileName);
    {
        TWPCommentFile store;
        store.SetComment("news.xml", "a < b");
        store.Save(path);
    }
    const std::string saved = ReadFile(path);
    EXPECT_EQ(saved, kDecl + "<WebParts><wp filename=\"news.xml\">a &lt; b</wp></WebParts>");

    TWPCommentFile again;
    again.Load(path);
    EXPECT_EQ(again.GetComment("NEWS.XML"), "a < b");
    EXPECT_EQ(again.GetComment("other.xml"), "");
    again.Save(path);
    EXPECT_EQ(ReadFile(path), saved);
}

TEST(WPCommentTest, SetCommentReplacesAddsAndRemoves) {
    TWPCommentFile store;
    store.SetComment("a.xml", "one");
    store.SetComment("b.xml", "two");
    store.SetComment("A.XML", "uno");
    EXPECT_EQ(store.Xml(), kDecl + "<WebParts><wp filename=\"a.xml\">uno</wp><wp filename=\"b.xml\">two</wp></WebParts>");
    store.SetComment("a.xml", "");
    store.SetComment("never.xml", "");
    EXPECT_EQ(store.Xml(), kDecl + "<WebParts><wp filename=\"b.xml\">two</wp></WebParts>");
    store.AddComment("Mixed&Name.xml", "x \"q\"");
    EXPECT_EQ(store.GetComment("mixed&name.XML"), "x \"q\"");
}

TEST(WPCommentTest, OnlyTheFirstOfTwoEntriesIsReadAndChanged) {
    TempDir dir;
    dir.Write(kCommentFileName, kDecl + "\r\n<WebParts>\r\n  <!--n-->\r\n  <wp filename=\"x.xml\">first</wp>\r\n"
                                        "  <wp filename=\"X.xml\">second</wp>\r\n</WebParts>\r\n");
    TWPCommentFile store;
    store.Load(dir.File(kCommentFileName));
    EXPECT_EQ(store.GetComment("x.XML"), "first");
    store.SetComment("x.xml", "new");
    EXPECT_EQ(store.Xml(), kDecl + "<WebParts><!--n--><wp filename=\"x.xml\">new</wp><wp filename=\"X.xml\">second</wp>"
                                   "</WebParts>");
}

TEST(WPCommentTest, MissingFileLeavesTheStoreEmpty) {
    TempDir dir;
    TWPCommentFile store;
    store.SetComment("kept.xml", "kept");
    store.Load(dir.File("nothing-here.xml"));
    EXPECT_EQ(store.GetComment("kept.xml"), "kept");
}

TEST(WPCommentTest, ForeignRootLoadsWithoutErrorAndStoresNothing) {
    TempDir dir;
    const std::string path = dir.File(kCommentFileName);
    const std::string foreign = "<Other><wp filename=\"a.xml\">x</wp></Other>";
    dir.Write(kCommentFileName, foreign);
    TWPCommentFile store;
    store.Load(path);
    EXPECT_FALSE(store.HasRoot());
    EXPECT_EQ(store.GetComment("a.xml"), "");
    store.SetComment("a.xml", "y");
    store.Save(path);
    EXPECT_EQ(ReadFile(path), foreign);
}

TEST(WPCommentTest, UnreadableFileIsNeverReplacedByWhatWasRead) {
    TempDir dir;
    const std::string path = dir.File(kCommentFileName);
    const std::string broken = kDecl + "<WebParts><wp filename=\"a.xml\">one</wp><wp filename=\"b.xml\">two</w";
    dir.Write(kCommentFileName, broken);
    TWPCommentFile store;
    store.SetComment("z.xml", "before");
    store.Load(path);
    EXPECT_FALSE(store.HasRoot());
    EXPECT_EQ(store.GetComment("a.xml"), "");
    store.SetComment("c.xml", "three");
    store.Save(path);
    EXPECT_EQ(ReadFile(path), broken);
}

TEST(WPCommentTest, SaveReplacesTheFileWithoutLeavingOthersBehind) {
    TempDir dir;
    const std::string path = dir.File(kCommentFileName);
    dir.Write(kCommentFileName, "old content that is much longer than the new one will be, to see truncation");
    TWPCommentFile store;
    store.SetComment("n.xml", "c");
    store.Save(path);
    EXPECT_EQ(ReadFile(path), kDecl + "<WebParts><wp filename=\"n.xml\">c</wp></WebParts>");
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.Path())) ++files;
    EXPECT_EQ(files, 1);
}

TEST(WPCommentTest, SaveIntoAMissingFolderFailsWithAnError) {
    TempDir dir;
    TWPCommentFile store;
    EXPECT_ANY_THROW(store.Save(dir.File("no/such/folder/WPComment.xml")));
}

} // namespace
