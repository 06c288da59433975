// The queue of an entry's changes: empty without memory, and copies that
// never share what they hold (the frame keeps copies to restore).

#include "catalogue/CatalogueData.h"

#include <gtest/gtest.h>

#include <deque>

namespace wpe {
namespace {

using Ops = std::deque<TOperation>;

TEST(OperationQueue, CopiesAndAssignmentsStayApart)
{
    TWPData entry;
    EXPECT_TRUE(entry.operations.empty());
    EXPECT_EQ(entry.operations, Ops{});
    entry.Push("B", "A");
    entry.Push("C", "B");
    EXPECT_EQ(entry.operations.size(), 2u);
    EXPECT_EQ(entry.operations.front(), (TOperation{"B", "A"}));

    // A snapshot as the frame takes one, then the entry moves on.
    const Ops saved = entry.operations;
    TOperationQueue copy = entry.operations;
    entry.Push("D", "C");
    EXPECT_EQ(saved, (Ops{{"B", "A"}, {"C", "B"}}));
    EXPECT_EQ(copy, saved);
    EXPECT_EQ(entry.operations.back(), (TOperation{"D", "C"}));

    // Restoring the snapshot, and clearing through an empty assignment.
    entry.operations = saved;
    EXPECT_EQ(entry.operations, saved);
    copy = Ops{};
    EXPECT_TRUE(copy.empty());
    EXPECT_EQ(entry.operations.size(), 2u);
    copy = entry.operations;
    entry.operations.clear();
    EXPECT_TRUE(entry.operations.empty());
    EXPECT_EQ(copy.size(), 2u);

    Ops walked;
    for (const TOperation& op : copy)
        walked.push_back(op);
    EXPECT_EQ(walked, saved);
}

} // namespace
} // namespace wpe
