#include "MemorySettingsStore.h"
#include "shell/LastOpenedFiles.h"
#include "shell/Options.h"

#include <gtest/gtest.h>

namespace wpe {
namespace {

TEST(Options, DefaultsWhenNothingStored)
{
    test::MemorySettingsStore store;
    TOptions o = LoadOptions(store);
    EXPECT_TRUE(o.restoreFiles);
    EXPECT_TRUE(o.restoreFolder);
    EXPECT_EQ(o.htmlEditor, "");
    EXPECT_EQ(o.cssEditor, "");
    EXPECT_FALSE(o.createWebletArchive);
}

TEST(Options, RoundTripUnderTheSpecifiedNames)
{
    test::MemorySettingsStore store;
    TOptions o;
    o.restoreFiles = false;
    o.restoreFolder = false;
    o.htmlEditor = "/usr/bin/bluefish";
    o.cssEditor = "/opt/css edit/run";
    o.createWebletArchive = true;
    SaveOptions(store, o);
    EXPECT_EQ(store.Read("optRestoreFiles.Checked", kOptionsSubKey), "0");
    EXPECT_EQ(store.Read("optHTMLEditor.FileName", kOptionsSubKey), "/usr/bin/bluefish");
    EXPECT_EQ(store.Read("optCreateWebletArchive.Checked", kOptionsSubKey), "1");
    EXPECT_EQ(LoadOptions(store), o);
}

TEST(Options, UnreadableFlagKeepsDefault)
{
    test::MemorySettingsStore store;
    store.Write("optRestoreFiles.Checked", "maybe", kOptionsSubKey);
    store.Write("optCreateWebletArchive.Checked", "True", kOptionsSubKey);
    TOptions o = LoadOptions(store);
    EXPECT_TRUE(o.restoreFiles);
    EXPECT_TRUE(o.createWebletArchive);
}

TEST(LastOpenedFiles, CloseOrderIsUndoneOnRestore)
{
    // Close queries run from the last tab to the first.
    test::MemorySettingsStore store;
    RecordOpenedFile(store, 3, "/p/c.xml");
    RecordOpenedFile(store, 2, "/p/SKINS/b/b.cso");
    RecordOpenedFile(store, 1, "/p/a.xml");
    EXPECT_EQ(FilesToRestore(store), (std::vector<std::string>{"/p/a.xml", "/p/SKINS/b/b.cso", "/p/c.xml"}));
}

TEST(LastOpenedFiles, NumericOrderBeyondNineTabs)
{
    test::MemorySettingsStore store;
    for (int tab = 12; tab >= 1; --tab)
        RecordOpenedFile(store, tab, "/p/" + std::to_string(tab) + ".xml");
    auto files = FilesToRestore(store);
    ASSERT_EQ(files.size(), 12u);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(files[i], "/p/" + std::to_string(i + 1) + ".xml");
}

TEST(LastOpenedFiles, SkipsEmptyAndKeepsForeignNames)
{
    test::MemorySettingsStore store;
    store.Write("2", "", kLastOpenedFilesKey);
    store.Write("x", "/p/x.xml", kLastOpenedFilesKey);
    store.Write("1", "/p/one.xml", kLastOpenedFilesKey);
    EXPECT_EQ(FilesToRestore(store), (std::vector<std::string>{"/p/one.xml", "/p/x.xml"}));
    store.DeleteKey(kLastOpenedFilesKey);
    EXPECT_TRUE(FilesToRestore(store).empty());
}

} // namespace
} // namespace wpe
