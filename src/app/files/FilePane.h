#pragma once
// The "Files" tab of the left pane: the favourites button, the folder tree,
// and "FileList" with the files of the current folder that the filter lets
// through. Rows open through the main window's dispatch (openRequested) and
// can be dragged onto the zone lists.

#include "shell/FavouriteFolders.h"
#include "shell/FileList.h"

#include <QWidget>

#include <array>
#include <functional>
#include <string>

class QAction;
class QActionGroup;
class QFileSystemModel;
class QMenu;
class QSplitter;
class QToolButton;
class QTreeView;

namespace wpe {

class TBMForm;
class TFileListModel;

class TFilePane : public QWidget {
    Q_OBJECT
public:
    explicit TFilePane(QWidget* parent = nullptr);
    ~TFilePane() override;

    // The portal folders the favourites button offers (SKINS, PORTAL, STORAGE).
    void SetPortalFolders(const std::string& skins, const std::string& portal, const std::string& storage);
    // Called with each listed file's path while the list fills.
    void SetProgress(std::function<void(const std::string&)> progress) { progress_ = std::move(progress); }

    // The folder tree's current folder; empty before one was shown.
    std::string CurrentFolder() const { return currentFolder_; }
    // Makes folder current and fills the list. A path that is not an existing
    // folder is ignored (false).
    bool ShowFolder(const std::string& folder);
    // Fills the list again ("&Refresh", F5).
    void Refresh();

    // The four filter entries' checks, in menu order; setting them does not
    // fill the list (ApplyFilter does).
    std::array<bool, kFileFilterCount> FilterChecks() const;
    void SetFilterChecks(const std::array<bool, kFileFilterCount>& checks);
    // Takes the masks of the first checked filter entry.
    void ApplyFilter();
    // Chooses a filter entry and fills the list, as the menu does.
    void ChooseFilter(TFileFilter filter);
    const std::vector<std::string>& Masks() const { return masks_; }

    // "Document &Title" and "Document &Size"; the columns follow the checks.
    bool TitleColumnChecked() const;
    bool SizeColumnChecked() const;
    void SetColumnChecks(bool title, bool size);

    // The favourite folders and the dialog that edits them (made on first use).
    TFavouriteFolders& Favourites() { return favourites_; }
    void SetFavourites(const std::vector<std::string>& folders);
    // Rebuilds the dialog's rows and both favourites menus from the list.
    void FavouritesChanged();
    TBMForm& FavouritesDialog();
    void AddCurrentFolderToFavourites();
    void OrganizeFavourites();

    // "&Edit": asks the main window to open the selected file.
    void EditSelected();
    std::string SelectedPath() const;
    const TFileSort& SortState() const { return sort_; }
    // A click on a column's header.
    void SortByColumn(int column);

    QTreeView* FolderTree() const { return tree_; }
    QTreeView* FileList() const { return list_; }
    TFileListModel* ListModel() const { return model_; }
    QMenu* ListMenu() const { return listMenu_; }
    QMenu* ButtonMenu() const { return buttonMenu_; }

signals:
    // A file to open through the dispatch of the main window.
    void openRequested(const QString& path);

private:
    void BuildMenus();
    void FillFileList();
    void ApplySort();
    void ApplyColumnWidths();
    void TreeFolderChanged();
    void RevealCurrentFolder();
    void ChooseFavourite(const std::string& folder);
    void FillFavouritesMenu(QMenu* menu);

    QToolButton* favouritesButton_;
    QTreeView* tree_;
    QFileSystemModel* treeModel_;
    QSplitter* splitter_;
    QTreeView* list_;
    TFileListModel* model_;
    QMenu* listMenu_ = nullptr;
    QMenu* buttonMenu_ = nullptr;
    QMenu* listFavourites_ = nullptr;
    QMenu* buttonFavourites_ = nullptr;
    QActionGroup* filterGroup_ = nullptr;
    std::array<QAction*, kFileFilterCount> filterActions_{};
    QAction* miDocumentTitle_ = nullptr;
    QAction* miDocumentSize_ = nullptr;
    QAction* miSkinsDir_ = nullptr;
    QAction* miPortalDir_ = nullptr;
    QAction* miStorageDir_ = nullptr;
    TBMForm* dialog_ = nullptr;

    std::string skinsDir_, portalDir_, storageDir_;
    std::string currentFolder_;
    std::vector<std::string> masks_;
    TFileSort sort_;
    TFavouriteFolders favourites_;
    std::function<void(const std::string&)> progress_;
    bool filling_ = false;
    bool refillPending_ = false;
};

} // namespace wpe
