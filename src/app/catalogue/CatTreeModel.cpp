#include "catalogue/CatTreeModel.h"

#include "catalogue/CatalogueTree.h"
#include "webpart/TextCodec.h"

#include <QApplication>
#include <QStyle>

namespace wpe {

QString CatalogueText(const std::string& bytes)
{
    static const TextCodec codec;
    return codec.decode(bytes);
}

std::string CatalogueBytes(const QString& text)
{
    static const TextCodec codec;
    return codec.encode(text);
}

TCatTreeModel::TCatTreeModel(TCatTree& tree, QObject* parent)
    : QAbstractItemModel(parent), tree_(tree),
      categoryIcon_(QApplication::style()->standardIcon(QStyle::SP_DirIcon)), webPartIcon_(":/icons/webpart.svg")
{
}

TCatNode* TCatTreeModel::Node(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<TCatNode*>(index.internalPointer()) : nullptr;
}

QModelIndex TCatTreeModel::IndexOf(const TCatNode* node) const
{
    if (!node)
        return {};
    return createIndex(static_cast<int>(node->Index()), 0, const_cast<TCatNode*>(node));
}

QModelIndex TCatTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    const TCatNode* p = Node(parent);
    if (row < 0 || column != 0 || static_cast<size_t>(row) >= tree_.Count(p))
        return {};
    return createIndex(row, 0, tree_.Child(p, static_cast<size_t>(row)));
}

QModelIndex TCatTreeModel::parent(const QModelIndex& child) const
{
    const TCatNode* node = Node(child);
    return node ? IndexOf(node->Parent()) : QModelIndex();
}

int TCatTreeModel::rowCount(const QModelIndex& parent) const
{
    if (parent.column() > 0)
        return 0;
    return static_cast<int>(tree_.Count(Node(parent)));
}

int TCatTreeModel::columnCount(const QModelIndex&) const { return 1; }

QVariant TCatTreeModel::data(const QModelIndex& index, int role) const
{
    const TCatNode* node = Node(index);
    if (!node)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return CatalogueText(node->Text());
    case Qt::DecorationRole: return node->IsCategory() ? categoryIcon_ : webPartIcon_;
    default: return {};
    }
}

bool TCatTreeModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    TCatNode* node = Node(index);
    if (!node || role != Qt::EditRole || !rename)
        return false;
    rename(node, CatalogueBytes(value.toString()));
    return true;
}

Qt::ItemFlags TCatTreeModel::flags(const QModelIndex& index) const
{
    const TCatNode* node = Node(index);
    if (!node)
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (rename && node->IsCategory())
        f |= Qt::ItemIsEditable;
    return f;
}

} // namespace wpe
