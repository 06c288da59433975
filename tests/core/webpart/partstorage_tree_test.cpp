#include "webpart/PartStorageTree.h"

#include <gtest/gtest.h>

#include "util/Exception.h"

using namespace wpe;

namespace {

PartStorageNode* Add(PartStorageNode& parent, const std::string& caption, const std::string& value,
                     std::vector<TNodeAttr> attrs = {}) {
    PartStorageNode* node = parent.AddChild(caption);
    node->value = value;
    node->attrs = std::move(attrs);
    node->attrColumn = AttributeColumnText(node->attrs);
    return node;
}

PartStorageTree FromText(const std::string& text) {
    PartStorageTree tree;
    LoadPartStorageText(tree, text);
    return tree;
}

// ---- text to tree ----

TEST(PartStorageFromText, ElementsBecomeNodesAndLeaves) {
    PartStorageTree tree = FromText(
        "<PartStorage><A x=\"1\" y=\"&amp;&quot;\">1</A><B><C>2</C></B><D>v &amp; w<E/><F>f</F></D><!--c-->"
        "<G/>text<?p d?></PartStorage>");
    const PartStorageNode& root = tree.Root();
    ASSERT_EQ(root.ChildCount(), 4);

    const PartStorageNode& a = *root.Child(0);
    EXPECT_EQ(a.caption, "A");
    EXPECT_EQ(a.value, "1");
    EXPECT_EQ(a.attrs, (std::vector<TNodeAttr>{{"x", "1"}, {"y", "&\""}}));
    EXPECT_EQ(a.attrColumn, "[x,y]");

    EXPECT_EQ(root.Child(1)->value, "<C>2</C>") << "one child element makes a leaf holding its XML";
    EXPECT_FALSE(root.Child(1)->HasChildren());

    const PartStorageNode& d = *root.Child(2);
    EXPECT_EQ(d.value, "v &amp; w") << "a parent's value is kept as markup, like a leaf's";
    ASSERT_EQ(d.ChildCount(), 2);
    EXPECT_EQ(d.Child(0)->caption, "E");
    EXPECT_EQ(d.Child(0)->value, "");
    EXPECT_EQ(d.Child(1)->value, "f");
    EXPECT_EQ(d.Child(1)->Depth(), 1);

    EXPECT_EQ(root.Child(3)->caption, "G");
    EXPECT_EQ(root.Child(3)->attrColumn, "[]");
}

TEST(PartStorageFromText, ParentWithoutLeadingTextHasAnEmptyValue) {
    PartStorageTree tree = FromText("<P><N><!--x--><M>1</M></N></P>");
    ASSERT_EQ(tree.Root().ChildCount(), 1);
    EXPECT_EQ(tree.Root().Child(0)->value, "");
    EXPECT_EQ(tree.Root().Child(0)->ChildCount(), 1);
}

TEST(PartStorageFromText, EmptyTextEmptiesAndTextWithoutNodesKeepsTheTree) {
    PartStorageTree tree = FromText("<P><A>1</A></P>");
    PartStorageTree before = tree;
    LoadPartStorageText(tree, "  ");
    EXPECT_EQ(tree, before);
    LoadPartStorageText(tree, "<?pi only?>");
    EXPECT_TRUE(tree.Empty()) << "the first node holds no elements";
    tree = before;
    LoadPartStorageText(tree, "");
    EXPECT_TRUE(tree.Empty());
}

TEST(PartStorageFromText, BadTextThrowsAndLeavesTheTree) {
    PartStorageTree tree = FromText("<P><A>1</A></P>");
    PartStorageTree before = tree;
    EXPECT_THROW(LoadPartStorageText(tree, "<P><A>1</B></P>"), Exception);
    EXPECT_THROW(LoadPartStorageText(tree, "plain"), Exception);
    std::string deep;
    for (int i = 0; i < 300; ++i) deep += "<n><x/>";
    for (int i = 0; i < 300; ++i) deep += "</n>";
    EXPECT_THROW(LoadPartStorageText(tree, "<P>" + deep + "</P>"), Exception);
    EXPECT_EQ(tree, before);
}

// ---- tree to text ----

TEST(PartStorageToText, EmptyTreeGivesEmptyText) { EXPECT_EQ(PartStorageText(PartStorageTree()), ""); }

TEST(PartStorageToText, NestedNodesAreIndentedAndClosed) {
    PartStorageTree tree;
    Add(tree.Root(), "A", "1", {{"local", "true"}});
    PartStorageNode* b = Add(tree.Root(), "B", "bv");
    PartStorageNode* c = Add(*b, "C", "");
    Add(*c, "D", "4", {{"q", "a\"<&"}});
    Add(*b, "E", "<x/>");
    Add(tree.Root(), "F", "");
    EXPECT_EQ(PartStorageText(tree),
              "\r\n"
              "    <A local=\"true\">1</A>\r\n"
              "    <B>bv\r\n"
              "      <C>\r\n"
              "        <D q=\"a&quot;&lt;&amp;\">4</D>\r\n"
              "      </C>\r\n"
              "      <E><x/></E>\r\n"
              "    </B>\r\n"
              "    <F></F>\r\n");
}

TEST(PartStorageToText, UnnamedNodesAreLeftOutButTheirChildrenAreKept) {
    PartStorageTree tree;
    PartStorageNode* a = Add(tree.Root(), "A", "a");
    Add(*a, "", "lost");
    PartStorageNode* unnamed = Add(tree.Root(), "", "");
    Add(*unnamed, "K", "k");
    Add(tree.Root(), "Z", "z");
    std::string text = PartStorageText(tree);
    EXPECT_EQ(text, "\r\n    <A>a</A>\r\n      <K>k</K>\r\n    <Z>z</Z>\r\n");
    PartStorageTree back = FromText("<PartStorage>" + text + "</PartStorage>");
    EXPECT_EQ(back.Root().ChildCount(), 3);

    PartStorageTree onlyUnnamed;
    Add(onlyUnnamed.Root(), "", "");
    EXPECT_EQ(PartStorageText(onlyUnnamed), "\r\n");
}

TEST(PartStorageToText, TreeSurvivesWritingAndReading) {
    PartStorageTree tree;
    Add(tree.Root(), "Count", "5", {{"local", "true"}, {"required", "true"}});
    PartStorageNode* colors = Add(tree.Root(), "Colors", "two & more");
    Add(*colors, "Fore", "black");
    Add(*colors, "Back", "white");
    PartStorageNode* deep = Add(*colors, "Deep", "");
    Add(*deep, "X", "1");
    Add(*deep, "Y", "<![CDATA[<y>]]>");
    colors->value = "two &amp; more";
    std::string text = PartStorageText(tree);
    PartStorageTree back = FromText("<PartStorage>" + text + "  </PartStorage>");
    EXPECT_EQ(back, tree) << text;
    EXPECT_EQ(PartStorageText(back), text);
}

// ---- the tree itself ----

TEST(PartStorageTreeTest, CopiesAreDeepAndLinked) {
    PartStorageTree tree;
    PartStorageNode* a = Add(tree.Root(), "A", "1");
    Add(*a, "B", "2");
    PartStorageTree copy = tree;
    copy.Root().Child(0)->Child(0)->value = "changed";
    EXPECT_EQ(a->Child(0)->value, "2");
    EXPECT_EQ(copy.Root().Child(0)->Child(0)->Parent(), copy.Root().Child(0));
    EXPECT_EQ(copy.NodeCount(), 2);
    PartStorageTree moved = std::move(copy);
    EXPECT_EQ(moved.Root().Child(0)->Parent(), &moved.Root());
    EXPECT_EQ(moved.DisplayOrder()[1]->caption, "B");
}

TEST(PartStorageTreeTest, NodeCannotGoIntoItsOwnSubtree) {
    PartStorageTree tree;
    PartStorageNode* a = Add(tree.Root(), "A", "");
    PartStorageNode* b = Add(*a, "B", "");
    std::unique_ptr<PartStorageNode> taken = tree.Root().TakeChild(0);
    EXPECT_THROW(b->InsertChild(-1, std::move(taken)), std::invalid_argument);
}

} // namespace
