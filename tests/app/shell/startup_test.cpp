#include "EditorProgram.h"
#include "MainFormFixture.h"

#include "files/FilePane.h"
#include "shell/AboutBox.h"
#include "shell/LastOpenedFiles.h"
#include "shell/Options.h"
#include "shell/SingleInstance.h"
#include "shell/VersionInfo.h"

#include <QElapsedTimer>
#include <QProcess>

namespace wpe::test {
namespace {

// Runs the main window's start-up with every frame's hook recording when it
// runs, beside the splash texts in the order they were shown.
class StartupTest : public MainFormTest {
protected:
    std::vector<std::string> events;

    void Start(bool withFrames = true)
    {
        options = std::make_unique<TOptionsForm>(SettingsStore());
        TMainFormSetup s = MakeSetup();
        s.options = options.get();
        s.showStartupStep = [this](const std::string& text) { events.push_back(text); };
        auto initBase = s.initBase;
        s.initBase = [this, initBase] {
            events.push_back("[base]");
            initBase();
        };
        if (withFrames) {
            s.hooks.createCatalogueFrame = [this](QWidget* tab) {
                events.push_back(tab ? "[catalogue frame]" : "[catalogue frame without tab]");
            };
            s.hooks.loadCatalogue = [this](const std::function<void(const std::string&)>& progress) {
                events.push_back("[catalogue load]");
                if (progress)
                    progress("/portal/STORAGE/a.xml");
            };
            s.hooks.refreshPortalLists = [this] { events.push_back("[portal lists]"); };
        }
        s.editors.webPart = [this, factory = s.editors.webPart](IMainServices& services, QWidget* parent) {
            events.push_back("[restore document]");
            return factory(services, parent);
        };
        form = std::make_unique<TMainForm>(std::move(s));
    }
};

TEST_F(StartupTest, StepsRunInOrderUnderTheirSplashTexts)
{
    std::string part = WebPart("a.xml");
    WriteSetting("1", part, kLastOpenedFilesKey);
    WriteSetting(kLastDirValue, (root / "SKINS").string() + "/");
    Start();
    EXPECT_EQ(events, (std::vector<std::string>{"Registering drop target...", "[base]", "[catalogue frame]",
                                                "Reading categories...", "[catalogue load]", "Restoring files...",
                                                "[restore document]", "Reading description...", "Reading portal...",
                                                "[portal lists]"}));
    EXPECT_EQ(form->FilePane().CurrentFolder(), (root / "SKINS").string());
    EXPECT_EQ(Pages()->count(), 2) << "the restored document is opened once";
}

TEST_F(StartupTest, OptionsOffSkipTheirStepsButNotTheTexts)
{
    TOptions o;
    o.restoreFiles = false;
    o.restoreFolder = false;
    SaveOptions(SettingsStore(), o);
    WriteSetting("1", WebPart("a.xml"), kLastOpenedFilesKey);
    Start(false);
    EXPECT_EQ(events, (std::vector<std::string>{"Registering drop target...", "[base]", "Reading categories...",
                                                "Restoring files...", "Reading portal..."}))
        << "\"Reading description...\" only shows when the last folder is read";
    EXPECT_EQ(form->FilePane().CurrentFolder(), (root / "STORAGE").string());
}

TEST_F(StartupTest, PortalFailureNamesTheCauseAndTheWayOutAboveTheSplash)
{
    TVersionInfo::Strings strings;
    TAboutBox splash(TAboutBox::Mode::Splash, TVersionInfo("wpeditor", strings));
    splash.show();
    SetProgressTarget(&splash);
    failBase = true;
    Start();
    SetProgressTarget(nullptr);
    EXPECT_TRUE(form->TerminateRequested());
    ASSERT_EQ(dialogs.shown.size(), 1u);
    const std::string& text = dialogs.shown[0].text;
    EXPECT_EQ(text.rfind("Can't load \"base.dll\"\r\nApplication will be terminated", 0), 0u) << text;
    EXPECT_NE(text.find("portal missing"), std::string::npos) << "the cause is named";
    EXPECT_NE(text.find("--portal"), std::string::npos);
    EXPECT_NE(text.find("WPE_PORTAL_DIR"), std::string::npos);
    EXPECT_FALSE(splash.isVisible()) << "the splash no longer covers the message";
    EXPECT_EQ(std::count(events.begin(), events.end(), "[catalogue load]"), 0) << "no portal, no catalogue";
    EXPECT_EQ(std::count(events.begin(), events.end(), "[portal lists]"), 0);
}

TEST_F(StartupTest, FilesNamedAtStartOpenByTheirType)
{
    std::string part = WebPart("a.xml");
    std::string skin = Skin("blue", "blue.cso");
    std::string other = PlainFile("notes.txt", "x");
    Start(false);
    form->OpenFiles({part, skin, other, (root / "gone.xml").string(), part});
    ASSERT_EQ(Pages()->count(), 3) << "the web part once, the skin once";
    EXPECT_EQ(Caption(1), "a");
    EXPECT_EQ(Caption(2), "blue");
    EXPECT_EQ(Active(), 1) << "opening an open file again activates its tab";
    EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{other + " is neither a web part nor a skin file.",
                                                         "\"" + (root / "gone.xml").string() + "\" doesn't exists"}));
}

// A second start of the real program hands its files to the running copy
// (this test, holding the lock) and ends with code 0.
TEST_F(StartupTest, SecondStartHandsItsFilesToTheRunningCopy)
{
    QTemporaryDir runtime;
    QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    {
        TSingleInstance first;
        ASSERT_TRUE(first.Acquire());
        std::vector<std::string> received;
        ASSERT_TRUE(first.Listen([&](const std::vector<std::string>& paths) { received = paths; }));

        std::string part = WebPart("a.xml");
        QProcess second;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", runtime.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        second.setProcessEnvironment(env);
        second.setWorkingDirectory(QString::fromStdString((root / "STORAGE").string()));
        second.start(WPE_EDITOR_PROGRAM, {"a.xml", "-platform", "offscreen", "../notes.txt"});
        QElapsedTimer waited;
        waited.start();
        while (second.state() != QProcess::NotRunning && waited.elapsed() < 60000)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        while (received.empty() && waited.elapsed() < 60000)
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        EXPECT_EQ(second.exitCode(), 0);
        EXPECT_EQ(received, (std::vector<std::string>{part, (root / "notes.txt").string()}))
            << "relative paths are made absolute in the second copy's folder";
    }
    qputenv("XDG_RUNTIME_DIR", oldRuntime);
}

} // namespace
} // namespace wpe::test
