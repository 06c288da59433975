#pragma once
// Shows a catalogue tree (browse or edit) to a Qt tree view. The model holds
// no copy of the tree: every index points at its TCatNode, and the owner
// resets the model after it changed the tree.

#include <QAbstractItemModel>
#include <QIcon>

#include <functional>
#include <string>

namespace wpe {

class TCatNode;
class TCatTree;

class TCatTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    TCatTreeModel(TCatTree& tree, QObject* parent = nullptr);

    // Call around every change of the tree.
    void BeginChange() { beginResetModel(); }
    void EndChange() { endResetModel(); }

    TCatNode* Node(const QModelIndex& index) const;
    QModelIndex IndexOf(const TCatNode* node) const;
    TCatTree& Tree() const { return tree_; }

    // Names can be edited; `rename` gets the node and the new name (bytes)
    // and ends the edit. An empty or unchanged name is its business.
    std::function<void(TCatNode*, const std::string&)> rename;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    TCatTree& tree_;
    QIcon categoryIcon_;
    QIcon webPartIcon_;
};

// Catalogue texts are bytes of the system's single-byte code page.
QString CatalogueText(const std::string& bytes);
// The bytes of a text typed by the user; raises for a character the code
// page cannot hold.
std::string CatalogueBytes(const QString& text);

} // namespace wpe
