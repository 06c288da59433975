#include "EditorProgram.h"
#include "ScriptedDialogs.h"
#include "shell/AboutBox.h"
#include "shell/AppEventHooks.h"
#include "shell/QtDialogs.h"
#include "shell/Settings.h"
#include "shell/SingleInstance.h"
#include "shell/VersionInfo.h"

#include <Qsci/qsciscintilla.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QVBoxLayout>

namespace wpe::test {
namespace {

// Points the lock at a folder of the test's own for as long as it lives.
class RuntimeDir {
public:
    RuntimeDir() : old_(qgetenv("XDG_RUNTIME_DIR")) { qputenv("XDG_RUNTIME_DIR", dir_.path().toUtf8()); }
    ~RuntimeDir() { qputenv("XDG_RUNTIME_DIR", old_); }
    QString path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
    QByteArray old_;
};

TEST(SingleInstance, SecondStartEndsWithCodeZeroAndShowsNothing)
{
    RuntimeDir runtime;
    TSingleInstance first;
    ASSERT_TRUE(first.Acquire());
    EXPECT_EQ(TSingleInstance::LockPath(), QDir(runtime.path()).filePath("VantorelDevKit.lock"));

    QProcess second;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    second.setProcessEnvironment(env);
    second.start(WPE_EDITOR_PROGRAM, {});
    ASSERT_TRUE(second.waitForFinished(60000)) << "the second copy kept running";
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardError().isEmpty());

    TSingleInstance third;
    EXPECT_FALSE(third.Acquire()) << "the lock is still held by the first";
}

TEST(SingleInstance, LockOfADeadCopyIsTakenOver)
{
    RuntimeDir runtime;
    QFile stale(TSingleInstance::LockPath());
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    // A process id that cannot be running.
    stale.write("2147483646\nwpeditor\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    stale.close();
    TSingleInstance instance;
    EXPECT_TRUE(instance.Acquire());
}

TEST(AboutBox, VersionLineAndModes)
{
    struct Row {
        const char* fileVersion;
        const char* shown;
    };
    for (Row row : {Row{"2.0.1.57", "Version 2.01 build 57 beta"}, Row{"2,0,1,57", "Version 2.01 build 57 beta"},
                    Row{"2..1.57", "Version 2.01 build 57 beta"}}) {
        TVersionInfo::Strings strings;
        strings[vtFileVersion] = row.fileVersion;
        TAboutBox box(TAboutBox::Mode::Dialog, TVersionInfo("wpeditor", strings));
        EXPECT_EQ(box.findChild<QLabel*>("Version")->text().toStdString(), row.shown) << row.fileVersion;
    }

    TVersionInfo::Strings strings;
    strings[vtFileVersion] = "2.0.1.57";
    TAboutBox dialog(TAboutBox::Mode::Dialog, TVersionInfo("wpeditor", strings));
    dialog.show();
    EXPECT_TRUE(dialog.findChild<QPushButton*>("OKButton")->isVisible());
    EXPECT_FALSE(dialog.findChild<QLabel*>("lblOperation")->isVisible());
    EXPECT_EQ(dialog.findChild<QLabel*>("ProductName")->text(), "Ombrelio Developer Toolkit");
    dialog.findChild<QPushButton*>("OKButton")->click();
    EXPECT_FALSE(dialog.isVisible());

    TAboutBox splash(TAboutBox::Mode::Splash, TVersionInfo("wpeditor", strings));
    splash.show();
    EXPECT_FALSE(splash.findChild<QPushButton*>("OKButton")->isVisible());
    EXPECT_TRUE(splash.findChild<QLabel*>("lblProgress")->isVisible());
    EXPECT_EQ(splash.findChild<QWidget*>("MainPanel")->height(), 203);
    EXPECT_EQ(splash.findChild<QWidget*>("MainPanel")->width(), 281);
}

TEST(AboutBox, ProgramVersionComesFromTheBuild)
{
    // The project's version as CMake states it, not the macro the program
    // itself is built with: a build that loses the version must fail here.
    EXPECT_EQ(ProgramVersionInfo().FileVersion(), WPE_TEST_PROJECT_VERSION);
    EXPECT_THAT(ProgramVersionInfo().FileVersion(), ::testing::MatchesRegex("[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+"));
}

TEST(AboutBox, ProgressLineShortensLongPaths)
{
    TVersionInfo::Strings strings;
    TAboutBox splash(TAboutBox::Mode::Splash, TVersionInfo("wpeditor", strings));
    splash.show();
    SetProgressTarget(&splash);
    std::string longPath = "/home/user";
    for (int i = 0; i < 30; ++i)
        longPath += "/folder" + std::to_string(i);
    longPath += "/news.xml";
    ProgressCallback(longPath);
    QLabel* line = splash.findChild<QLabel*>("lblProgress");
    QString shown = line->text();
    EXPECT_TRUE(shown.contains("...")) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith("news.xml"));
    EXPECT_LE(line->fontMetrics().horizontalAdvance(shown), line->contentsRect().width());
    ProgressCallback("/short/a.xml");
    EXPECT_EQ(line->text(), "/short/a.xml");
    ShowStartupStep("Reading options...");
    EXPECT_EQ(splash.findChild<QLabel*>("lblOperation")->text(), "Reading options...");
    SetProgressTarget(nullptr);
    ProgressCallback("/no/splash.xml");  // only lets the queue run
    EXPECT_EQ(line->text(), "/short/a.xml");
}

TEST(QtDialogs, FilterTextBecomesQtFilters)
{
    EXPECT_EQ(QtNameFilters("WebPart (*.xml; *.dwp; *.cwp)|*.xml; *.dwp; *.cwp|Skin (*.cso)|*.cso").toStdString(),
              "WebPart (*.xml *.dwp *.cwp);;Skin (*.cso)");
    EXPECT_EQ(QtNameFilters("HTML Documents (*.htm*)|*.htm*|All Files|*.*").toStdString(),
              "HTML Documents (*.htm*);;All Files (*.*)");
    EXPECT_EQ(QtSelectedFilter("A|*.a|B|*.b", 2).toStdString(), "B (*.b)");
    EXPECT_EQ(QtSelectedFilter("A|*.a", 3).toStdString(), "");
}

TEST(TextDropTarget, OnlyOneLineFieldsAndSourceEditorsTakeText)
{
    QWidget pane;
    auto* layout = new QVBoxLayout(&pane);
    auto* line = new QLineEdit("Hello world", &pane);
    auto* readOnly = new QLineEdit("fixed", &pane);
    readOnly->setReadOnly(true);
    auto* memo = new QTextEdit(&pane);
    auto* source = new QsciScintilla(&pane);
    source->setText("<a>old</a>");
    for (QWidget* w : std::initializer_list<QWidget*>{line, readOnly, memo, source})
        layout->addWidget(w);

    EXPECT_EQ(TTextDropTarget::DropTargetAt(line), line);
    EXPECT_EQ(TTextDropTarget::DropTargetAt(readOnly), nullptr);
    EXPECT_EQ(TTextDropTarget::DropTargetAt(memo->viewport()), nullptr);
    EXPECT_EQ(TTextDropTarget::DropTargetAt(source->viewport()), source);
    EXPECT_EQ(TTextDropTarget::DropTargetAt(&pane), nullptr);

    TTextDropTarget target(&pane);
    QMimeData mime;
    mime.setText("big");
    line->setSelection(6, 5);
    QDropEvent drop(QPointF(2, 2), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    EXPECT_TRUE(target.eventFilter(line, &drop));
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction);
    EXPECT_EQ(line->text(), "Hello big");

    source->setSelection(0, 3, 0, 6);
    QDropEvent onSource(QPointF(2, 2), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    target.eventFilter(source->viewport(), &onSource);
    EXPECT_EQ(source->text(), "<a>big</a>");

    QString before = memo->toPlainText();
    QDropEvent onMemo(QPointF(2, 2), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    EXPECT_TRUE(target.eventFilter(memo->viewport(), &onMemo));
    EXPECT_FALSE(onMemo.isAccepted());
    EXPECT_EQ(memo->toPlainText(), before);

    QWidget outside;
    QDropEvent elsewhere(QPointF(2, 2), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    EXPECT_FALSE(target.eventFilter(&outside, &elsewhere)) << "drops outside the pane are not touched";
}

class SettingsHelpers : public ::testing::Test {
protected:
    void SetUp() override { QSettings(QSettings::NativeFormat, QSettings::UserScope, "Orlendt", "WebParts Editor").clear(); }
};

TEST_F(SettingsHelpers, ReadWriteDeleteAndNames)
{
    EXPECT_EQ(ReadSetting("LastDir"), "");
    WriteSetting("LastDir", "/srv/parts/");
    EXPECT_EQ(ReadSetting("LastDir"), "/srv/parts/");
    WriteSetting("1", "/a.xml", "LastOpenedFiles");
    WriteSetting("2", "/b.xml", "LastOpenedFiles");
    std::vector<std::string> names = {"untouched"};
    ReadSettingNames("Missing", names);
    EXPECT_EQ(names, (std::vector<std::string>{"untouched"}));
    ReadSettingNames("LastOpenedFiles", names);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"1", "2"}));
    DeleteSettingsKey("LastOpenedFiles");
    EXPECT_EQ(ReadSetting("1", "LastOpenedFiles"), "");
    EXPECT_EQ(ReadSetting("LastDir"), "/srv/parts/") << "deleting a sub-key keeps the key's own values";
    DeleteSettingsKey("");
    EXPECT_EQ(ReadSetting("LastDir"), "/srv/parts/") << "an empty sub-key never wipes the whole key";
}

} // namespace
} // namespace wpe::test
