// The program entry: one copy per user, the splash while the settings and
// the main window are created, then the message loop.

#include "portal/BaseITF.h"
#include "shell/AboutBox.h"
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
#include <QIcon>

#include <cstdio>
#include <memory>

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

} // namespace

int main(int argc, char** argv)
{
    InstallFatalErrorHandler();
    TSingleInstance instance;
    if (!instance.Acquire())
        return 0;

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

    std::unique_ptr<TOptionsForm> options;
    std::unique_ptr<TMainForm> mainForm;
    {
        SplashGuard guard;
        guard.splash = std::make_unique<TAboutBox>(TAboutBox::Mode::Splash, ProgramVersionInfo());
        SetProgressTarget(guard.splash.get());
        guard.splash->ShowSplash();
        try {
            ShowStartupStep("Reading options...");
            QApplication::processEvents();
            options = std::make_unique<TOptionsForm>(SettingsStore());

            ShowStartupStep("Creating main form...");
            QApplication::processEvents();

            TMainFormSetup setup;
            setup.programDir = ResolveProgramDir();
            setup.initBase = [argc, argv] { InitBase(ResolvePortalRootFromArgs(argc, argv)); };
            setup.absolutePath = [](const std::string& rel) { return GetAbsolutePath(rel); };
            setup.portalSetting = [](const std::string& path) { return GetElementEx(path); };
            setup.fileHasElement = [](const std::string& file, const std::string& element) {
                return HasElementInFile(file, element);
            };
            setup.editors = BuiltInEditorFactories();
            setup.settings = &SettingsStore();
            setup.options = options.get();
            mainForm = std::make_unique<TMainForm>(std::move(setup));
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
        code = app.exec();
    }
    mainForm.reset();
    options.reset();
    SetDialogs(nullptr);
    return code;
}
