#include "shell/StatusBarState.h"

#include <gtest/gtest.h>

namespace wpe {
namespace {

TEST(StatusBarState, StartsInInsertModeWithPlainCaption)
{
    StatusBarState s;
    EXPECT_EQ(s.ModeText(), "Insert");
    EXPECT_EQ(s.CaretX(), 1);
    EXPECT_EQ(s.CaretY(), 1);
    EXPECT_FALSE(s.Modified());
    EXPECT_EQ(s.Caption(), "Ombrelio Developer Toolkit");
}

TEST(StatusBarState, ResetEmptiesPanelsAndLeavesEmptyBrackets)
{
    StatusBarState s;
    s.SetDocumentName("news");
    s.SetModified(true);
    s.SetCaretX(4);
    s.SetCaretY(9);
    s.Reset();
    EXPECT_EQ(s.Caption(), "Ombrelio Developer Toolkit - []");
    EXPECT_EQ(s.PositionText(), "");
    EXPECT_EQ(s.ModeText(), "");
    EXPECT_EQ(s.ModifiedText(), "");
    EXPECT_FALSE(s.SaveEnabled());
    EXPECT_EQ(s.Mode(), 2);
    EXPECT_EQ(s.CaretX(), -1);
    EXPECT_EQ(s.CaretY(), -1);
}

struct CaretStep {
    char axis;
    int value;
    const char* shown;
};

class CaretSequence : public ::testing::TestWithParam<std::vector<CaretStep>> {};

TEST_P(CaretSequence, PositionPanelFollowsEachStep)
{
    StatusBarState s;
    for (const auto& step : GetParam()) {
        if (step.axis == 'x')
            s.SetCaretX(step.value);
        else
            s.SetCaretY(step.value);
        EXPECT_EQ(s.PositionText(), step.shown) << step.axis << "=" << step.value;
    }
}

INSTANTIATE_TEST_SUITE_P(
    StatusBarState, CaretSequence,
    ::testing::Values(
        std::vector<CaretStep>{{'x', 5, "5 : 1"}, {'y', 12, "5 : 12"}},
        std::vector<CaretStep>{{'x', 2, "2 : 1"}, {'y', 0, ""}, {'x', 3, "3 : 0"}},
        std::vector<CaretStep>{{'y', -4, ""}, {'x', 0, ""}, {'x', 7, "7 : -4"}},
        std::vector<CaretStep>{{'x', 1, "1 : 1"}, {'x', -1, ""}, {'y', 6, "-1 : 6"}}));

TEST(StatusBarState, InsertModeIgnoresUnknownValues)
{
    StatusBarState s;
    s.SetInsertMode(1);
    EXPECT_EQ(s.ModeText(), "Overwrite");
    s.SetInsertMode(7);
    EXPECT_EQ(s.ModeText(), "Overwrite");
    EXPECT_EQ(s.Mode(), 1);
    s.SetInsertMode(-1);
    EXPECT_EQ(s.Mode(), 1);
    s.SetInsertMode(2);
    EXPECT_EQ(s.ModeText(), "");
    s.SetInsertMode(0);
    EXPECT_EQ(s.ModeText(), "Insert");
}

TEST(StatusBarState, ModifiedDrivesPanelAndSave)
{
    StatusBarState s;
    s.SetModified(true);
    EXPECT_EQ(s.ModifiedText(), "Modified");
    EXPECT_TRUE(s.SaveEnabled());
    s.SetModified(false);
    EXPECT_EQ(s.ModifiedText(), "");
    EXPECT_FALSE(s.SaveEnabled());
}

TEST(StatusBarState, CaptionCarriesNameAsGiven)
{
    StatusBarState s;
    s.SetDocumentName("/home/u/portal/STORAGE/");
    EXPECT_EQ(s.Caption(), "Ombrelio Developer Toolkit - [/home/u/portal/STORAGE/]");
    EXPECT_EQ(s.DocumentName(), "/home/u/portal/STORAGE/");
}

} // namespace
} // namespace wpe
