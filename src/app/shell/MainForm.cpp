#include "shell/MainForm.h"
#include "dialogs/NewItemsForm.h"
#include "portal/PortalCommands.h"
#include "files/FilePane.h"

#include "catalogue/CategoryChanges.h"
#include "shell/AboutBox.h"
#include "shell/AppEventHooks.h"
#include "shell/CatalogueHook.h"
#include "shell/CommandTable.h"
#include "shell/DialogFilter.h"
#include "shell/DocumentEditor.h"
#include "shell/DocumentTabs.h"
#include "shell/LastOpenedFiles.h"
#include "shell/MainStatusBar.h"
#include "shell/OptionsForm.h"
#include "shell/PortalStatus.h"
#include "shell/PortalTab.h"
#include "shell/Resources.h"
#include "skin/SkinFolder.h"
#include "shell/VersionInfo.h"
#include "skin/TemplateStyleSheet.h"
#include "util/Dialogs.h"
#include "util/Files.h"
#include "util/Paths.h"
#include "webpart/WPComment.h"

#include <QAbstractItemView>
#include <stdexcept>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>

namespace wpe {

TMainForm::TMainForm(TMainFormSetup setup, QWidget* parent)
    : QMainWindow(parent), setup_(std::move(setup)), noCatalogue_(std::make_unique<NoCatalogueYet>())
{
    InitAppResources();
    setObjectName("MainForm");
    setWindowIcon(QIcon(":/icons/wpeditor.svg"));
    catalogue_ = noCatalogue_.get();
    openFilter_ = kOpenDocumentFilter;
    BuildLayout();
    ConnectCommands();
    LoadWindowState();
    StartUp();
}

TMainForm::~TMainForm()
{
    // The widgets below go away after this destructor; their last signals
    // (focus moving, pages removed) must not reach a half-destroyed window.
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
    portalTab_->disconnect(this);
    mainPageControl_->disconnect(tabs_);
    mainPageControl_->tabBar()->disconnect(tabs_);
    if (!stateSaved_)
        SaveWindowState();
    if (messageHook_)
        qApp->removeEventFilter(messageHook_);
    if (dropTarget_)
        qApp->removeEventFilter(dropTarget_);
    SetProgressTarget(nullptr);
}

void TMainForm::BuildLayout()
{
    commands_ = new TCommandTable(this);

    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setObjectName("Splitter");
    splitter_->setChildrenCollapsible(false);

    leftPane_ = new QTabWidget(splitter_);
    leftPane_->setObjectName("LeftPageControl");
    leftPane_->setTabPosition(QTabWidget::South);
    filePane_ = new TFilePane(leftPane_);
    leftPane_->addTab(filePane_, "Files");
    auto* categories = new QWidget(leftPane_);
    categories->setObjectName("tabCategories");
    (new QVBoxLayout(categories))->setContentsMargins(0, 0, 0, 0);
    leftPane_->addTab(categories, "Categories");

    auto* right = new QWidget(splitter_);
    right->setObjectName("RightPane");
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    mainPageControl_ = new QTabWidget(right);
    mainPageControl_->setObjectName("MainPageControl");
    mainPageControl_->setTabPosition(QTabWidget::South);
    mainPageControl_->setDocumentMode(true);
    portalTab_ = new TPortalTab(mainPageControl_);
    mainPageControl_->addTab(portalTab_, QIcon(":/icons/portal.svg"), "Portal");
    rightLayout->addWidget(mainPageControl_);

    splitter_->addWidget(leftPane_);
    splitter_->addWidget(right);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({230, 770});
    setCentralWidget(splitter_);

    statusBar_ = new TMainStatusBar(this, commands_->tbSave, this);
    setStatusBar(statusBar_);

    TDocumentTabs::Hooks hooks;
    hooks.fileHasElement = [this](const std::string& path, const std::string& element) {
        return setup_.fileHasElement ? setup_.fileHasElement(path, element) : false;
    };
    hooks.addToReopenList = [this](const std::string& path) { AddToReopenList(path); };
    hooks.showPortalStatus = [this] { ShowPortalStatus(); };
    hooks.cyclePortalPage = [this](bool forward) { portalTab_->CyclePage(forward); };
    hooks.tabsChanged = [this] { UpdateCommandStates(); };
    tabs_ = new TDocumentTabs(mainPageControl_, *this, setup_.editors, std::move(hooks), this);
    connect(filePane_, &TFilePane::openRequested, this,
            [this](const QString& path) { tabs_->OpenDocument(OpenSource::FilePane, path.toStdString()); });
    connect(portalTab_, &TPortalTab::pageChanged, this, [this] { ShowPortalStatus(); });
    connect(portalTab_, &TPortalTab::statusChanged, this, [this] {
        if (mainPageControl_->currentIndex() == 0)
            ShowPortalStatus();
    });
    portalTab_->SetHost({[this] { return folders_; }, [this](const std::string& path) { OpenWebPartDocument(path); },
                         [this](const std::string& path) { OpenSkinDocument(path); },
                         [this] { mainPageControl_->setCurrentIndex(0); }});
    UpdateCommandStates();
    connect(qApp, &QApplication::focusChanged, this, &TMainForm::FocusChanged);
    resize(1000, 700);
}

void TMainForm::ConnectCommands()
{
    TCommandTable& c = *commands_;
    connect(c.miNew, &QAction::triggered, this, [this] {
        TNewItemsForm::Of(this, {[this] { tabs_->NewWebPart(); }, [this] { return tabs_->NewWebPartTab(); },
                                 [this] { tabs_->NewSkin(); }}).Execute();
    });
    connect(c.miNewWebPart, &QAction::triggered, this, [this] { tabs_->NewWebPart(); });
    connect(c.miNewSkin, &QAction::triggered, this, [this] { tabs_->NewSkin(); });
    connect(c.miOpen, &QAction::triggered, this, &TMainForm::OpenFromDialog);
    // "&Save" on the Portal tab saves the desk source when it is shown.
    auto save = [this] {
        if (mainPageControl_->currentIndex() == 0)
            portalTab_->SaveDeskSource();
        else
            tabs_->SaveActive(false);
    };
    connect(c.miSave, &QAction::triggered, this, save);
    connect(c.tbSave, &QAction::triggered, this, save);
    connect(c.miSaveAs, &QAction::triggered, this, [this] { tabs_->SaveActive(true); });
    connect(c.miSaveAll, &QAction::triggered, this, [this] { tabs_->SaveAll(); });
    connect(c.miClose, &QAction::triggered, this, [this] { CloseActiveTab(false); });
    connect(c.miCloseAll, &QAction::triggered, this, [this] { CloseAllTabs(false); });
    connect(c.miImportSkin, &QAction::triggered, this, &TMainForm::ImportSkinFromTemplate);
    connect(c.miExit, &QAction::triggered, this, &QWidget::close);

    connect(c.miUndo, &QAction::triggered, this, [] { RunEditCommand(EditCommand::Undo); });
    connect(c.miRedo, &QAction::triggered, this, [] { RunEditCommand(EditCommand::Redo); });
    connect(c.miCut, &QAction::triggered, this, [] { RunEditCommand(EditCommand::Cut); });
    connect(c.miCopy, &QAction::triggered, this, [] { RunEditCommand(EditCommand::Copy); });
    connect(c.miPaste, &QAction::triggered, this, [] { RunEditCommand(EditCommand::Paste); });
    connect(c.miDelete, &QAction::triggered, this, [] { RunEditCommand(EditCommand::Delete); });
    connect(c.miSelectAll, &QAction::triggered, this, [] { RunEditCommand(EditCommand::SelectAll); });
    connect(c.tbDelete, &QAction::triggered, this, &TMainForm::DeleteCommand);

    connect(c.miOptions, &QAction::triggered, this, &TMainForm::ShowOptions);
    connect(c.miBuildSkin, &QAction::triggered, this, &TMainForm::BuildSkin);
    connect(c.miMakeXhtml, &QAction::triggered, this, &TMainForm::MakeXhtmlCompatible);

    connect(c.miToolbar, &QAction::toggled, c.toolBar, &QWidget::setVisible);
    connect(c.miFileManager, &QAction::toggled, leftPane_, &QWidget::setVisible);
    connect(c.miNextTopTab, &QAction::triggered, this, [this] { tabs_->CycleTopTab(true); });
    connect(c.miPrevTopTab, &QAction::triggered, this, [this] { tabs_->CycleTopTab(false); });
    connect(c.miAbout, &QAction::triggered, this, &TMainForm::ShowAbout);
    connect(c.miHistory, &QAction::triggered, portalTab_, &TPortalTab::ShowHistory);

    TPortalCommandHooks portal;
    portal.baseReady = [this] { return baseReady_; };
    portal.currentSkin = [this] {
        if (!setup_.currentSkin)
            throw std::runtime_error("no current skin");
        return setup_.currentSkin();
    };
    portal.serverAddress = [this] { return setup_.portalSetting ? setup_.portalSetting("user/Server") : std::string(); };
    portal.portalRoot = [this] { return ExtractFilePath(WithoutTrailingDelimiter(folders_.PortalDir)); };
    portal.setMessage = [this](const std::string& text) { statusBar_->SetMessage(text); };
    portal.showPortalTab = [this] { mainPageControl_->setCurrentIndex(0); };
    new TPortalCommands(c, *portalTab_, std::move(portal), this);
}

// ---- document operations ----

void TMainForm::OpenWebPartDocument(const std::string& path) { tabs_->OpenWebPartDocument(path); }
void TMainForm::OpenSkinDocument(const std::string& path) { tabs_->OpenSkinDocument(path); }
int TMainForm::FindSkinTab(const std::string& skinName) const { return tabs_->FindSkinTab(skinName); }
void TMainForm::RefreshSkins() { portalTab_->RefreshSkins(); }
IDocumentEditor* TMainForm::NewWebPartTab() { return tabs_->NewWebPartTab(); }
IDocumentEditor* TMainForm::NewSkinTab() { return tabs_->NewSkinTab(); }
bool TMainForm::CloseActiveTab(bool remember) { return tabs_->CloseActiveTab(remember); }
bool TMainForm::CloseAllTabs(bool remember) { return tabs_->CloseAllTabs(remember); }

void TMainForm::OpenFromDialog()
{
    FileDialogOptions o;
    o.title = "Open";
    o.filter = openFilter_;
    o.initialDir = DialogFolder();
    if (auto path = Dialogs().ChooseOpenFile(o)) {
        dialogFolder_ = ExtractFilePath(*path);
        tabs_->OpenDocument(OpenSource::OpenDialog, *path);
    }
}

std::string TMainForm::DialogFolder() const
{
    if (!dialogFolder_.empty())
        return dialogFolder_;
    std::string folder = filePane_->CurrentFolder();
    if (!folder.empty())
        return WithTrailingBackslash(folder);
    return folders_.StorageDir;
}

void TMainForm::OpenFiles(const std::vector<std::string>& paths)
{
    for (const std::string& path : paths) {
        if (!FileExists(path)) {
            Dialogs().Show(MsgKind::Error, "\"" + path + "\" doesn't exists");
            continue;
        }
        switch (KindOfFile(path)) {
        case DocumentKind::Skin: tabs_->OpenSkinDocument(path); break;
        case DocumentKind::WebPart: tabs_->OpenWebPartDocument(path); break;
        case DocumentKind::None:
            Dialogs().Show(MsgKind::Error, path + " is neither a web part nor a skin file.");
            break;
        }
    }
}

void TMainForm::ImportSkinFromTemplate()
{
    if (!tabs_->CanEdit(DocumentKind::Skin)) {
        Dialogs().Show(MsgKind::Information, kSkinEditingUnavailable);
        return;
    }
    // A new skin is made in the "Untitled" folder, which is emptied first:
    // an open Untitled skin must not lose its files under its tab.
    if (int untitled = tabs_->FindSkinTab(kUntitledSkin); untitled > 0) {
        ActivateTab(tabs_->EditorAt(untitled));
        Dialogs().Show(MsgKind::Warning, "The skin \"Untitled\" is open. Save it under a name or close it "
                                         "before importing another template.");
        return;
    }
    FileDialogOptions o;
    o.title = "Import skin from template";
    o.filter = kHtmlTemplateFilter;
    o.initialDir = DialogFolder();
    auto html = Dialogs().ChooseOpenFile(o);
    if (!html)
        return;
    std::string css;
    try {
        css = FindTemplateStyleSheet(*html);
    } catch (const std::exception& e) {
        Dialogs().Show(MsgKind::Error, e.what());
        return;
    }
    if (css.empty()) {
        css = folders_.ProgramDir + "skin.css";
        if (Dialogs().Ask(MsgKind::Confirmation, "This file doesn't contains CSS file. Would you like to specify it?",
                          MsgButtons::YesNo) == MsgResult::Yes) {
            FileDialogOptions s;
            s.title = "Style sheet";
            s.filter = kStyleSheetFilter;
            s.initialDir = ExtractFilePath(*html);
            if (auto chosen = Dialogs().ChooseOpenFile(s))
                css = *chosen;
        }
    } else {
        css.clear();  // the skin editor finds the linked stylesheet itself
    }
    tabs_->NewSkin(*html, css);
}

void TMainForm::RestoreLastOpenedFiles(const std::function<void(const std::string&)>& progress)
{
    if (!Options().restoreFiles)
        return;
    for (const std::string& path : FilesToRestore(*setup_.settings)) {
        tabs_->OpenDocument(OpenSource::Restore, path);
        if (progress)
            progress(path);
    }
}

// ---- status ----

void TMainForm::RefreshStatus() { tabs_->RefreshStatus(); }

void TMainForm::ShowPortalStatus()
{
    statusBar_->Reset();
    std::string focused;
    for (QWidget* w = QApplication::focusWidget(); w && focused.empty(); w = w->parentWidget()) {
        std::string name = w->objectName().toStdString();
        if (PortalStatusFor("Designer", name) != PortalStatusName::Nothing)
            focused = name;
    }
    switch (PortalStatusFor(portalTab_->ActivePageName(), focused)) {
    case PortalStatusName::Nothing: break;
    case PortalStatusName::StorageDir: statusBar_->SetDocumentName(folders_.StorageDir); break;
    case PortalStatusName::SkinsDir: statusBar_->SetDocumentName(folders_.SkinsDir); break;
    case PortalStatusName::PortalDir: statusBar_->SetDocumentName(folders_.PortalDir); break;
    case PortalStatusName::DeskFile: portalTab_->FillDeskStatus(*statusBar_); break;
    case PortalStatusName::ServerUrl:
        if (baseReady_ && setup_.portalSetting) {
            try {
                statusBar_->SetDocumentName(setup_.portalSetting("user/Server"));
            } catch (const std::exception&) {
                // an unreadable setting leaves the name empty
            }
        }
        break;
    }
    UpdateDeleteButton(QApplication::focusWidget());
}

// The toolbar's Delete acts on a zone list that has the focus and holds entries.
void TMainForm::UpdateDeleteButton(QWidget* focus)
{
    bool zoneWithEntries = false;
    for (QWidget* w = focus; w; w = w->parentWidget()) {
        if (!IsZoneListName(w->objectName().toStdString()))
            continue;
        auto* view = qobject_cast<QAbstractItemView*>(w);
        zoneWithEntries = view && view->model() && view->model()->rowCount() > 0;
        break;
    }
    commands_->tbDelete->setEnabled(zoneWithEntries);
}

// The entry handler shared by the zone lists, the Skins and Profiles lists
// and the catalogue frame.
void TMainForm::FocusChanged(QWidget* old, QWidget* now)
{
    for (QWidget* w = now; w; w = w->parentWidget()) {
        if (PortalStatusFor("Designer", w->objectName().toStdString()) != PortalStatusName::Nothing) {
            ShowPortalStatus();
            return;
        }
    }
    if (old)
        UpdateDeleteButton(now);
}

// ---- commands ----

void TMainForm::ShowOptions()
{
    if (setup_.options)
        setup_.options->exec();
}

void TMainForm::ShowAbout()
{
    if (!aboutBox_) {
        aboutBox_ = new TAboutBox(TAboutBox::Mode::Dialog, ProgramVersionInfo(), this);
        SetProgressTarget(aboutBox_);
    }
    aboutBox_->exec();
}

void TMainForm::MakeXhtmlCompatible()
{
    int index = mainPageControl_->currentIndex();
    if (tabs_->KindAt(index) != DocumentKind::Skin) {
        Dialogs().Show(MsgKind::Information, "Use it for skin template!");
        return;
    }
    if (auto* editor = tabs_->EditorAt(index))
        editor->MakeXhtmlCompatible();
}

void TMainForm::BuildSkin()
{
    int index = mainPageControl_->currentIndex();
    if (tabs_->KindAt(index) != DocumentKind::Skin)
        return;
    if (IDocumentEditor* editor = tabs_->EditorAt(index)) {
        try {
            editor->BuildSkin();
        } catch (const std::exception& e) {
            Dialogs().Show(MsgKind::Error, e.what());
        }
    }
}

void TMainForm::DeleteCommand()
{
    portalTab_->DeleteZoneSelection();
    RunEditCommand(EditCommand::Delete);
}

// Commands that would do nothing where the user is stay greyed out.
void TMainForm::UpdateCommandStates()
{
    int index = mainPageControl_->currentIndex();
    bool document = index > 0;
    bool anyDocument = mainPageControl_->count() > 1;
    commands_->miSaveAs->setEnabled(document);
    commands_->miClose->setEnabled(document);
    commands_->miCloseAll->setEnabled(anyDocument);
    commands_->miSaveAll->setEnabled(anyDocument);
    commands_->miBuildSkin->setEnabled(tabs_->KindAt(index) == DocumentKind::Skin);
}

// ---- reopen list ----

void TMainForm::AddToReopenList(const std::string& path)
{
    reopen_.Add(path);
    UpdateReopenMenu();
}

void TMainForm::UpdateReopenMenu()
{
    QMenu* menu = commands_->miReopen;
    menu->clear();
    int n = 0;
    for (const std::string& path : reopen_.Items()) {
        QString caption = QString("&%1 %2").arg(n++ == 9 ? 0 : n).arg(QString::fromStdString(path));
        QAction* entry = menu->addAction(caption);
        entry->setData(QString::fromStdString(path));
        connect(entry, &QAction::triggered, this, [this, path] { tabs_->OpenDocument(OpenSource::ReopenList, path); });
    }
    menu->setEnabled(!reopen_.Empty());
}

// ---- IMainServices ----

IDocumentEditor* TMainForm::ActiveEditor() { return tabs_->ActiveEditor(); }
int TMainForm::TabIndexOf(const IDocumentEditor* editor) const { return tabs_->IndexOf(editor); }

void TMainForm::ActivateTab(IDocumentEditor* editor)
{
    int index = tabs_->IndexOf(editor);
    if (index > 0)
        mainPageControl_->setCurrentIndex(index);
}

void TMainForm::SetTabCaption(IDocumentEditor* editor, const std::string& caption)
{
    int index = tabs_->IndexOf(editor);
    if (index > 0)
        mainPageControl_->setTabText(index, QString::fromStdString(caption).replace('&', "&&"));
}

std::optional<std::string> TMainForm::ChooseSaveFile(const std::string& proposedName, const std::string& initialDir)
{
    FileDialogOptions o;
    o.title = "Save As";
    o.filter = kSaveWebPartFilter;
    o.defaultExt = "xml";
    o.fileName = proposedName;
    o.initialDir = initialDir.empty() ? DialogFolder() : initialDir;
    return Dialogs().ChooseSaveFile(o);
}

TMainStatusBar& TMainForm::StatusBar() { return *statusBar_; }
TWPCommentFile& TMainForm::Comments() { return *comments_; }
ICatalogueHook& TMainForm::Catalogue() { return *catalogue_; }

TOptions TMainForm::Options() const
{
    return setup_.options ? setup_.options->Options() : TOptions{};
}

void TMainForm::SetCatalogue(ICatalogueHook* catalogue)
{
    catalogue_ = catalogue ? catalogue : noCatalogue_.get();
}

} // namespace wpe
