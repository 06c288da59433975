#pragma once
// TCatFrame: the catalogue panel with its Browse, Search and Categories tabs.
// The main window hosts one in main mode; the category picker hosts one in
// picker mode, which shows only the category tree with OK and Cancel. The
// decisions live in TCatFrameState; the frame shows the trees through models
// and forwards the user's actions.

#include "catalogue/CatFrameState.h"
#include "catalogue/Catalogue.h"
#include "shell/CatalogueHook.h"
#include "shell/CatalogueSelection.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QPushButton;
class QTabWidget;
class QTimer;
class QToolBar;
class QToolButton;
class QAction;

namespace wpe {

class TCatTreeModel;
class TCatTreeView;
class TEntryListModel;

class TCatFrame : public QWidget, public ICatalogueHook, public ICatalogueSelection {
    Q_OBJECT
public:
    enum class Mode { Main, Picker };

    explicit TCatFrame(Mode mode, QWidget* parent = nullptr);
    ~TCatFrame() override;

    Mode FrameMode() const { return mode_; }
    TCatalogue& Catalogue() { return catalogue_; }
    TCatFrameState& State() { return state_; }
    void SetProgramDir(const std::string& dir) { catalogue_.SetProgramDir(dir); }
    void SetOpenParts(IOpenWebParts* openParts) { state_.SetOpenParts(openParts); }
    // Called after category changes were applied in the Categories tab.
    void SetOnCategoriesApplied(std::function<void()> handler) { state_.onCategoriesApplied = std::move(handler); }

    // Reads the storage folder, reporting each web part file read.
    void LoadCatalogue(const std::string& storageDir, const TLoadProgress& progress = {});
    // Writes "category.xml"; raises when it cannot.
    void SaveCategoryTree();
    // Moves the browse tree's selected web part into target and writes it back.
    bool MoveSelectedWebPart(TCatNode* target);
    // Picker mode: shows the categories of the main frame's edit tree.
    void ShowCategoriesOf(const TCatTree& editTree);

    TCatNode* SelectedBrowseNode() const;
    TWPData* SelectedEntry() const;
    TCatTab ActiveTab() const { return state_.ActiveTab(); }
    // Makes a tab active, as a click on it does.
    void ShowTab(TCatTab tab);

    TCatTreeView* BrowseTree() const { return browseTree_; }
    TCatTreeView* EditTree() const { return editTree_; }
    QLabel* Description() const { return uiDescr_; }

    // ICatalogueHook
    TWPData* FindEntry(const std::string& filePath) override;
    void ReloadCatalogue() override;
    bool FindCategoryNode(const std::string& categoryPath) override;
    void ShowEntry(const std::string& filePath) override;

    // ICatalogueSelection
    std::optional<TSelectedPart> SelectedPart() const override;

signals:
    void openRequested(const QString& filePath);
    void selectCategoryRequested();
    // ShowEntry selected a node: the host shows the frame.
    void showRequested();
    // Picker mode: the browse tree's selection changed, or a node was
    // activated (double click, Enter).
    void browseSelectionChanged();
    void browseActivated();
    void okClicked();
    void cancelClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* BuildBrowseTab();
    QWidget* BuildSearchTab();
    QWidget* BuildEditTab();
    QToolBar* EditToolBar(const char* name, QWidget* parent);
    QToolButton* Tool(QToolBar* bar, const char* name, const QString& caption, void (TCatFrame::*slot)());

    void TabChanged(int index);
    void RefreshEdit(const TCatNode* select = nullptr);
    void BrowseSelected();
    void EditSelected();
    void SetExpanded(TCatTreeView* view, const QModelIndex& index, bool expanded);
    void ExpandAll(TCatTreeView* view, bool expand);
    void ChooseFilter(QAction* action);
    void BrowseDrop(TCatNode* dragged, TCatNode* target, bool copy);
    bool BrowseKey(QKeyEvent* key);
    bool EditKey(QKeyEvent* key);
    void OpenSelected();

    void SearchKey();
    void RunSearch();
    void SearchTextChanged(const QString& text);
    void ListSelected();

    void AddCategory();
    void AddChildCategory();
    void DeleteCategory();
    void RenameCategory();
    void MoveLeft();
    void MoveRight();
    void MoveUp();
    void MoveDown();
    void SortSubtree();
    void SortTotal();
    void Apply();
    void EndRename(TCatNode* node, const std::string& name);
    void EditChanged(TCatNode* select, bool beginEdit = false);

    // Runs action; an error is shown in a message box.
    void Guarded(const std::function<void()>& action);

    Mode mode_;
    TCatalogue catalogue_;
    TCatFrameState state_;
    bool renameInProgress_ = false;
    bool changingTab_ = false;
    const TCatNode* lastFound_ = nullptr;
    // Entries handed to editors stay alive even if a reload drops them.
    std::unordered_map<const TWPData*, TWPDataPtr> handedOut_;

    TCatTreeModel* browseModel_ = nullptr;
    TCatTreeModel* editModel_ = nullptr;
    TEntryListModel* listModel_ = nullptr;

    QTabWidget* pages_ = nullptr;
    TCatTreeView* browseTree_ = nullptr;
    TCatTreeView* editTree_ = nullptr;
    QListView* list_ = nullptr;
    QLabel* uiDescr_ = nullptr;
    QLabel* uiDescr2_ = nullptr;
    QLabel* descrEdit_ = nullptr;
    QLabel* lblNoItems_ = nullptr;
    QLineEdit* edtSearch_ = nullptr;
    QTimer* searchTimer_ = nullptr;
    QPushButton* addBtn_ = nullptr;
    QPushButton* addBtn2_ = nullptr;
    QPushButton* btnOKEdit_ = nullptr;
    QToolButton* btnSelectCategory_ = nullptr;
    QAction* sortAutomatically_ = nullptr;
    const std::vector<TWPDataPtr> noResults_;
};

} // namespace wpe
