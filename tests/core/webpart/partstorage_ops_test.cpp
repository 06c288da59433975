#include "webpart/PartStorageOps.h"

#include <gtest/gtest.h>

using namespace wpe;

namespace {

// "A(B,C),D" for a tree with A holding B and C, then D.
std::string shape(const PartStorageNode& node) {
    std::string out;
    for (int i = 0; i < node.ChildCount(); ++i) {
        if (i > 0)
            out += ',';
        const PartStorageNode* child = node.Child(i);
        out += child->caption;
        if (child->HasChildren())
            out += "(" + shape(*child) + ")";
    }
    return out;
}

std::string shape(const PartStorageTree& tree) {
    return shape(tree.Root());
}

// Builds the tree "A(B,C),D"; returns nodes by caption through find().
struct Fixture {
    PartStorageTree tree;
    Fixture() {
        PartStorageNode* a = tree.Root().AddChild("A");
        a->AddChild("B");
        a->AddChild("C");
        tree.Root().AddChild("D");
    }
    PartStorageNode* find(const std::string& caption) {
        for (PartStorageNode* n : tree.DisplayOrder())
            if (n->caption == caption)
                return n;
        return nullptr;
    }
};

} // namespace

TEST(PartStorageOps, AddGoesRightAfterSelectionOrAtTheEnd) {
    Fixture f;
    PartStorageNode* added = AddNode(f.tree, f.find("B"));
    added->caption = "N";
    EXPECT_EQ(shape(f.tree), "A(B,N,C),D");

    PartStorageNode* top = AddNode(f.tree, nullptr);
    top->caption = "T";
    EXPECT_EQ(shape(f.tree), "A(B,N,C),D,T");
    EXPECT_EQ(top->value, "");
    EXPECT_TRUE(top->attrs.empty());
    EXPECT_EQ(top->attrColumn, "[]");
}

TEST(PartStorageOps, AddChildAppendsLastChild) {
    Fixture f;
    AddChildNode(*f.find("A"))->caption = "Z";
    AddChildNode(*f.find("D"))->caption = "E";
    EXPECT_EQ(shape(f.tree), "A(B,C,Z),D(E)");
}

TEST(PartStorageOps, DeleteTakesTheWholeSubtree) {
    Fixture f;
    DeleteNode(*f.find("A"));
    EXPECT_EQ(shape(f.tree), "D");
    EXPECT_EQ(f.tree.NodeCount(), 1);
}

struct MoveCase {
    const char* name;
    const char* node;
    bool (*move)(PartStorageNode&);
    bool moved;
    const char* after;
};

class PartStorageMoves : public ::testing::TestWithParam<MoveCase> {};

TEST_P(PartStorageMoves, ShapeAfterMove) {
    const MoveCase& c = GetParam();
    Fixture f;
    PartStorageNode* node = f.find(c.node);
    EXPECT_EQ(c.move(*node), c.moved);
    EXPECT_EQ(shape(f.tree), c.after);
    EXPECT_EQ(f.find(c.node), node) << "the node itself moves, not a copy";
}

INSTANTIATE_TEST_SUITE_P(
    All, PartStorageMoves,
    ::testing::Values(MoveCase{"LeftFromSecondLevelGoesRightAfterParent", "B", MoveLeft, true, "A(C),B,D"},
                      MoveCase{"LeftOfLastChild", "C", MoveLeft, true, "A(B),C,D"},
                      MoveCase{"LeftOfTopLevelStays", "D", MoveLeft, false, "A(B,C),D"},
                      MoveCase{"RightBecomesLastChildOfPrevious", "D", MoveRight, true, "A(B,C,D)"},
                      MoveCase{"RightWithoutPreviousStays", "B", MoveRight, false, "A(B,C),D"},
                      MoveCase{"RightIntoLeaf", "C", MoveRight, true, "A(B(C)),D"},
                      MoveCase{"UpBeforePrevious", "C", MoveUp, true, "A(C,B),D"},
                      MoveCase{"UpOfFirstStays", "A", MoveUp, false, "A(B,C),D"},
                      MoveCase{"UpTakesSubtreeAlong", "D", MoveUp, true, "D,A(B,C)"},
                      MoveCase{"DownSwapsWithNext", "A", MoveDown, true, "D,A(B,C)"},
                      MoveCase{"DownOfLastStays", "C", MoveDown, false, "A(B,C),D"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PartStorageOps, SortSubtreeSortsOneLevelOnlyAndTotalSortsAll) {
    PartStorageTree tree;
    PartStorageNode* z = tree.Root().AddChild("z");
    PartStorageNode* b = z->AddChild("b");
    b->AddChild("y");
    b->AddChild("X");
    z->AddChild("A");
    tree.Root().AddChild("m");

    SortSubtree(*z);
    EXPECT_EQ(shape(tree), "z(A,b(y,X)),m");
    SortSubtree(*b->Child(0));   // a leaf: nothing to do
    EXPECT_EQ(shape(tree), "z(A,b(y,X)),m");

    SortTotalTree(tree);
    EXPECT_EQ(shape(tree), "m,z(A,b(X,y))");
}

TEST(PartStorageOps, CaptionOrderIgnoresCaseAndIsStrict) {
    PartStorageNode a("apple"), B("Banana"), A("Apple"), a2("apple");
    EXPECT_TRUE(CaptionLess(a, B));
    EXPECT_FALSE(CaptionLess(B, a));
    // Same letters in other case: a fixed order, never both ways.
    EXPECT_NE(CaptionLess(A, a), CaptionLess(a, A));
    EXPECT_FALSE(CaptionLess(a, a2));
    EXPECT_TRUE(CaptionLess(PartStorageNode("ab"), PartStorageNode("ABC")));
}

TEST(PartStorageOps, CleanCaption) {
    EXPECT_EQ(CleanCaption(" max items "), "max_items");
    EXPECT_EQ(CleanCaption("a  b"), "a__b");
    EXPECT_EQ(CleanCaption("\tTab\r\n"), "Tab");
    EXPECT_EQ(CleanCaption("   "), "");
    EXPECT_EQ(CleanCaption(""), "");
}

TEST(PartStorageOps, StoredValueOfEditorText) {
    struct Case {
        std::string text, stored;
    } cases[] = {
        {"", ""},
        {"5", "5"},
        {"5\r\n", "5"},              // one line and its end: the line only
        {"5\n", "5"},
        {"a\r\nb", "a\r\nb"},        // two lines: the whole text
        {"a\r\nb\r\n", "a\r\nb\r\n"},
        {"a\n\n", "a\n\n"},          // a blank second line still counts
    };
    for (const Case& c : cases)
        EXPECT_EQ(StoredValueOf(c.text), c.stored) << c.text;
}

TEST(PartStorageOps, CheckedItemsFollowAttributesInListOrder) {
    const std::vector<std::string> items = {"required"};
    PartStorageNode node("n");
    EXPECT_EQ(CheckedAttributeItems(node, items), std::vector<bool>{false});
    node.attrs = {{"local", "true"}};
    EXPECT_EQ(CheckedAttributeItems(node, items), std::vector<bool>{false});
    node.attrs = {{"required", "true"}, {"local", "true"}};
    EXPECT_EQ(CheckedAttributeItems(node, items), std::vector<bool>{true});
    node.attrs = {{"local", "true"}, {"required", "true"}};
    EXPECT_EQ(CheckedAttributeItems(node, items), std::vector<bool>{false});

    const std::vector<std::string> three = {"a", "b", "c"};
    node.attrs = {{"a", "1"}, {"c", "1"}};
    EXPECT_EQ(CheckedAttributeItems(node, three), (std::vector<bool>{true, false, true}));
    node.attrs = {{"c", "1"}, {"a", "1"}};
    EXPECT_EQ(CheckedAttributeItems(node, three), (std::vector<bool>{false, false, true}));
}

TEST(PartStorageOps, ReplaceAttributesDropsAttributesFromTheFile) {
    const std::vector<std::string> items = {"required"};
    PartStorageNode node("n");
    node.attrs = {{"local", "true"}};
    node.attrColumn = "[local]";

    ReplaceAttributes(node, items, {true});
    EXPECT_EQ(node.attrs, (std::vector<TNodeAttr>{{"required", "true"}}));
    EXPECT_EQ(node.attrColumn, "[required]");

    ReplaceAttributes(node, items, {false});
    EXPECT_TRUE(node.attrs.empty());
    EXPECT_EQ(node.attrColumn, "[]");

    EXPECT_EQ(CheckListText({"a", "b", "c"}, {true, false, true}), "[a,c]");
}

TEST(PartStorageOps, EditedTreeWritesTheMovedAndRenamedNodes) {
    PartStorageTree tree;
    LoadPartStorageText(tree, "<PartStorage><A>1</A><B>2</B></PartStorage>");
    PartStorageNode* b = tree.Root().Child(1);
    MoveRight(*b);
    b->caption = CleanCaption(" max items ");
    ReplaceAttributes(*b, {"required"}, {true});

    PartStorageTree reread;
    LoadPartStorageText(reread, "<PartStorage>" + PartStorageText(tree) + "</PartStorage>");
    ASSERT_EQ(reread.Root().ChildCount(), 1);
    const PartStorageNode* a = reread.Root().Child(0);
    EXPECT_EQ(a->caption, "A");
    EXPECT_EQ(a->value, "1");
    ASSERT_EQ(a->ChildCount(), 1);
    EXPECT_EQ(a->Child(0)->caption, "max_items");
    EXPECT_EQ(a->Child(0)->value, "2");
    EXPECT_EQ(a->Child(0)->attrs, (std::vector<TNodeAttr>{{"required", "true"}}));
}
