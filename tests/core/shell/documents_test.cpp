#include "shell/DocumentKinds.h"
#include "shell/ReopenList.h"

#include <gtest/gtest.h>

namespace wpe {
namespace {

struct DispatchRow {
    const char* path;
    DocumentKind dialog, reopen, restore, pane;
};

class DispatchRows : public ::testing::TestWithParam<DispatchRow> {};

TEST_P(DispatchRows, EachEntryPointPicksItsEditor)
{
    const auto& r = GetParam();
    EXPECT_EQ(DispatchKind(OpenSource::OpenDialog, r.path), r.dialog);
    EXPECT_EQ(DispatchKind(OpenSource::ReopenList, r.path), r.reopen);
    EXPECT_EQ(DispatchKind(OpenSource::Restore, r.path), r.restore);
    EXPECT_EQ(DispatchKind(OpenSource::FilePane, r.path), r.pane);
}

constexpr auto S = DocumentKind::Skin;
constexpr auto W = DocumentKind::WebPart;
constexpr auto N = DocumentKind::None;

INSTANTIATE_TEST_SUITE_P(
    DocumentKinds, DispatchRows,
    ::testing::Values(DispatchRow{"/p/SKINS/blue/blue.cso", S, S, S, S},
                      DispatchRow{"C:\\p\\SKINS\\Blue\\BLUE.CSO", S, S, S, S},
                      DispatchRow{"/p/STORAGE/news.xml", W, W, W, W},
                      DispatchRow{"/p/STORAGE/news.Dwp", W, W, W, W},
                      DispatchRow{"/p/out/news.CWP", W, W, W, W},
                      DispatchRow{"/p/readme.txt", N, W, W, N},
                      DispatchRow{"/p/no-extension", N, W, W, N},
                      DispatchRow{"/p/dir.cso/file", N, W, W, N}));

TEST(DocumentKinds, SamePathIgnoresCaseAndDelimiterKind)
{
    EXPECT_TRUE(SameDocumentPath("/home/u/STORAGE/news.xml", "/HOME/u/storage/NEWS.XML"));
    EXPECT_TRUE(SameDocumentPath("C:\\portal\\news.xml", "C:/portal/News.xml"));
    EXPECT_FALSE(SameDocumentPath("/a/news.xml", "/a/news.xm"));
    EXPECT_FALSE(SameDocumentPath("/a/news.xml", "/b/news.xml"));
    EXPECT_FALSE(SameDocumentPath("/a_b", "/a/b"));
    EXPECT_TRUE(SameSkinName("Untitled", "UNTITLED"));
    EXPECT_FALSE(SameSkinName("a/b", "a\\b"));
}

struct CloseRow {
    int count, removed, active;
};

class CloseRows : public ::testing::TestWithParam<CloseRow> {};

TEST_P(CloseRows, NextTabOrThePreviousWhenLast)
{
    EXPECT_EQ(ActiveIndexAfterClose(GetParam().count, GetParam().removed), GetParam().active);
}

INSTANTIATE_TEST_SUITE_P(DocumentKinds, CloseRows,
                         ::testing::Values(CloseRow{4, 2, 2},    // middle: the follower moves into its place
                                           CloseRow{4, 3, 2},    // last: the one before
                                           CloseRow{2, 1, 0},    // only document: back to the Portal tab
                                           CloseRow{4, 1, 1},
                                           CloseRow{1, 0, -1}));

TEST(DocumentKinds, CyclingWrapsBothWays)
{
    EXPECT_EQ(CyclePageIndex(2, 3, true), 0);
    EXPECT_EQ(CyclePageIndex(0, 3, false), 2);
    EXPECT_EQ(CyclePageIndex(1, 3, true), 2);
    EXPECT_EQ(CyclePageIndex(0, 1, true), 0);
    EXPECT_EQ(CyclePageIndex(0, 0, true), -1);
    EXPECT_EQ(CyclePageIndex(-1, 4, false), 3);
}

TEST(ReopenList, NewestFirstAndMovesRepeatsToFront)
{
    TReopenList list;
    list.Add("/a/one.xml");
    list.Add("/a/two.xml");
    list.Add("/A/ONE.XML");
    ASSERT_EQ(list.Items().size(), 2u);
    EXPECT_EQ(list.Items()[0], "/A/ONE.XML");
    EXPECT_EQ(list.Items()[1], "/a/two.xml");
}

TEST(ReopenList, KeepsTenNewest)
{
    TReopenList list;
    for (int i = 0; i < 13; ++i)
        list.Add("/p/" + std::to_string(i) + ".xml");
    ASSERT_EQ(list.Items().size(), TReopenList::kMaxEntries);
    EXPECT_EQ(list.Items().front(), "/p/12.xml");
    EXPECT_EQ(list.Items().back(), "/p/3.xml");
    list.Add("/p/3.xml");
    EXPECT_EQ(list.Items().front(), "/p/3.xml");
    EXPECT_EQ(list.Items().back(), "/p/4.xml");
}

TEST(ReopenList, AssignCleansStoredList)
{
    TReopenList list;
    std::vector<std::string> stored = {"/x/a.xml", "", "/X/A.xml", "/x/b.cso"};
    for (int i = 0; i < 12; ++i)
        stored.push_back("/y/" + std::to_string(i) + ".xml");
    list.Assign(stored);
    ASSERT_EQ(list.Items().size(), 10u);
    EXPECT_EQ(list.Items()[0], "/x/a.xml");
    EXPECT_EQ(list.Items()[1], "/x/b.cso");
    EXPECT_TRUE(list.Remove("/x/B.CSO"));
    EXPECT_FALSE(list.Remove("/x/B.CSO"));
    list.Add("");
    EXPECT_EQ(list.Items().size(), 9u);
}

} // namespace
} // namespace wpe

#include "shell/PortalStatus.h"

namespace wpe {
namespace {

struct PortalRow {
    const char* page;
    const char* focused;
    PortalStatusName shown;
};

class PortalRows : public ::testing::TestWithParam<PortalRow> {};

TEST_P(PortalRows, PageAndFocusPickTheName)
{
    EXPECT_EQ(PortalStatusFor(GetParam().page, GetParam().focused), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    PortalStatus, PortalRows,
    ::testing::Values(PortalRow{"Designer", "BrowseTree", PortalStatusName::StorageDir},
                      PortalRow{"Skins/Profiles", "wplistview", PortalStatusName::StorageDir},
                      PortalRow{"Skins/Profiles", "lstSkins", PortalStatusName::SkinsDir},
                      PortalRow{"Designer", "zone3", PortalStatusName::PortalDir},
                      PortalRow{"Designer", "Zone5", PortalStatusName::PortalDir},
                      PortalRow{"Designer", "zone6", PortalStatusName::Nothing},
                      PortalRow{"Designer", "zone", PortalStatusName::Nothing},
                      PortalRow{"Skins/Profiles", "lstProfiles", PortalStatusName::PortalDir},
                      PortalRow{"Designer", "", PortalStatusName::Nothing},
                      PortalRow{"desk.xml", "zone1", PortalStatusName::DeskFile},
                      PortalRow{"Preview", "", PortalStatusName::ServerUrl},
                      PortalRow{"History", "BrowseTree", PortalStatusName::Nothing}));

} // namespace
} // namespace wpe
