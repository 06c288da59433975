// The main window's start-up and shut-down sequences and the window state
// it keeps between runs.

#include "shell/AboutBox.h"
#include "shell/AppEventHooks.h"
#include "shell/CommandTable.h"
#include "shell/DocumentTabs.h"
#include "shell/LastOpenedFiles.h"
#include "shell/MainForm.h"
#include "shell/MainStatusBar.h"
#include "shell/PortalTab.h"
#include "shell/SettingsStore.h"
#include "util/Dialogs.h"
#include "util/Paths.h"
#include "util/SendLog.h"
#include "webpart/WPComment.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QSettings>
#include <QSplitter>
#include <QTabWidget>
#include <QToolBar>

#include <cstdio>

namespace wpe {
namespace {

constexpr const char* kBaseFailure = "Can't load \"base.dll\"\r\nApplication will be terminated";

// The form-state store: one group of the settings key.
class FormState : public QSettings {
public:
    FormState() : QSettings(QSettings::NativeFormat, QSettings::UserScope, "Orlendt", "WebParts Editor")
    {
        beginGroup("MainForm");
    }
};

void Step(const char* text)
{
    ShowStartupStep(text);
}

} // namespace

void TMainForm::StartUp()
{
    SetLogSource("wpeditor");

    messageHook_ = new TMessageHook(*statusBar_, this);
    qApp->installEventFilter(messageHook_);

    Step("Registering drop target...");
    QApplication::processEvents();
    dropTarget_ = new TTextDropTarget(mainPageControl_->parentWidget(), this);
    qApp->installEventFilter(dropTarget_);

    try {
        if (!setup_.initBase)
            throw std::runtime_error("no portal base library");
        setup_.initBase();
        baseReady_ = true;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "wpeditor: %s\n", e.what());
        Dialogs().Show(MsgKind::Error, kBaseFailure);
        terminate_ = true;
    }

    auto noPortal = [](const std::string&) { return std::string(); };
    folders_ = ComputeAppFolders(setup_.programDir, baseReady_ && setup_.absolutePath
                                                        ? setup_.absolutePath
                                                        : std::function<std::string(const std::string&)>(noPortal));
    comments_ = std::make_unique<TWPCommentFile>();

    if (setup_.hooks.createCatalogueFrame)
        setup_.hooks.createCatalogueFrame(leftPane_->widget(1));
    else
        CreateCatalogueFrame();
    Step("Reading categories...");
    if (baseReady_)
        setup_.hooks.loadCatalogue ? setup_.hooks.loadCatalogue(ProgressCallback) : LoadCatalogueFrame(ProgressCallback);

    // An unreadable comments file leaves the store without a root; it is
    // then not written back at exit, so the file is never replaced by a
    // partial copy.
    comments_->Load(folders_.CommentFilePath);

    if (setup_.hooks.applyFileFilter)
        setup_.hooks.applyFileFilter();

    Step("Restoring files...");
    if (baseReady_)
        RestoreLastOpenedFiles(ProgressCallback);

    if (Options().restoreFolder) {
        lastDir_ = setup_.settings->Read(kLastDirValue, "");
        Step("Reading description...");
        if (setup_.hooks.showFolder && !lastDir_.empty())
            setup_.hooks.showFolder(lastDir_);
    }

    Step("Reading portal...");
    if (baseReady_ && setup_.hooks.refreshPortalLists)
        setup_.hooks.refreshPortalLists();
    else if (baseReady_)
        portalTab_->RefreshLists();
    RefreshStatus();
}

bool TMainForm::ShutDown()
{
    if (!portalTab_->QueryClose())
        return false;
    setup_.settings->DeleteKey(kLastOpenedFilesKey);
    if (!CloseAllTabs(true))
        return false;

    if (Options().restoreFolder) {
        std::string folder = setup_.hooks.currentFolder ? setup_.hooks.currentFolder() : lastDir_;
        if (!folder.empty())
            setup_.settings->Write(kLastDirValue, WithTrailingBackslash(folder), "");
    }

    if (!(setup_.hooks.saveCatalogueChanges ? setup_.hooks.saveCatalogueChanges() : SaveCatalogueFrame()))
        return false;

    if (comments_ && comments_->HasRoot()) {
        try {
            comments_->Save(folders_.CommentFilePath);
        } catch (const std::exception& e) {
            std::string question = std::string("The comments could not be saved to ") + folders_.CommentFilePath +
                                   ":\n" + e.what() + "\n\nClose anyway?";
            if (Dialogs().Ask(MsgKind::Warning, question, MsgButtons::YesNo) != MsgResult::Yes)
                return false;
        }
    }
    return true;
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    if (!ShutDown()) {
        event->ignore();
        return;
    }
    SaveWindowState();
    stateSaved_ = true;
    event->accept();
}

void TMainForm::showEvent(QShowEvent* event)
{
    if (!geometryApplied_) {
        geometryApplied_ = true;
        FormState s;
        if (s.contains("Geometry"))
            restoreGeometry(s.value("Geometry").toByteArray());
        if (s.contains("WindowState"))
            restoreState(s.value("WindowState").toByteArray());
        // The toolbar follows its menu entry, not the dock layout.
        commands_->toolBar->setVisible(commands_->miToolbar->isChecked());
    }
    QMainWindow::showEvent(event);
}

void TMainForm::LoadWindowState()
{
    FormState s;
    commands_->miToolbar->setChecked(s.value("ToolbarVisible", true).toBool());
    commands_->toolBar->setVisible(commands_->miToolbar->isChecked());
    bool leftVisible = s.value("LeftPaneVisible", true).toBool();
    commands_->miFileManager->setChecked(leftVisible);
    leftPane_->setVisible(leftVisible);
    int width = s.value("LeftPaneWidth", 230).toInt();
    if (width > 0)
        splitter_->setSizes({width, std::max(200, this->width() - width)});
    int leftTab = s.value("ActiveLeftTab", 0).toInt();
    if (leftTab >= 0 && leftTab < leftPane_->count())
        leftPane_->setCurrentIndex(leftTab);
    std::vector<std::string> paths;
    for (const QString& p : s.value("ReopenList").toStringList())
        paths.push_back(p.toStdString());
    reopen_.Assign(paths);
    UpdateReopenMenu();
}

void TMainForm::SaveWindowState()
{
    FormState s;
    s.setValue("ToolbarVisible", commands_->miToolbar->isChecked());
    s.setValue("LeftPaneVisible", commands_->miFileManager->isChecked());
    if (leftPane_->isVisible() && leftPane_->width() > 0)
        s.setValue("LeftPaneWidth", leftPane_->width());
    s.setValue("ActiveLeftTab", leftPane_->currentIndex());
    s.setValue("Geometry", saveGeometry());
    s.setValue("WindowState", saveState());
    QStringList paths;
    for (const auto& p : reopen_.Items())
        paths << QString::fromStdString(p);
    s.setValue("ReopenList", paths);
    s.sync();
}

} // namespace wpe
