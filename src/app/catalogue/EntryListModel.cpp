#include "catalogue/EntryListModel.h"

#include "catalogue/CatTreeModel.h"
#include "shell/DragItem.h"

#include <QMimeData>

namespace wpe {

TEntryListModel::TEntryListModel(QObject* parent) : QAbstractListModel(parent), icon_(":/icons/webpart.svg") {}

void TEntryListModel::Show(const std::vector<TWPDataPtr>* list)
{
    beginResetModel();
    list_ = list;
    endResetModel();
}

TWPData* TEntryListModel::Entry(int row) const
{
    if (!list_ || row < 0 || static_cast<size_t>(row) >= list_->size())
        return nullptr;
    return (*list_)[static_cast<size_t>(row)].get();
}

int TEntryListModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !list_)
        return 0;
    return static_cast<int>(list_->size());
}

QVariant TEntryListModel::data(const QModelIndex& index, int role) const
{
    const TWPData* entry = Entry(index.row());
    if (!entry)
        return {};
    if (role == Qt::DisplayRole)
        return CatalogueText(entry->title);
    if (role == Qt::DecorationRole)
        return icon_;
    return {};
}

Qt::ItemFlags TEntryListModel::flags(const QModelIndex& index) const
{
    if (!Entry(index.row()))
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

QStringList TEntryListModel::mimeTypes() const { return {QString::fromLatin1(kDragItemMimeType)}; }

QMimeData* TEntryListModel::mimeData(const QModelIndexList& indexes) const
{
    const TWPData* entry = indexes.isEmpty() ? nullptr : Entry(indexes.first().row());
    if (!entry)
        return nullptr;
    auto* mime = new QMimeData;
    mime->setData(kDragItemMimeType, QByteArray::fromStdString(EncodeDragItem({sourceName_, entry->fileName})));
    return mime;
}

} // namespace wpe
