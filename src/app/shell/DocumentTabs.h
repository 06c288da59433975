#pragma once
// The document tabs of MainPageControl: one tab per open web part or skin
// after the fixed Portal tab at position 0. Opens files in the right editor,
// finds open documents, creates, saves, closes and cycles tabs.

#include "shell/DocumentKinds.h"
#include "shell/EditorFactory.h"

#include <QObject>

#include <functional>
#include <string>

class QTabWidget;
class QWidget;

namespace wpe {

inline constexpr const char* kWebPartEditingUnavailable = "Web part editing is not available in this version.";
inline constexpr const char* kSkinEditingUnavailable = "Skin editing is not available in this version.";

class IDocumentEditor;
class IMainServices;

class TDocumentTabs : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        // True when the file holds an element of that name (may raise for a
        // file that cannot be read).
        std::function<bool(const std::string& path, const std::string& element)> fileHasElement;
        // Puts a path first in the reopen list.
        std::function<void(const std::string& path)> addToReopenList;
        // Fills the status bar for the Portal tab.
        std::function<void()> showPortalStatus;
        // Moves through the Portal tab's own pages.
        std::function<void(bool forward)> cyclePortalPage;
        // A tab was added or removed, or another tab became active.
        std::function<void()> tabsChanged;
    };

    // pages must already hold the Portal tab at position 0.
    TDocumentTabs(QTabWidget* pages, IMainServices& services, EditorFactories factories, Hooks hooks,
                  QObject* parent = nullptr);

    // Opens a web part file in a tab, or activates the tab that has it open.
    void OpenWebPartDocument(std::string path);
    // Opens a skin's .cso file in a tab, or activates its skin's tab.
    void OpenSkinDocument(const std::string& path);
    // Opens path in the editor its type calls for, as source dispatches it.
    void OpenDocument(OpenSource source, const std::string& path);
    // The position of the first skin tab whose skin name equals name
    // (without case); -1 when there is none.
    int FindSkinTab(const std::string& name) const;
    // A new web part tab, made active; nullptr when web part editing is not
    // available (the user is told).
    IDocumentEditor* NewWebPartTab();
    // A new skin tab, not activated; nullptr when skin editing is not
    // available (the user is told).
    IDocumentEditor* NewSkinTab();
    // "New WebPart" and "New Skin" of the File menu.
    void NewWebPart();
    // A new skin from an HTML template and a style sheet (either empty for
    // the defaults). An open "Untitled" skin is activated instead.
    void NewSkin(const std::string& htmlTemplatePath = {}, const std::string& styleSheetPath = {});

    // False when the user cancelled.
    bool CloseActiveTab(bool remember);
    // Asks every document from the last to the first; closes none when one
    // cancels. False when the user cancelled.
    bool CloseAllTabs(bool remember);
    // "&Save" / "Save &As..." on the active document tab.
    void SaveActive(bool saveAs);
    // Saves every document tab; the catalogue is refreshed only by the web
    // part tab at the last position. Stops at the first cancelled save.
    bool SaveAll();
    // The active tab's inner pages, one step with wrap-around.
    void CycleTopTab(bool forward);
    // Lets the active tab fill the status bar.
    void RefreshStatus();

    // True when this build has an editor for documents of that kind.
    bool CanEdit(DocumentKind kind) const;
    // The editor of the tab at index, or nullptr (Portal tab, missing editor).
    IDocumentEditor* EditorAt(int index) const;
    IDocumentEditor* ActiveEditor() const;
    DocumentKind KindAt(int index) const;
    int IndexOf(const IDocumentEditor* editor) const;
    int Count() const;
    QTabWidget* Pages() const { return pages_; }

private:
    IDocumentEditor* AddTab(DocumentKind kind, const EditorFactory& factory, const char* unavailable);
    void RemoveTab(int index);
    void ShowTabMenu(const QPoint& pos);
    void ActivateAndRefresh(int index);
    void NotifyChanged();

    QTabWidget* pages_;
    IMainServices& services_;
    EditorFactories factories_;
    Hooks hooks_;
};

} // namespace wpe
