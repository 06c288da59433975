#pragma once
// What an editor may ask of the main window. The main window implements it;
// tests implement it over plain members.

#include <optional>
#include <string>

class QWidget;

namespace wpe {

class IDocumentEditor;
class ICatalogueHook;
class TMainStatusBar;
class TWPCommentFile;
struct TAppFolders;
struct TOptions;

class IMainServices {
public:
    virtual ~IMainServices() = default;

    // The editor of the active tab; nullptr on the Portal tab.
    virtual IDocumentEditor* ActiveEditor() = 0;
    // The position of the editor's tab in the document page control (the
    // Portal tab is 0); -1 when it has none.
    virtual int TabIndexOf(const IDocumentEditor* editor) const = 0;
    // Makes the editor's tab the active one.
    virtual void ActivateTab(IDocumentEditor* editor) = 0;
    // Sets the caption of the editor's tab.
    virtual void SetTabCaption(IDocumentEditor* editor, const std::string& caption) = 0;
    // Lets the active tab fill the status bar.
    virtual void RefreshStatus() = 0;
    // Puts path first in the File menu's reopen list.
    virtual void AddToReopenList(const std::string& path) = 0;
    // The shared save dialog ("XML Documents" filter, default extension
    // "xml", asks before overwriting); nothing when cancelled.
    virtual std::optional<std::string> ChooseSaveFile(const std::string& proposedName,
                                                      const std::string& initialDir) = 0;

    // The position of the open skin tab of that name (letter case aside),
    // or -1 when none is open.
    virtual int FindSkinTab(const std::string& skinName) const { return -1; }
    // Reloads the Portal tab's list of skins after a skin was saved.
    virtual void RefreshSkins() {}

    virtual TMainStatusBar& StatusBar() = 0;
    virtual TWPCommentFile& Comments() = 0;
    virtual ICatalogueHook& Catalogue() = 0;
    virtual const TAppFolders& Folders() const = 0;
    // The Settings dialog's options as they are now.
    virtual TOptions Options() const = 0;
};

} // namespace wpe
