#include "MainFormFixture.h"

#include "shell/CommandTable.h"
#include "shell/LastOpenedFiles.h"
#include "shell/MainStatusBar.h"
#include "shell/Options.h"
#include "webpart/WPComment.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>

namespace wpe::test {
namespace {

std::vector<std::pair<std::string, std::string>> Recorded()
{
    std::vector<std::pair<std::string, std::string>> r;
    for (const auto& name : SettingsStore().ValueNames(kLastOpenedFilesKey))
        r.emplace_back(name, ReadSetting(name, kLastOpenedFilesKey));
    std::sort(r.begin(), r.end());
    return r;
}

TEST_F(MainFormTest, CancelAtExitKeepsWindowAndEntriesWrittenSoFar)
{
    std::string a = WebPart("a.xml"), b = WebPart("b.xml"), c = WebPart("c.xml");
    WriteSetting("9", "/old/entry.xml", kLastOpenedFilesKey);
    for (const auto& p : {a, b, c})
        Form().OpenWebPartDocument(p);
    EditorAt(2)->modified = true;
    Form().show();
    dialogs.answers.push_back(MsgResult::Cancel);
    EXPECT_FALSE(Form().close());
    EXPECT_TRUE(Form().isVisible());
    EXPECT_EQ(Pages()->count(), 4) << "no document was closed";
    EXPECT_EQ(Recorded(), (std::vector<std::pair<std::string, std::string>>{{"3", c}}))
        << "the third document's entry was written, the first's was not, the old key was deleted";
    EXPECT_EQ(dialogs.shown.back().text, "Save changes to b?");
}

TEST_F(MainFormTest, ExitRecordsEveryDocumentAndNextStartRestoresThemInOrder)
{
    std::string a = WebPart("a.xml");
    std::string blue = Skin("blue", "blue.cso");
    std::string c = WebPart("c.xml");
    Form().OpenWebPartDocument(a);
    Form().OpenSkinDocument(blue);
    Form().OpenWebPartDocument(c);
    Form().show();
    EXPECT_TRUE(Form().close());
    EXPECT_EQ(Recorded(), (std::vector<std::pair<std::string, std::string>>{{"1", a}, {"2", blue}, {"3", c}}));

    form.reset();
    options.reset();
    std::filesystem::remove(root / "SKINS" / "blue" / "blue.cso");
    Form();
    ASSERT_EQ(Pages()->count(), 3) << "a vanished skin is reported and skipped";
    EXPECT_EQ(Caption(1), "a");
    EXPECT_EQ(Caption(2), "c");
    EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{"\"" + blue + "\" doesn't exists"}));
}

TEST_F(MainFormTest, RestoreOffStillRecordsAtExit)
{
    TOptions o;
    o.restoreFiles = false;
    SaveOptions(SettingsStore(), o);
    std::string a = WebPart("a.xml");
    WriteSetting("1", a, kLastOpenedFilesKey);
    Form();
    EXPECT_EQ(Pages()->count(), 1) << "nothing is reopened";
    Form().OpenWebPartDocument(a);
    Form().show();
    EXPECT_TRUE(Form().close());
    EXPECT_EQ(Recorded(), (std::vector<std::pair<std::string, std::string>>{{"1", a}}));
}

TEST_F(MainFormTest, LastDirIsLeftAloneWhenTheOptionIsOff)
{
    TOptions o;
    o.restoreFolder = false;
    SaveOptions(SettingsStore(), o);
    WriteSetting(kLastDirValue, "/kept/");
    Form().show();
    EXPECT_TRUE(Form().close());
    EXPECT_EQ(ReadSetting(kLastDirValue), "/kept/");

    form.reset();
    options.reset();
    o.restoreFolder = true;
    SaveOptions(SettingsStore(), o);
    WriteSetting(kLastDirValue, (root / "SKINS").string());
    Form().show();
    EXPECT_TRUE(Form().close());
    EXPECT_EQ(ReadSetting(kLastDirValue), (root / "SKINS").string() + "/") << "written back with a trailing delimiter";
}

TEST_F(MainFormTest, CommentsAreLoadedAndSavedInTheProgramFolder)
{
    std::ofstream(root / "prog" / "WPComment.xml", std::ios::binary)
        << "<?xml version=\"1.0\" encoding=\"WINDOWS-1251\" ?><WebParts><wp filename=\"news.xml\">old</wp></WebParts>";
    EXPECT_EQ(Form().Comments().GetComment("NEWS.XML"), "old");
    Form().Comments().SetComment("news.xml", "a < b");
    Form().show();
    EXPECT_TRUE(Form().close());
    std::ifstream in(root / "prog" / "WPComment.xml", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(text.find("<wp filename=\"news.xml\">a &lt; b</wp>"), std::string::npos) << text;
}

TEST_F(MainFormTest, UnreadableCommentsFileIsNotOverwritten)
{
    const std::string damaged = "<?xml version=\"1.0\"?><Other><wp filename=\"x\">keep</wp></Other>";
    std::ofstream(root / "prog" / "WPComment.xml", std::ios::binary) << damaged;
    Form().show();
    EXPECT_TRUE(Form().close());
    std::ifstream in(root / "prog" / "WPComment.xml", std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), {}), damaged);
}

TEST_F(MainFormTest, PortalFailureIsReportedAndEndsTheProgram)
{
    failBase = true;
    Form();
    EXPECT_TRUE(Form().TerminateRequested());
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text.rfind("Can't load \"base.dll\"\r\nApplication will be terminated", 0), 0u);
    EXPECT_EQ(dialogs.shown[0].kind, MsgKind::Error);
}

TEST_F(MainFormTest, WindowStateComesBack)
{
    Form().OpenWebPartDocument(WebPart("a.xml"));
    Form().Commands().miToolbar->setChecked(false);
    Form().Commands().miFileManager->setChecked(false);
    Form().findChild<QTabWidget*>("LeftPageControl")->setCurrentIndex(1);
    Form().show();
    EXPECT_TRUE(Form().close());
    form.reset();
    options.reset();
    Form();
    EXPECT_FALSE(Form().Commands().miToolbar->isChecked());
    EXPECT_FALSE(Form().Commands().miFileManager->isChecked());
    EXPECT_EQ(Form().findChild<QTabWidget*>("LeftPageControl")->currentIndex(), 1);
    ASSERT_EQ(Form().ReopenList().Items().size(), 1u);
    EXPECT_TRUE(Form().Commands().miReopen->isEnabled());
}

TEST_F(MainFormTest, LeftReleaseClearsTheMessagePanel)
{
    Form().show();
    Form().StatusBar().SetMessage("Portal built");
    auto* panel = Form().findChild<QLabel*>("pnlMessage");
    EXPECT_EQ(panel->text(), "Portal built");
    QWidget* target = Pages();
    QPointF at(5, 5);
    QMouseEvent right(QEvent::MouseButtonRelease, at, target->mapToGlobal(at), Qt::RightButton, Qt::NoButton,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &right);
    EXPECT_EQ(panel->text(), "Portal built");
    QMouseEvent left(QEvent::MouseButtonRelease, at, target->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(target, &left);
    EXPECT_EQ(panel->text(), "");
}

TEST_F(MainFormTest, StatusBarPanelsAndCaption)
{
    TMainStatusBar& bar = Form().StatusBar();
    auto text = [&](const char* name) { return Form().findChild<QLabel*>(name)->text().toStdString(); };
    bar.SetModified(true);
    bar.SetCaretX(5);
    bar.SetCaretY(12);
    EXPECT_EQ(text("pnlPosition"), "5 : 12");
    EXPECT_EQ(text("pnlModified"), "Modified");
    EXPECT_TRUE(Form().Commands().tbSave->isEnabled());
    bar.Reset();
    EXPECT_EQ(Form().windowTitle().toStdString(), "Ombrelio Developer Toolkit - []");
    EXPECT_EQ(text("pnlPosition"), "");
    EXPECT_EQ(text("pnlMode"), "");
    EXPECT_FALSE(Form().Commands().tbSave->isEnabled());
    EXPECT_TRUE(Form().Commands().miSave->isEnabled()) << "only the toolbar button follows the modified flag";
    bar.SetCaretX(2);
    bar.SetCaretY(0);
    EXPECT_EQ(text("pnlPosition"), "");
    bar.SetCaretX(3);
    EXPECT_EQ(text("pnlPosition"), "3 : 0");
    bar.SetInsertMode(1);
    EXPECT_EQ(text("pnlMode"), "Overwrite");
    bar.SetInsertMode(5);
    EXPECT_EQ(text("pnlMode"), "Overwrite");
}

TEST_F(MainFormTest, SaveDialogOfferedToEditors)
{
    dialogs.saveFiles.push_back(std::string("/tmp/x.xml"));
    auto chosen = Form().ChooseSaveFile("news.xml", "/srv");
    ASSERT_TRUE(chosen);
    EXPECT_EQ(*chosen, "/tmp/x.xml");
    const FileDialogOptions& o = dialogs.saveRequests.back();
    EXPECT_EQ(o.filter, "XML Documents (*.xml; *.xsl)|*.xml; *.xsl");
    EXPECT_EQ(o.defaultExt, "xml");
    EXPECT_EQ(o.fileName, "news.xml");
}

class OptionsFormTest : public ::testing::Test {
protected:
    void SetUp() override { QSettings(QSettings::NativeFormat, QSettings::UserScope, "Orlendt", "WebParts Editor").clear(); }
};

TEST_F(OptionsFormTest, CancelLeavesStoredValuesAndOkKeepsChanges)
{
    TOptionsForm form(SettingsStore());
    auto* files = form.findChild<QCheckBox*>("optRestoreFiles");
    auto* html = form.findChild<QWidget*>("optHTMLEditor")->findChild<QLineEdit*>();
    ASSERT_TRUE(files && html);
    EXPECT_TRUE(files->isChecked());

    form.show();
    files->setChecked(false);
    html->setText("/usr/bin/bluefish");
    form.findChild<QPushButton*>("btnCancel")->click();
    EXPECT_TRUE(LoadOptions(SettingsStore()).restoreFiles);
    EXPECT_EQ(LoadOptions(SettingsStore()).htmlEditor, "");
    EXPECT_TRUE(files->isChecked()) << "the dialog shows the stored values again";

    form.show();
    files->setChecked(false);
    html->setText("/usr/bin/bluefish");
    form.findChild<QPushButton*>("btnOK")->click();
    TOptions stored = LoadOptions(SettingsStore());
    EXPECT_FALSE(stored.restoreFiles);
    EXPECT_EQ(stored.htmlEditor, "/usr/bin/bluefish");
    EXPECT_FALSE(form.Options().restoreFiles);
}

TEST_F(OptionsFormTest, ShowingReloadsValuesStoredElsewhere)
{
    TOptionsForm form(SettingsStore());
    TOptions o;
    o.createWebletArchive = true;
    SaveOptions(SettingsStore(), o);
    EXPECT_FALSE(form.findChild<QCheckBox*>("optCreateWebletArchive")->isChecked());
    form.show();
    EXPECT_TRUE(form.findChild<QCheckBox*>("optCreateWebletArchive")->isChecked());
    form.reject();
}

} // namespace
} // namespace wpe::test
