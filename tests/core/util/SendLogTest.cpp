#include "util/SendLog.h"

#include <gtest/gtest.h>

namespace wpe {
namespace {

TEST(SendLogTest, SourceIsSetAndReceiverKeepsItsClass)
{
    EXPECT_EQ(LogReceiverClass(), "TLogForm");
    SetLogSource("wpeditor");
    EXPECT_EQ(LogSource(), "wpeditor");
    EXPECT_EQ(LogReceiverClass(), "TLogForm");
}

} // namespace
} // namespace wpe
