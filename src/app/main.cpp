// The program entry: one copy per user, the splash while the settings and
// the main window are created, then the message loop.

#include "portal/BaseITF.h"
#include "files/FilePane.h"
#include "shell/AboutBox.h"
#include "shell/CommandLine.h"
#include "shell/EditorFactory.h"
#include "shell/FatalErrors.h"
#include "shell/MainForm.h"
#include "shell/OptionsForm.h"
#include "shell/ProgramSetup.h"
#include "shell/QtDialogs.h"
#include "shell/Resources.h"
#include "shell/Settings.h"
#include "shell/SingleInstance.h"
#include "shell/VersionInfo.h"
#include "util/Dialogs.h"

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QIcon>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <vector>

using namespace wpe;

namespace {

// Keeps the splash's reference cleared on every way out of the start-up.
struct SplashGuard {
    std::unique_ptr<TAboutBox> splash;
    ~SplashGuard()
    {
        if (ProgressTarget() == splash.get())
            SetProgressTarget(nullptr);
    }
};

std::vector<std::string> AbsolutePaths(const std::vector<std::string>& files)
{
    std::vector<std::string> paths;
    for (const std::string& f : files)
        paths.push_back(QFileInfo(QString::fromStdString(f)).absoluteFilePath().toStdString());
    return paths;
}

QElapsedTimer gSinceStart;
bool gTrace = false;

void Trace(const std::string& what)
{
    if (gTrace)
        std::fprintf(stderr, "startup %lld ms: %s\n", static_cast<long long>(gSinceStart.elapsed()), what.c_str());
}

// Splash line and, with --trace-startup, a line on standard error.
void StartupStep(const std::string& text)
{
    Trace(text);
    ShowStartupStep(QString::fromStdString(text));
}

} // namespace

int main(int argc, char** argv)
{
    gSinceStart.start();
    const TCommandLine commandLine = ParseCommandLine(std::vector<std::string>(argv, argv + argc));
    gTrace = commandLine.traceStartup;

    InstallFatalErrorHandler();
    TSingleInstance instance;
    if (!instance.Acquire()) {
        // A copy runs already: it opens our files, we end quietly.
        if (!commandLine.files.empty()) {
            QCoreApplication core(argc, argv);
            TSingleInstance::HandOver(AbsolutePaths(commandLine.files));
        }
        return 0;
    }

    PrepareWebEngineEnvironment();
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Orlendt");
    QApplication::setApplicationName("WebParts Editor");
    QApplication::setApplicationVersion(WPE_VERSION_STRING);
    InitAppResources();
    QApplication::setWindowIcon(QIcon(":/icons/wpeditor.svg"));

    QtDialogs dialogs;
    SetDialogs(&dialogs);

    // Files handed over by a second start wait until the main window is up.
    std::vector<std::string> pending = AbsolutePaths(commandLine.files);
    TMainForm* running = nullptr;
    instance.Listen([&pending, &running](const std::vector<std::string>& paths) {
        if (!running) {
            pending.insert(pending.end(), paths.begin(), paths.end());
            return;
        }
        running->OpenFiles(paths);
        running->raise();
        running->activateWindow();
    });

    std::unique_ptr<TOptionsForm> options;
    std::unique_ptr<TMainForm> mainForm;
    {
        SplashGuard guard;
        guard.splash = std::make_unique<TAboutBox>(TAboutBox::Mode::Splash, ProgramVersionInfo());
        SetProgressTarget(guard.splash.get());
        guard.splash->ShowSplash();
        try {
            StartupStep("Reading options...");
            QApplication::processEvents();
            options = std::make_unique<TOptionsForm>(SettingsStore());

            StartupStep("Creating main form...");
            QApplication::processEvents();

            TMainFormSetup setup;
            setup.programDir = ResolveProgramDir();
            setup.initBase = [argc, argv] { InitBase(ResolvePortalRootFromArgs(argc, argv)); };
            setup.absolutePath = [](const std::string& rel) { return GetAbsolutePath(rel); };
            setup.portalSetting = [](const std::string& path) { return GetElementEx(path); };
            setup.currentSkin = [] { return GetCurrentSkin(); };
            setup.fileHasElement = [](const std::string& file, const std::string& element) {
                return HasElementInFile(file, element);
            };
            setup.editors = BuiltInEditorFactories();
            setup.settings = &SettingsStore();
            setup.options = options.get();
            setup.showStartupStep = StartupStep;
            mainForm = std::make_unique<TMainForm>(std::move(setup));
            mainForm->FilePane().FavouritesDialog();
        } catch (const std::exception& e) {
            guard.splash.reset();
            Dialogs().Show(MsgKind::Error, e.what());
            SetDialogs(nullptr);
            return 1;
        }
    }

    int code = 1;
    if (!mainForm->TerminateRequested()) {
        mainForm->show();
        running = mainForm.get();
        QTimer::singleShot(0, mainForm.get(), [&] {
            Trace("main window shown");
            std::vector<std::string> files;
            files.swap(pending);
            running->OpenFiles(files);
            if (commandLine.exitAfterStart)
                running->close();
        });
        code = app.exec();
    }
    running = nullptr;
    mainForm.reset();
    options.reset();
    SetDialogs(nullptr);
    return code;
}
