#include "shell/DragItem.h"

#include <gtest/gtest.h>

namespace wpe {
namespace {

TEST(DragItem, RoundTripKeepsPathsWithBlanksAndLineBreaks)
{
    const TDragItem drag{"FileList", "/home/u/My Parts/news\nfeed.xml"};
    const auto back = DecodeDragItem(EncodeDragItem(drag));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->source, "FileList");
    EXPECT_EQ(back->item, "/home/u/My Parts/news\nfeed.xml");
}

TEST(DragItem, RefusesPayloadWithoutSource)
{
    EXPECT_FALSE(DecodeDragItem(""));
    EXPECT_FALSE(DecodeDragItem("zone1"));
    EXPECT_FALSE(DecodeDragItem("\nnews"));
    const auto empty = DecodeDragItem("zone2\n");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->item, "");
}

} // namespace
} // namespace wpe
