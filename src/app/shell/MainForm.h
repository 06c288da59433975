#pragma once
// The main window: toolbar, the left pane ("Files" and "Categories"), the
// document page control MainPageControl with the fixed Portal tab, and the
// status bar. It owns what lives as long as the program and runs the
// start-up and shut-down sequences.

#include "shell/AppFolders.h"
#include "shell/EditorFactory.h"
#include "shell/MainServices.h"
#include "shell/Options.h"
#include "shell/ReopenList.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QSplitter;
class QTabWidget;

namespace wpe {

class ICatalogueHook;
class ICatalogueSelection;
class IOpenWebParts;
class ISettingsStore;
class TCatFrame;
class TCategoryForm;
class TAboutBox;
class TCommandTable;
class TDocumentTabs;
class TFilePane;
class TMainStatusBar;
class TMessageHook;
class TOptionsForm;
class TPortalTab;
class TTextDropTarget;
class TWPCommentFile;

// Steps of the start-up and shut-down that belong to frames of their own
// (catalogue frame, zone designer, skins and profiles lists). An empty hook
// means that frame is not part of this build, and its step is skipped.
struct TMainFormHooks {
    std::function<void(QWidget* categoriesTab)> createCatalogueFrame;
    std::function<void(const std::function<void(const std::string&)>& progress)> loadCatalogue;
    std::function<void()> refreshPortalLists;                   // zones, skins, profiles
    std::function<bool()> saveCatalogueChanges;                 // false: the user cancelled
};

struct TMainFormSetup {
    std::string programDir;                 // ProgramDir (writable, data files seeded)
    std::function<void()> initBase;         // opens the portal; raises when it cannot
    std::function<std::string(const std::string&)> absolutePath;  // GetAbsolutePath
    std::function<std::string(const std::string&)> portalSetting; // GetElementEx
    std::function<std::string()> currentSkin;                     // GetCurrentSkin; raises when none
    std::function<bool(const std::string&, const std::string&)> fileHasElement;
    EditorFactories editors;
    TMainFormHooks hooks;
    // Puts a start-up step's text on the splash; empty: the splash's
    // operation line (ShowStartupStep).
    std::function<void(const std::string&)> showStartupStep;
    ISettingsStore* settings = nullptr;     // not owned
    TOptionsForm* options = nullptr;        // not owned
};

class TMainForm : public QMainWindow, public IMainServices {
    Q_OBJECT
public:
    explicit TMainForm(TMainFormSetup setup, QWidget* parent = nullptr);
    ~TMainForm() override;

    // True when the portal base library could not start: the program ends
    // instead of entering its message loop.
    bool TerminateRequested() const { return terminate_; }

    // Document operations.
    void OpenWebPartDocument(const std::string& path);
    void OpenSkinDocument(const std::string& path);
    // The position of the skin's tab, or -1.
    int FindSkinTab(const std::string& skinName) const override;
    void RefreshSkins() override;
    IDocumentEditor* NewWebPartTab();
    IDocumentEditor* NewSkinTab();
    bool CloseActiveTab(bool remember);
    bool CloseAllTabs(bool remember);
    // Reopens the documents recorded at the last exit, reporting each path.
    void RestoreLastOpenedFiles(const std::function<void(const std::string&)>& progress);
    void ShowPortalStatus();
    const TReopenList& ReopenList() const { return reopen_; }
    TDocumentTabs& Tabs() { return *tabs_; }
    TPortalTab& PortalTab() { return *portalTab_; }
    TCommandTable& Commands() { return *commands_; }
    TFilePane& FilePane() { return *filePane_; }
    // Opens files named when the program was started, or handed over by a
    // second start: skins and web parts by their type; anything else, or a
    // file that does not exist, is reported.
    void OpenFiles(const std::vector<std::string>& paths);
    // Where the file dialogs start: the folder last used in one, else the
    // file pane's folder, else the portal's STORAGE folder.
    std::string DialogFolder() const;

    // IMainServices
    IDocumentEditor* ActiveEditor() override;
    int TabIndexOf(const IDocumentEditor* editor) const override;
    void ActivateTab(IDocumentEditor* editor) override;
    void SetTabCaption(IDocumentEditor* editor, const std::string& caption) override;
    void RefreshStatus() override;
    void AddToReopenList(const std::string& path) override;
    std::optional<std::string> ChooseSaveFile(const std::string& proposedName, const std::string& initialDir) override;
    TMainStatusBar& StatusBar() override;
    TWPCommentFile& Comments() override;
    ICatalogueHook& Catalogue() override;
    const TAppFolders& Folders() const override { return folders_; }
    TOptions Options() const override;

    // Installs the catalogue frame's side of the editors' catalogue calls.
    void SetCatalogue(ICatalogueHook* catalogue);
    // The catalogue frame's selection for "Add to the Start Page"; null
    // until the frame exists.
    ICatalogueSelection* CatalogueSelection();
    TCatFrame* CatalogueFrame() const { return catFrame_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void BuildLayout();
    void ConnectCommands();
    void StartUp();
    bool ShutDown();
    void OpenFromDialog();
    void ImportSkinFromTemplate();
    void ShowOptions();
    void ShowAbout();
    void MakeXhtmlCompatible();
    void BuildSkin();
    void DeleteCommand();
    void UpdateReopenMenu();
    void UpdateCommandStates();
    void UpdateDeleteButton(QWidget* focus);
    void FocusChanged(QWidget* old, QWidget* now);
    void LoadWindowState();
    void SaveWindowState();
    void CreateCatalogueFrame();
    void LoadCatalogueFrame(const std::function<void(const std::string&)>& progress);
    bool SaveCatalogueFrame();
    void Step(const char* text);
    void ReportPortalFailure(const std::string& cause);

    TMainFormSetup setup_;
    TAppFolders folders_;
    TReopenList reopen_;
    std::unique_ptr<TWPCommentFile> comments_;
    std::unique_ptr<ICatalogueHook> noCatalogue_;
    ICatalogueHook* catalogue_ = nullptr;
    TCatFrame* catFrame_ = nullptr;
    TCategoryForm* categoryForm_ = nullptr;
    std::unique_ptr<IOpenWebParts> openParts_;
    TCommandTable* commands_ = nullptr;
    TMainStatusBar* statusBar_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QTabWidget* leftPane_ = nullptr;
    QTabWidget* mainPageControl_ = nullptr;
    TPortalTab* portalTab_ = nullptr;
    TDocumentTabs* tabs_ = nullptr;
    TMessageHook* messageHook_ = nullptr;
    TTextDropTarget* dropTarget_ = nullptr;
    TFilePane* filePane_ = nullptr;
    std::string dialogFolder_;
    TAboutBox* aboutBox_ = nullptr;
    std::string lastDir_;
    std::string openFilter_;
    bool terminate_ = false;
    bool baseReady_ = false;
    bool stateSaved_ = false;
    bool geometryApplied_ = false;
};

} // namespace wpe
