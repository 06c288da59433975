#include "EditorFixture.h"

#include "webpart/CheckListEdit.h"
#include "webpart/PartStorageEditor.h"
#include "webpart/WebPart.h"

#include <Qsci/qsciscintilla.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QTreeWidget>

using namespace wpe;
using namespace wpe::test;

namespace {

const std::string kStoragePart =
    "<?xml version=\"1.0\" encoding=\"WINDOWS-1251\" ?>\r\n<WebPart>\r\n  <Content>c</Content>\r\n"
    "  <PartStorage>\r\n    <A local=\"true\">1</A>\r\n    <B required=\"true\" local=\"true\">2</B>\r\n"
    "    <C local=\"true\" required=\"true\">3</C>\r\n  </PartStorage>\r\n</WebPart>";

class PartStorageEditorTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        loadPart("storage.xml", kStoragePart);
        storage = editor->findChild<TPartStorageEditor*>();
        ASSERT_NE(storage, nullptr);
        value = editor->findChild<QsciScintilla*>("PSValue");
        attrs = editor->findChild<TCheckListEdit*>("clPartStorageAttr");
        tree = editor->findChild<QTreeWidget*>("PartStorage");
        ASSERT_TRUE(value && attrs && tree);
    }
    PartStorageNode* node(const std::string& caption) const {
        for (PartStorageNode* n : storage->GetTree().DisplayOrder())
            if (n->caption == caption)
                return n;
        return nullptr;
    }
    void press(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent event(QEvent::KeyPress, key, mods);
        QApplication::sendEvent(tree, &event);
    }

    TPartStorageEditor* storage = nullptr;
    QsciScintilla* value = nullptr;
    TCheckListEdit* attrs = nullptr;
    QTreeWidget* tree = nullptr;
};

} // namespace

TEST_F(PartStorageEditorTest, TreeShowsThreeColumnsFromThePart) {
    EXPECT_EQ(tree->headerItem()->text(0), "Parameter");
    EXPECT_EQ(tree->headerItem()->text(1), "Value");
    EXPECT_EQ(tree->headerItem()->text(2), "Attribute");
    ASSERT_EQ(tree->topLevelItemCount(), 3);
    EXPECT_EQ(tree->topLevelItem(0)->text(0), "A");
    EXPECT_EQ(tree->topLevelItem(0)->text(1), "1");
    EXPECT_EQ(tree->topLevelItem(0)->text(2), "[local]");
    EXPECT_FALSE(editor->IsModified());
}

TEST_F(PartStorageEditorTest, CheckListFollowsAttributeOrder) {
    struct Case {
        const char* node;
        bool required;
    } cases[] = {{"A", false}, {"B", true}, {"C", false}};
    for (const Case& c : cases) {
        storage->selectNode(node(c.node));
        EXPECT_EQ(attrs->checked(0), c.required) << c.node;
        EXPECT_EQ(value->text().toStdString(), node(c.node)->value);
    }
}

TEST_F(PartStorageEditorTest, CheckingRequiredReplacesTheFileAttributes) {
    storage->selectNode(node("A"));
    attrs->toggleByUser(0);
    EXPECT_EQ(node("A")->attrs, (std::vector<TNodeAttr>{{"required", "true"}}));
    EXPECT_EQ(node("A")->attrColumn, "[required]");
    EXPECT_EQ(tree->topLevelItem(0)->text(2), "[required]");
}

TEST_F(PartStorageEditorTest, SelectingMarksModifiedAndValueEditsStoreAtOnce) {
    storage->selectNode(node("A"));
    EXPECT_TRUE(editor->IsModified());
    EXPECT_TRUE(editor->findChild<QLabel*>("lblPartStorage")->font().bold());

    value->setText("one line\r\n");
    EXPECT_EQ(node("A")->value, "one line");
    value->setText("first\r\nsecond");
    EXPECT_EQ(node("A")->value, "first\r\nsecond");

    storage->selectNode(node("B"));
    EXPECT_EQ(node("A")->value, "first\r\nsecond");
    EXPECT_EQ(value->text(), "2");
}

TEST_F(PartStorageEditorTest, KeysAddRenameMoveAndDelete) {
    storage->selectNode(node("A"));
    tree->setFocus();
    press(Qt::Key_Insert);
    PartStorageNode* added = storage->selectedNode();
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->caption, "");
    EXPECT_EQ(added->Index(), 1);
    storage->finishCaptionEdit(added, " max items ");
    EXPECT_EQ(added->caption, "max_items");

    press(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(added->Parent(), node("A"));
    press(Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(added->Parent(), &storage->GetTree().Root());
    EXPECT_EQ(added->Index(), 1);
    press(Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(added->Index(), 0);
    // Ctrl with Shift is not the move.
    press(Qt::Key_Down, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(added->Index(), 0);
    storage->selectNode(added);

    dialogs.answers.push_back(MsgResult::No);
    press(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(storage->GetTree().NodeCount(), 4);
    EXPECT_EQ(dialogs.shown.back().text, "Delete node <max_items>");
    dialogs.answers.push_back(MsgResult::Yes);
    press(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(storage->GetTree().NodeCount(), 3);
    EXPECT_NE(storage->selectedNode(), nullptr);
}

TEST_F(PartStorageEditorTest, AddChildAndAutomaticSorting) {
    storage->selectNode(node("C"));
    press(Qt::Key_Insert, Qt::AltModifier);
    PartStorageNode* child = storage->selectedNode();
    ASSERT_EQ(child->Parent(), node("C"));
    storage->finishCaptionEdit(child, "Z");

    storage->setSortMode(PartStorageSortMode::Automatic);
    storage->selectNode(node("A"));
    storage->addNode();
    storage->finishCaptionEdit(storage->selectedNode(), "AA");
    std::vector<std::string> top;
    for (int i = 0; i < storage->GetTree().Root().ChildCount(); ++i)
        top.push_back(storage->GetTree().Root().Child(i)->caption);
    EXPECT_EQ(top, (std::vector<std::string>{"A", "AA", "B", "C"}));
}

TEST_F(PartStorageEditorTest, EditedTreeIsSavedWithThePart) {
    storage->selectNode(node("A"));
    value->setText("first\r\nsecond");
    attrs->toggleByUser(0);
    ASSERT_TRUE(editor->Save(false, false));
    std::string saved = ReadFile(path("storage.xml"));
    EXPECT_NE(saved.find("<A required=\"true\">first\r\nsecond</A>"), std::string::npos) << saved;
    EXPECT_NE(saved.find("<B required=\"true\" local=\"true\">2</B>"), std::string::npos) << saved;
}

TEST_F(PartStorageEditorTest, ToolbarMenusFollowVisibility) {
    storage->setEditToolbarVisible(false);
    EXPECT_TRUE(storage->toolbarBandVisible());
    storage->setSortToolbarVisible(false);
    EXPECT_FALSE(storage->toolbarBandVisible());
    EXPECT_FALSE(editor->findChild<QAction*>("miPSViewToolbar")->isChecked());
    storage->setToolbarBandVisible(true);
    EXPECT_TRUE(storage->editToolbarVisible());
    EXPECT_TRUE(storage->sortToolbarVisible());
    EXPECT_TRUE(editor->findChild<QAction*>("miPSToolbarEdit")->isChecked());
    EXPECT_TRUE(editor->findChild<QAction*>("miPSToolbarSort")->isChecked());
}
