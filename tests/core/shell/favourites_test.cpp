#include "shell/CommandLine.h"
#include "shell/FavouriteFolders.h"

#include <gtest/gtest.h>

namespace wpe {
namespace {

using List = std::vector<std::string>;

TEST(FavouriteFolders, NewestFirstWithoutRepeats)
{
    TFavouriteFolders f;
    f.Add("/srv/a");
    f.Add("/srv/b");
    f.Add("/SRV/A");
    EXPECT_EQ(f.Items(), (List{"/SRV/A", "/srv/b"})) << "a folder already listed moves to the front";
    f.Add("");
    EXPECT_EQ(f.Items().size(), 2u);
    for (int i = 0; i < 120; ++i)
        f.Add("/f" + std::to_string(i));
    EXPECT_EQ(f.Items().size(), TFavouriteFolders::kMaxEntries);
    EXPECT_EQ(f.Items().front(), "/f119");
    EXPECT_EQ(f.Items().back(), "/f20") << "the oldest fall off";
}

TEST(FavouriteFolders, CurrentFolderReplacesNone)
{
    TFavouriteFolders f;
    f.AddCurrentFolder("/srv/parts/");
    EXPECT_EQ(f.Items(), (List{"/srv/parts"})) << "an empty list gets the folder, without its trailing delimiter";

    TFavouriteFolders none;
    none.EnsureNotEmpty();
    EXPECT_EQ(none.Items(), (List{kNoFavourites}));
    EXPECT_TRUE(none.Folders().empty()) << "the dialog shows no row for None";
    none.AddCurrentFolder("/srv/skins\\");
    EXPECT_EQ(none.Items(), (List{"/srv/skins"}));
    none.AddCurrentFolder("/srv/parts");
    none.AddCurrentFolder("/SRV/Skins/");
    EXPECT_EQ(none.Items(), (List{"/SRV/Skins", "/srv/parts"})) << "the same folder again moves, not doubles";
    none.AddCurrentFolder("/");
    EXPECT_EQ(none.Items().front(), "/") << "the root keeps its delimiter";
}

TEST(FavouriteFolders, NoneOnlyStandsForAnEmptyList)
{
    TFavouriteFolders f;
    f.EnsureNotEmpty();
    f.Add("/srv/a");
    EXPECT_EQ(f.Items(), (List{"/srv/a"})) << "adding through the dialog also drops None";
    f.EnsureNotEmpty();
    EXPECT_EQ(f.Items(), (List{"/srv/a"}));
    EXPECT_TRUE(f.Remove("/SRV/a"));
    EXPECT_FALSE(f.Remove("/srv/a"));
    EXPECT_TRUE(f.Empty());
    f.EnsureNotEmpty();
    EXPECT_EQ(f.Items(), (List{kNoFavourites})) << "removing the last one and closing leaves None";

    f.Assign({"/x", "None", "", "/X", "/y"});
    EXPECT_EQ(f.Items(), (List{"/x", "/y"}));
    f.Assign({"None"});
    EXPECT_EQ(f.Items(), (List{kNoFavourites}));
}

TEST(FavouriteFolders, RenameStoresTheEditedText)
{
    TFavouriteFolders f;
    f.Assign({"/a", "/b", "/c"});
    f.Rename("/b", "/bee/");
    EXPECT_EQ(f.Items(), (List{"/bee", "/a", "/c"}));
    f.Rename("/a", "");
    EXPECT_EQ(f.Items(), (List{"/bee", "/a", "/c"})) << "an emptied row keeps its folder";
    f.Rename("/c", "/BEE");
    EXPECT_EQ(f.Items(), (List{"/BEE", "/a"})) << "renamed onto another entry: listed once";
}

TEST(CommandLine, FilesAndOptions)
{
    TCommandLine c = ParseCommandLine({"wpeditor", "news.xml", "--portal", "/srv/portal", "--trace-startup",
                                       "-platform", "offscreen", "--portal=/x", "--unknown", "SKINS/blue/blue.cso"});
    EXPECT_EQ(c.files, (List{"news.xml", "SKINS/blue/blue.cso"}));
    EXPECT_TRUE(c.traceStartup);
    EXPECT_FALSE(c.exitAfterStart);
    c = ParseCommandLine({"wpeditor", "--exit-after-start", "--", "--portal", "-a.xml"});
    EXPECT_EQ(c.files, (List{"--portal", "-a.xml"})) << "after -- everything is a file";
    EXPECT_TRUE(c.exitAfterStart);
    EXPECT_TRUE(ParseCommandLine({"wpeditor"}).files.empty());
    EXPECT_TRUE(ParseCommandLine({}).files.empty());
}

TEST(CommandLine, HandOverMessageRoundTrip)
{
    List paths = {"/srv/a b.xml", "/srv/\xD0\xBF.cso"};
    EXPECT_EQ(DecodeHandOver(EncodeHandOver(paths)), paths);
    EXPECT_EQ(DecodeHandOver("/a\r\n\n/b"), (List{"/a", "/b"}));
    EXPECT_TRUE(DecodeHandOver("").empty());
    EXPECT_EQ(DecodeHandOver(EncodeHandOver({"/bad\nname", "/ok"})), (List{"/ok"}))
        << "a path with a line break is not sent in pieces";
}

} // namespace
} // namespace wpe
