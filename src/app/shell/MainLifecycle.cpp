// The main window's start-up and shut-down sequences and the window state
// it keeps between runs.

#include "shell/AboutBox.h"
#include "files/FilePane.h"
#include "shell/AppEventHooks.h"
#include "shell/CommandTable.h"
#include "shell/DocumentTabs.h"
#include "shell/LastOpenedFiles.h"
#include "shell/MainForm.h"
#include "shell/MainStatusBar.h"
#include "shell/PortalTab.h"
#include "shell/SettingsStore.h"
#include "shell/FileList.h"
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

#include <array>
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

constexpr const char* kPortalWayOut =
    "Start the program with --portal <folder> naming a portal folder (one that holds PORTAL/desk.xml), "
    "or set WPE_PORTAL_DIR to one, or start it without either to work on the sample portal.";

QStringList ToStringList(const std::vector<std::string>& items)
{
    QStringList list;
    for (const auto& item : items)
        list << QString::fromStdString(item);
    return list;
}

std::vector<std::string> FromStringList(const QStringList& list)
{
    std::vector<std::string> items;
    for (const QString& item : list)
        items.push_back(item.toStdString());
    return items;
}

} // namespace

void TMainForm::Step(const char* text)
{
    if (setup_.showStartupStep)
        setup_.showStartupStep(text);
    else
        ShowStartupStep(text);
}

// The start-up runs while the splash is up. Each numbered block is one step;
// frames of their own join through the hooks of TMainFormSetup, so the order
// stays here in one place. A quoted text goes on the splash before its step.
void TMainForm::StartUp()
{
    // 1. Log source.
    SetLogSource("wpeditor");

    // 2. Application-wide hook: a left button release clears the message panel.
    messageHook_ = new TMessageHook(*statusBar_, this);
    qApp->installEventFilter(messageHook_);

    // 3. Text drop target over the right pane.
    Step("Registering drop target...");
    QApplication::processEvents();
    dropTarget_ = new TTextDropTarget(mainPageControl_->parentWidget(), this);
    qApp->installEventFilter(dropTarget_);

    // 4. The portal base library.
    try {
        if (!setup_.initBase)
            throw std::runtime_error("no portal base library");
        setup_.initBase();
        baseReady_ = true;
    } catch (const std::exception& e) {
        ReportPortalFailure(e.what());
        terminate_ = true;
    }

    // 5. Application folders and the shared objects.
    auto noPortal = [](const std::string&) { return std::string(); };
    folders_ = ComputeAppFolders(setup_.programDir, baseReady_ && setup_.absolutePath
                                                        ? setup_.absolutePath
                                                        : std::function<std::string(const std::string&)>(noPortal));
    comments_ = std::make_unique<TWPCommentFile>();
    filePane_->SetPortalFolders(folders_.SkinsDir, folders_.PortalDir, folders_.StorageDir);
    filePane_->SetProgress(ProgressCallback);

    // 6. The catalogue frame in the Categories tab.
    if (setup_.hooks.createCatalogueFrame)
        setup_.hooks.createCatalogueFrame(leftPane_->widget(1));
    else
        CreateCatalogueFrame();

    // 7. The catalogue's data.
    Step("Reading categories...");
    if (baseReady_)
        setup_.hooks.loadCatalogue ? setup_.hooks.loadCatalogue(ProgressCallback) : LoadCatalogueFrame(ProgressCallback);

    // 8. Status bar service (made with the window) and the comments file. An
    // unreadable comments file leaves the store without a root; it is then
    // not written back at exit, so the file is never replaced by a partial copy.
    comments_->Load(folders_.CommentFilePath);

    // 9. The file pane's stored filter.
    filePane_->ApplyFilter();

    // 10. The documents open at the last exit. The list is walked once: a
    // second walk would only activate the same tabs again and repeat the
    // message for a skin that is gone.
    Step("Restoring files...");
    if (baseReady_)
        RestoreLastOpenedFiles(ProgressCallback);

    // 11. The folder shown at the last exit; without one, the portal's
    // STORAGE folder.
    bool shown = false;
    if (Options().restoreFolder) {
        lastDir_ = setup_.settings->Read(kLastDirValue, "");
        Step("Reading description...");
        shown = !lastDir_.empty() && filePane_->ShowFolder(lastDir_);
    }
    if (!shown && baseReady_)
        filePane_->ShowFolder(folders_.StorageDir);

    // 12. The portal's lists and the status bar.
    Step("Reading portal...");
    if (baseReady_ && setup_.hooks.refreshPortalLists)
        setup_.hooks.refreshPortalLists();
    else if (baseReady_)
        portalTab_->RefreshLists();
    RefreshStatus();
}

// Shows the fixed lines, then the cause and the way out. The splash would
// cover the message box, so it goes first.
void TMainForm::ReportPortalFailure(const std::string& cause)
{
    if (TAboutBox* splash = ProgressTarget(); splash && !splash->isModal())
        splash->hide();
    std::fprintf(stderr, "wpeditor: %s\n", cause.c_str());
    std::string text = std::string(kBaseFailure) + "\r\n\r\nThe portal could not be opened: " + cause +
                       "\r\n\r\n" + kPortalWayOut;
    Dialogs().Show(MsgKind::Error, text);
}

bool TMainForm::ShutDown()
{
    if (!portalTab_->QueryClose())
        return false;
    setup_.settings->DeleteKey(kLastOpenedFilesKey);
    if (!CloseAllTabs(true))
        return false;

    if (Options().restoreFolder) {
        std::string folder = filePane_->CurrentFolder();
        if (folder.empty())
            folder = lastDir_;
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
    reopen_.Assign(FromStringList(s.value("ReopenList").toStringList()));
    UpdateReopenMenu();

    std::array<bool, kFileFilterCount> filter{};
    const char* filterNames[kFileFilterCount] = {"FilterWebParts", "FilterSkins", "FilterAllTolvinex", "FilterAllFiles"};
    for (std::size_t i = 0; i < kFileFilterCount; ++i)
        filter[i] = s.value(filterNames[i], i == static_cast<std::size_t>(TFileFilter::AllTolvinex)).toBool();
    filePane_->SetFilterChecks(filter);
    filePane_->SetColumnChecks(s.value("DocumentTitle", true).toBool(), s.value("DocumentSize", true).toBool());
    filePane_->SetFavourites(FromStringList(s.value("Favorites").toStringList()));
    if (s.contains("FileSplitter"))
        filePane_->findChild<QSplitter*>("FileSplitter")->restoreState(s.value("FileSplitter").toByteArray());
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
    s.setValue("ReopenList", ToStringList(reopen_.Items()));

    std::array<bool, kFileFilterCount> filter = filePane_->FilterChecks();
    const char* filterNames[kFileFilterCount] = {"FilterWebParts", "FilterSkins", "FilterAllTolvinex", "FilterAllFiles"};
    for (std::size_t i = 0; i < kFileFilterCount; ++i)
        s.setValue(filterNames[i], filter[i]);
    s.setValue("DocumentTitle", filePane_->TitleColumnChecked());
    s.setValue("DocumentSize", filePane_->SizeColumnChecked());
    s.setValue("Favorites", ToStringList(filePane_->Favourites().Items()));
    s.setValue("FileSplitter", filePane_->findChild<QSplitter*>("FileSplitter")->saveState());
    s.sync();
}

} // namespace wpe
