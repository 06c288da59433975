// The real web part editor inside the main window, driven by key presses and
// mouse clicks as a user would: saving through the menu and Ctrl+S, and the
// close questions on every way a tab or the window can close.

#include "../shell/MainFormFixture.h"

#include "shell/CommandTable.h"
#include "shell/DocumentEditor.h"
#include "webpart/NewTabFrame.h"

#include <Qsci/qsciscintilla.h>

#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace wpe::test {
namespace {

const char* const kTemplate =
    "<?xml version=\"1.0\" encoding=\"WINDOWS-1251\" ?>\r\n<WebPart>\r\n"
    "<Section id=\"General\"><Title required=\"true\"></Title><LastModified></LastModified></Section>\r\n"
    "<Section id=\"Content\"><ContentType>0</ContentType><Content></Content><ContentLink>http://</ContentLink>"
    "<XSL></XSL><XSLLink>http://</XSLLink></Section>\r\n"
    "</WebPart>\r\n";

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool Has(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

class ShellEditorTest : public MainFormTest {
protected:
    void SetUp() override
    {
        MainFormTest::SetUp();
        realWebPartEditor = true;
        std::ofstream(root / "prog" / "webpart template.xml", std::ios::binary) << kTemplate;
    }

    // The window shown and active, so that shortcuts reach it.
    TMainForm& Shown()
    {
        TMainForm& form = Form();
        form.show();
        form.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
        return form;
    }

    // A stored part with content, so that it passes the checks before saving.
    std::string Part(const std::string& name, const std::string& title, const std::string& content = "c")
    {
        auto path = root / "STORAGE" / name;
        std::ofstream(path, std::ios::binary) << "<?xml version=\"1.0\" encoding=\"WINDOWS-1251\" ?>\r\n<WebPart>\r\n"
                                              << "  <Title>" << title << "</Title>\r\n  <Content>" << content
                                              << "</Content>\r\n</WebPart>";
        return path.string();
    }

    TNewTab* EditorOf(int index) { return dynamic_cast<TNewTab*>(Form().Tabs().EditorAt(index)); }

    // Types text at the end of the active editor's Title field.
    void TypeIntoTitle(TNewTab* editor, const QString& text)
    {
        auto* title = editor->findChild<QLineEdit*>("Title");
        title->setFocus();
        QTest::keyClick(title, Qt::Key_End);
        QTest::keyClicks(title, text);
    }

    // Opens the File menu with the mouse and clicks the entry.
    void ClickFileMenu(const char* entryName)
    {
        QMenuBar* bar = Form().menuBar();
        QMenu* file = Form().findChild<QMenu*>("mnuFile");
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(file->menuAction()).center());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(file));
        QAction* entry = Form().findChild<QAction*>(entryName);
        ASSERT_TRUE(entry->isEnabled()) << entryName;
        QTest::mouseClick(file, Qt::LeftButton, {}, file->actionGeometry(entry).center());
    }

    void CtrlKey(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key, Qt::ControlModifier); }
};

TEST_F(ShellEditorTest, CtrlSSavesTheActiveTabOnlyAndNeverAsksForAName)
{
    TMainForm& form = Shown();
    std::string a = Part("a.xml", "Alpha"), b = Part("b.xml", "Beta");
    form.OpenWebPartDocument(a);
    form.OpenWebPartDocument(b);
    std::string bBefore = ReadAll(b);
    Pages()->setCurrentIndex(1);
    TypeIntoTitle(EditorOf(1), " one");
    TypeIntoTitle(EditorOf(2), " two");
    Pages()->setCurrentIndex(1);
    EditorOf(1)->findChild<QLineEdit*>("Title")->setFocus();

    CtrlKey(Qt::Key_S);

    EXPECT_TRUE(Has(ReadAll(a), "<Title>Alpha one</Title>")) << ReadAll(a);
    EXPECT_EQ(ReadAll(b), bBefore) << "the other tab was saved too";
    EXPECT_TRUE(dialogs.saveRequests.empty()) << "Save acted as Save As";
    EXPECT_FALSE(EditorOf(1)->IsModified());
    EXPECT_TRUE(EditorOf(2)->IsModified());
}

TEST_F(ShellEditorTest, SaveInTheMenuWritesTheFileAndSaveAsLeavesTheOldOne)
{
    TMainForm& form = Shown();
    std::string a = Part("a.xml", "Alpha");
    form.OpenWebPartDocument(a);
    TypeIntoTitle(EditorOf(1), "!");
    ClickFileMenu("miSave");
    EXPECT_TRUE(Has(ReadAll(a), "<Title>Alpha!</Title>"));
    EXPECT_TRUE(dialogs.saveRequests.empty());

    std::string old = ReadAll(a);
    std::string copy = (root / "STORAGE" / "copy.xml").string();
    dialogs.saveFiles.push_back(copy);
    TypeIntoTitle(EditorOf(1), "?");
    ClickFileMenu("miSaveAs");
    ASSERT_EQ(dialogs.saveRequests.size(), 1u);
    EXPECT_EQ(dialogs.saveRequests[0].fileName, "a.xml");
    EXPECT_TRUE(Has(ReadAll(copy), "<Title>Alpha!?</Title>"));
    EXPECT_EQ(ReadAll(a), old) << "Save As changed the old file";
    EXPECT_EQ(EditorOf(1)->FileName(), copy);
    EXPECT_EQ(Caption(1), "copy");
}

TEST_F(ShellEditorTest, SaveStaysAvailableWhileOnlyTheToolbarButtonFollowsTheModifiedFlag)
{
    TMainForm& form = Shown();
    form.OpenWebPartDocument(Part("a.xml", "Alpha"));
    QAction* save = form.Commands().miSave;
    QAction* button = form.Commands().tbSave;
    EXPECT_TRUE(save->isEnabled());
    EXPECT_FALSE(button->isEnabled());
    // An unmodified part is still saved: its comment is stored.
    EditorOf(1)->findChild<QsciScintilla*>("Comments")->setText("note");
    EditorOf(1)->SetModified(false);
    EditorOf(1)->findChild<QLineEdit*>("Title")->setFocus();
    CtrlKey(Qt::Key_S);
    EXPECT_TRUE(Has(ReadAll((root / "prog" / "WPComment.xml").string()), ">note</wp>"));

    TypeIntoTitle(EditorOf(1), "x");
    EXPECT_TRUE(button->isEnabled());
    EXPECT_TRUE(save->isEnabled());
}

TEST_F(ShellEditorTest, YesToSaveChangesWritesTheFileAndCloses)
{
    TMainForm& form = Shown();
    std::string a = Part("a.xml", "Alpha");
    form.OpenWebPartDocument(a);
    TypeIntoTitle(EditorOf(1), "2");
    dialogs.answers.push_back(MsgResult::Yes);
    CtrlKey(Qt::Key_W);
    ASSERT_FALSE(dialogs.shown.empty());
    EXPECT_EQ(dialogs.shown[0].text, "Save changes to " + a + " ?");
    EXPECT_TRUE(Has(ReadAll(a), "<Title>Alpha2</Title>"));
    EXPECT_EQ(Pages()->count(), 1);
}

// A part without content and without a content link is refused by the
// checks before saving; "Yes" to the close question must then keep it open.
TEST_F(ShellEditorTest, RefusedSaveKeepsTheTabAndItsEditsOnEveryWayOfClosing)
{
    TMainForm& form = Shown();
    std::string a = Part("a.xml", "Alpha", "");
    std::string before = ReadAll(a);
    form.OpenWebPartDocument(a);
    TypeIntoTitle(EditorOf(1), " edited");

    struct Way {
        const char* name;
        std::function<void()> close;
    };
    const Way ways[] = {
        {"Ctrl+W", [this] { CtrlKey(Qt::Key_W); }},
        {"the tab's close button",
         [this] {
             QTest::mouseClick(EditorOf(1)->findChild<QToolButton*>("btnClose"), Qt::LeftButton);
             QApplication::processEvents();  // the close request is queued
         }},
        {"Close All", [this] { ClickFileMenu("miCloseAll"); }},
        {"closing the window", [&form] { form.close(); }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        dialogs.shown.clear();
        dialogs.answers = {MsgResult::Yes};
        way.close();
        ASSERT_EQ(dialogs.shown.size(), 2u);
        EXPECT_EQ(dialogs.shown[1].text, "Content (ContentLink) is empty!");
        ASSERT_EQ(Pages()->count(), 2) << "the tab was closed";
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(EditorOf(1)->findChild<QLineEdit*>("Title")->text(), "Alpha edited");
        EXPECT_TRUE(EditorOf(1)->IsModified());
        EXPECT_EQ(ReadAll(a), before);
    }
    // "No" lets it go.
    dialogs.answers = {MsgResult::No};
    CtrlKey(Qt::Key_W);
    EXPECT_EQ(Pages()->count(), 1);
}

TEST_F(ShellEditorTest, FailedSaveOnClosingKeepsTheTab)
{
    // Windows-1251 has no 漢: the save fails before anything is written.
    TMainForm& form = Shown();
    std::string a = Part("a.xml", "Alpha");
    std::string before = ReadAll(a);
    form.OpenWebPartDocument(a);
    EditorOf(1)->findChild<QsciScintilla*>("Content")->setText(QString::fromUtf8("漢"));
    dialogs.answers = {MsgResult::Yes};
    CtrlKey(Qt::Key_W);
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[1].kind, MsgKind::Error);
    EXPECT_EQ(Pages()->count(), 2);
    EXPECT_EQ(EditorOf(1)->findChild<QsciScintilla*>("Content")->text(), QString::fromUtf8("漢"));
    EXPECT_EQ(ReadAll(a), before);
}

} // namespace
} // namespace wpe::test
