#pragma once
// The part storage editor: a three-column tree ("Parameter", "Value",
// "Attribute") over the core part storage tree, with the value editor and the
// attribute check list, edit and sort toolbars, a context menu and keys.

#include "webpart/Fields.h"
#include "webpart/PartStorageOps.h"

#include <QWidget>

#include <functional>

class QAction;
class QMenu;
class QToolBar;
class QTreeWidget;
class QTreeWidgetItem;
class QsciScintilla;

namespace wpe {

class TCheckListEdit;
class TextCodec;

class TPartStorageEditor : public QWidget, public IPartStorageField {
    Q_OBJECT
public:
    // valueEditor is PSValue, owned elsewhere; codec converts node texts.
    TPartStorageEditor(QsciScintilla* valueEditor, const TextCodec* codec, QWidget* parent = nullptr);

    // The part storage field.
    const PartStorageTree& GetTree() const override;
    void SetTree(PartStorageTree tree) override;

    // Called whenever the selected node changes (the editor's ControlChange).
    void setSelectionChanged(std::function<void()> callback) { selectionChanged_ = std::move(callback); }

    QTreeWidget* treeView() const { return tree_; }
    TCheckListEdit* attributeList() const { return attrs_; }
    PartStorageNode* selectedNode() const { return current_; }
    PartStorageSortMode sortMode() const { return sortMode_; }

    // The commands, also reachable by buttons, menu entries and keys.
    void addNode();
    void addChildNode();
    void deleteNode();
    void renameNode();
    void moveLeft();
    void moveRight();
    void moveUp();
    void moveDown();
    void sortSubtree();
    void sortTotalTree();
    void setSortMode(PartStorageSortMode mode);
    void expandAll();
    void collapseAll();
    // Selects node (nullptr clears the selection) as a user click would.
    void selectNode(PartStorageNode* node);
    // Ends a caption edit with the typed text, as the in-place editor does.
    void finishCaptionEdit(PartStorageNode* node, const QString& typed);

    // Toolbar visibility, as the menu entries set it.
    void setEditToolbarVisible(bool on);
    void setSortToolbarVisible(bool on);
    void setToolbarBandVisible(bool on);
    bool editToolbarVisible() const;
    bool sortToolbarVisible() const;
    bool toolbarBandVisible() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildActions();
    void rebuild();
    void fillItem(QTreeWidgetItem* item, PartStorageNode* node);
    QTreeWidgetItem* itemOf(PartStorageNode* node) const;
    PartStorageNode* nodeOf(QTreeWidgetItem* item) const;
    void onCurrentItemChanged(QTreeWidgetItem* current);
    void storeEditorValue(PartStorageNode* node);
    void showNode(PartStorageNode* node);
    void onValueEdited();
    void onChecksChanged();
    void onItemChanged(QTreeWidgetItem* item, int column);
    void keepSorted(PartStorageNode* parent);
    void startEdit(PartStorageNode* node);
    void syncToolbarActions();
    std::string bytes(const QString& text) const;
    QString shown(const std::string& text) const;

    PartStorageTree model_;
    PartStorageNode* current_ = nullptr;
    PartStorageSortMode sortMode_ = PartStorageSortMode::Off;
    bool syncing_ = false;       // the attribute-sync flag and tree rebuilds
    bool fillingValue_ = false;  // PSValue is being filled from a node
    std::function<void()> selectionChanged_;

    const TextCodec* codec_;
    QsciScintilla* value_;
    QTreeWidget* tree_;
    TCheckListEdit* attrs_;
    QWidget* band_;
    QToolBar* editBar_;
    QToolBar* sortBar_;
    QMenu* menu_;
    QAction* actViewToolbar_ = nullptr;
    QAction* actEditBar_ = nullptr;
    QAction* actSortBar_ = nullptr;
    QAction* actSortAuto_ = nullptr;
};

} // namespace wpe
