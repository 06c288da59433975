#include "shell/DocumentTabs.h"

#include "shell/DocumentEditor.h"
#include "shell/MainServices.h"
#include "util/Dialogs.h"
#include "util/Exception.h"
#include "util/Files.h"
#include "util/Paths.h"

#include <QIcon>
#include <QMenu>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace wpe {
namespace {

constexpr const char* kKindProperty = "tabKind";

QIcon TabImage(DocumentKind kind)
{
    return QIcon(kind == DocumentKind::Skin ? ":/icons/skin.svg" : ":/icons/webpart.svg");
}

void ShowError(const std::exception& e)
{
    Dialogs().Show(MsgKind::Error, e.what());
}

} // namespace

TDocumentTabs::TDocumentTabs(QTabWidget* pages, IMainServices& services, EditorFactories factories, Hooks hooks,
                             QObject* parent)
    : QObject(parent), pages_(pages), services_(services), factories_(std::move(factories)), hooks_(std::move(hooks))
{
    // Closing a tab activates the one that followed it, or the one before
    // when it was the last.
    pages_->tabBar()->setSelectionBehaviorOnRemove(QTabBar::SelectRightTab);
    pages_->tabBar()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(pages_->tabBar(), &QWidget::customContextMenuRequested, this, &TDocumentTabs::ShowTabMenu);
    connect(pages_, &QTabWidget::currentChanged, this, [this] {
        NotifyChanged();
        RefreshStatus();
    });
}

void TDocumentTabs::NotifyChanged()
{
    if (hooks_.tabsChanged)
        hooks_.tabsChanged();
}

bool TDocumentTabs::CanEdit(DocumentKind kind) const
{
    if (kind == DocumentKind::Skin)
        return static_cast<bool>(factories_.skin);
    if (kind == DocumentKind::WebPart)
        return static_cast<bool>(factories_.webPart);
    return false;
}

int TDocumentTabs::Count() const { return pages_->count(); }

DocumentKind TDocumentTabs::KindAt(int index) const
{
    if (index <= 0 || index >= pages_->count())
        return DocumentKind::None;
    return static_cast<DocumentKind>(pages_->widget(index)->property(kKindProperty).toInt());
}

IDocumentEditor* TDocumentTabs::EditorAt(int index) const
{
    DocumentKind kind = KindAt(index);
    if (kind == DocumentKind::None)
        return nullptr;
    for (QObject* child : pages_->widget(index)->children()) {
        auto* editor = qobject_cast<IDocumentEditor*>(child);
        if (editor && editor->Kind() == kind)
            return editor;
    }
    return nullptr;
}

IDocumentEditor* TDocumentTabs::ActiveEditor() const
{
    return EditorAt(pages_->currentIndex());
}

int TDocumentTabs::IndexOf(const IDocumentEditor* editor) const
{
    for (int i = 1; i < pages_->count(); ++i)
        if (EditorAt(i) == editor)
            return i;
    return -1;
}

void TDocumentTabs::ActivateAndRefresh(int index)
{
    if (pages_->currentIndex() == index)
        RefreshStatus();
    else
        pages_->setCurrentIndex(index);  // currentChanged refreshes
}

void TDocumentTabs::OpenDocument(OpenSource source, const std::string& path)
{
    switch (DispatchKind(source, path)) {
    case DocumentKind::Skin: OpenSkinDocument(path); break;
    case DocumentKind::WebPart: OpenWebPartDocument(path); break;
    case DocumentKind::None: break;
    }
}

void TDocumentTabs::OpenWebPartDocument(std::string path)
{
    path = NativePath(path);
    if (!FileExists(path))
        return;
    try {
        if (!hooks_.fileHasElement(path, "WebPart")) {
            Dialogs().Show(MsgKind::Error, path + " is not a WebPart!");
            return;
        }
    } catch (const std::exception& e) {
        ShowError(e);
        return;
    }
    for (int i = 1; i < pages_->count(); ++i) {
        IDocumentEditor* editor = EditorAt(i);
        if (KindAt(i) == DocumentKind::WebPart && editor && SameDocumentPath(editor->FileName(), path)) {
            ActivateAndRefresh(i);
            return;
        }
    }
    IDocumentEditor* editor = NewWebPartTab();
    if (!editor)
        return;
    try {
        editor->LoadFromFile(path);
    } catch (const std::exception& e) {
        // A file the editor cannot take leaves no half-open tab behind.
        RemoveTab(IndexOf(editor));
        ShowError(e);
        return;
    }
    hooks_.addToReopenList(path);
    RefreshStatus();
}

void TDocumentTabs::OpenSkinDocument(const std::string& path)
{
    std::string file = NativePath(path);
    if (!FileExists(file)) {
        Dialogs().Show(MsgKind::Error, "\"" + file + "\" doesn't exists");
        return;
    }
    try {
        if (!hooks_.fileHasElement(file, "skin") && !hooks_.fileHasElement(file, "Skin")) {
            Dialogs().Show(MsgKind::Error, file + " is not a skin!");
            return;
        }
    } catch (const std::exception& e) {
        ShowError(e);
        return;
    }
    int found = FindSkinTab(ParentFolderName(file));
    if (found > 0) {
        ActivateAndRefresh(found);
        return;
    }
    IDocumentEditor* editor = NewSkinTab();
    if (!editor)
        return;
    try {
        editor->LoadFromFile(file);
    } catch (const std::exception& e) {
        RemoveTab(IndexOf(editor));
        ShowError(e);
        return;
    }
    hooks_.addToReopenList(file);
    RefreshStatus();
}

int TDocumentTabs::FindSkinTab(const std::string& name) const
{
    for (int i = 1; i < pages_->count(); ++i) {
        if (KindAt(i) != DocumentKind::Skin)
            continue;
        IDocumentEditor* editor = EditorAt(i);
        if (editor && SameSkinName(editor->SkinName(), name))
            return i;
    }
    return -1;
}

IDocumentEditor* TDocumentTabs::AddTab(DocumentKind kind, const EditorFactory& factory, const char* unavailable)
{
    if (!factory) {
        Dialogs().Show(MsgKind::Information, unavailable);
        return nullptr;
    }
    auto* page = new QWidget;
    page->setProperty(kKindProperty, static_cast<int>(kind));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    std::unique_ptr<IDocumentEditor> made;
    try {
        made = factory(services_, page);
    } catch (const std::exception& e) {
        delete page;
        ShowError(e);
        return nullptr;
    }
    if (!made) {
        delete page;
        Dialogs().Show(MsgKind::Information, unavailable);
        return nullptr;
    }
    IDocumentEditor* editor = made.release();
    editor->setParent(page);
    layout->addWidget(editor);
    connect(editor, &IDocumentEditor::closeTabRequested, this, [this] { CloseActiveTab(false); },
            Qt::QueuedConnection);
    pages_->addTab(page, TabImage(kind), "Untitled");
    NotifyChanged();
    return editor;
}

IDocumentEditor* TDocumentTabs::NewWebPartTab()
{
    IDocumentEditor* editor =
        AddTab(DocumentKind::WebPart, factories_.webPart, kWebPartEditingUnavailable);
    if (editor)
        pages_->setCurrentIndex(IndexOf(editor));
    return editor;
}

IDocumentEditor* TDocumentTabs::NewSkinTab()
{
    return AddTab(DocumentKind::Skin, factories_.skin, kSkinEditingUnavailable);
}

void TDocumentTabs::NewWebPart()
{
    IDocumentEditor* editor = NewWebPartTab();
    if (!editor)
        return;
    try {
        editor->NewPart();
    } catch (const std::exception& e) {
        RemoveTab(IndexOf(editor));
        ShowError(e);
        return;
    }
    RefreshStatus();
}

void TDocumentTabs::NewSkin(const std::string& htmlTemplatePath, const std::string& styleSheetPath)
{
    int found = FindSkinTab("Untitled");
    if (found > 0) {
        ActivateAndRefresh(found);
        return;
    }
    IDocumentEditor* editor = NewSkinTab();
    if (!editor)
        return;
    try {
        editor->NewSkin(htmlTemplatePath, styleSheetPath);
    } catch (const std::exception& e) {
        RemoveTab(IndexOf(editor));
        ShowError(e);
    }
}

void TDocumentTabs::RemoveTab(int index)
{
    if (index <= 0 || index >= pages_->count())
        return;
    QWidget* page = pages_->widget(index);
    pages_->removeTab(index);
    page->deleteLater();
    NotifyChanged();
}

bool TDocumentTabs::CloseActiveTab(bool remember)
{
    int index = pages_->currentIndex();
    if (index <= 0)
        return true;
    if (IDocumentEditor* editor = EditorAt(index); editor && !editor->CloseQuery(remember))
        return false;
    RemoveTab(index);
    return true;
}

bool TDocumentTabs::CloseAllTabs(bool remember)
{
    for (int i = pages_->count() - 1; i >= 1; --i)
        if (IDocumentEditor* editor = EditorAt(i); editor && !editor->CloseQuery(remember))
            return false;
    for (int i = pages_->count() - 1; i >= 1; --i)
        RemoveTab(i);
    return true;
}

void TDocumentTabs::SaveActive(bool saveAs)
{
    IDocumentEditor* editor = ActiveEditor();
    if (!editor)
        return;
    try {
        editor->Save(saveAs, false);
    } catch (const std::exception& e) {
        ShowError(e);
    }
}

bool TDocumentTabs::SaveAll()
{
    int last = pages_->count() - 1;
    for (int i = 1; i <= last; ++i) {
        IDocumentEditor* editor = EditorAt(i);
        if (!editor)
            continue;
        bool deferRefresh = KindAt(i) == DocumentKind::WebPart && i != last;
        try {
            if (!editor->Save(false, deferRefresh))
                return false;
        } catch (const std::exception& e) {
            ShowError(e);
            return false;
        }
    }
    return true;
}

void TDocumentTabs::CycleTopTab(bool forward)
{
    int index = pages_->currentIndex();
    if (index == 0) {
        if (hooks_.cyclePortalPage)
            hooks_.cyclePortalPage(forward);
        return;
    }
    if (IDocumentEditor* editor = EditorAt(index))
        editor->CycleInnerPage(forward);
}

void TDocumentTabs::RefreshStatus()
{
    int index = pages_->currentIndex();
    if (index <= 0) {
        if (hooks_.showPortalStatus)
            hooks_.showPortalStatus();
        return;
    }
    if (IDocumentEditor* editor = EditorAt(index)) {
        // A failing status refresh must not stop the tab switch.
        try {
            editor->UpdateStatus();
        } catch (...) {
        }
    }
}

void TDocumentTabs::ShowTabMenu(const QPoint& pos)
{
    int index = pages_->tabBar()->tabAt(pos);
    if (index <= 0)
        return;
    QMenu menu;
    menu.setObjectName("TabPopup");
    QAction* close = menu.addAction("&Close");
    close->setObjectName("miTabClose");
    // The entry closes the active tab, whichever tab was clicked.
    connect(close, &QAction::triggered, this, [this] { CloseActiveTab(false); });
    menu.exec(pages_->tabBar()->mapToGlobal(pos));
}

} // namespace wpe
