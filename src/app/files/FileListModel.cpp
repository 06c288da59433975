#include "files/FileListModel.h"

#include "shell/DragItem.h"
#include "util/Paths.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace wpe {

TFileListModel::TFileListModel(QObject* parent) : QAbstractTableModel(parent) {}

void TFileListModel::SetRows(std::vector<TFileRow> rows)
{
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void TFileListModel::Clear() { SetRows({}); }

void TFileListModel::Sort(const TFileSort& sort)
{
    emit layoutAboutToBeChanged();
    SortFileRows(rows_, sort);
    emit layoutChanged();
}

const TFileRow* TFileListModel::RowAt(int row) const
{
    return row >= 0 && row < static_cast<int>(rows_.size()) ? &rows_[row] : nullptr;
}

int TFileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TFileListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

QVariant TFileListModel::data(const QModelIndex& index, int role) const
{
    const TFileRow* row = RowAt(index.row());
    if (!row)
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        switch (index.column()) {
        case 0: return role == Qt::ToolTipRole ? QString::fromStdString(row->path) : QString::fromStdString(row->name);
        case 1: return QString::fromStdString(row->title);
        case 2: return QString::fromStdString(row->sizeText);
        }
    }
    if (role == Qt::DecorationRole && index.column() == 0)
        return IconFor(*row);
    if (role == Qt::TextAlignmentRole && index.column() == 2)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant TFileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case 0: return QStringLiteral("Name");
    case 1: return QStringLiteral("Title");
    case 2: return QStringLiteral("Size");
    }
    return {};
}

Qt::ItemFlags TFileListModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

QStringList TFileListModel::mimeTypes() const { return {kDragItemMimeType, "text/uri-list"}; }

QMimeData* TFileListModel::mimeData(const QModelIndexList& indexes) const
{
    const TFileRow* row = indexes.isEmpty() ? nullptr : RowAt(indexes.first().row());
    if (!row)
        return nullptr;
    auto* mime = new QMimeData;
    mime->setData(kDragItemMimeType, QByteArray::fromStdString(EncodeDragItem({"FileList", row->path})));
    mime->setUrls({QUrl::fromLocalFile(QString::fromStdString(row->path))});
    return mime;
}

QIcon TFileListModel::IconFor(const TFileRow& row) const
{
    QString ext = QString::fromStdString(ExtractFileExt(row.name)).toLower();
    auto it = iconCache_.constFind(ext);
    if (it != iconCache_.constEnd())
        return *it;
    QIcon icon = icons_.icon(QFileInfo(QString::fromStdString(row.path)));
    if (icon.isNull())
        icon = icons_.icon(QFileIconProvider::File);
    iconCache_.insert(ext, icon);
    return icon;
}

} // namespace wpe
