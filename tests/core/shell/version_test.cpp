#include "shell/VersionInfo.h"

#include <gtest/gtest.h>

namespace wpe {
namespace {

struct VersionRow {
    const char* fileVersion;
    const char* text;
};

class VersionTextRows : public ::testing::TestWithParam<VersionRow> {};

TEST_P(VersionTextRows, FormatsTheFourNumbers)
{
    EXPECT_EQ(VersionText(GetParam().fileVersion), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    VersionInfo, VersionTextRows,
    ::testing::Values(VersionRow{"2.0.1.57", "Version 2.01 build 57 beta"},
                      VersionRow{"2,0,1,57", "Version 2.01 build 57 beta"},
                      VersionRow{"2..1.57", "Version 2.01 build 57 beta"},
                      VersionRow{"3.1.0.0", "Version 3.10 build 0 beta"},
                      VersionRow{"1.2.3", "Version 1.23 build 0 beta"},
                      VersionRow{"", "Version 0.00 build 0 beta"},
                      VersionRow{"2.x.1.57", "Version 2.01 build 57 beta"},
                      // A point later on wins over an earlier comma.
                      VersionRow{"2,5.1.9", "Version 0.19 build 0 beta"},
                      VersionRow{"4.0.12.300", "Version 4.012 build 300 beta"}));

TEST(VersionInfo, SplitKeepsRestInFourthPart)
{
    auto n = SplitFileVersion("1.2.3.4.5");
    EXPECT_EQ(n[0], 1);
    EXPECT_EQ(n[1], 2);
    EXPECT_EQ(n[2], 3);
    EXPECT_EQ(n[3], 0);  // "4.5" is not a number
}

TEST(VersionInfo, QueriesByKindAndResourceNames)
{
    TVersionInfo::Strings strings;
    strings[vtFileVersion] = "2.0.1.57";
    strings[vtProductName] = "Ombrelio Developer Toolkit";
    TVersionInfo info("/usr/bin/wpeditor", strings);
    EXPECT_EQ(info.FileVersion(), "2.0.1.57");
    EXPECT_EQ(info.Get(vtProductName), "Ombrelio Developer Toolkit");
    EXPECT_EQ(info.Get(vtComments), "");
    EXPECT_EQ(info.Get(static_cast<TVersionType>(12)), "");
    EXPECT_EQ(TVersionInfo::ResourceKey(vtFileVersion), "StringFileInfo\\040904E4\\FileVersion");
}

} // namespace
} // namespace wpe
