#pragma once
// The rows of "FileList" as a Qt model: name with the file's icon, title and
// size. Rows come from the core's listing and are sorted by its comparison;
// a dragged row carries the shared drag payload with the file's path.

#include "shell/FileList.h"

#include <QAbstractTableModel>
#include <QFileIconProvider>
#include <QHash>
#include <QIcon>

#include <vector>

namespace wpe {

class TFileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TFileListModel(QObject* parent = nullptr);

    void SetRows(std::vector<TFileRow> rows);
    void Clear();
    void Sort(const TFileSort& sort);
    const TFileRow* RowAt(int row) const;
    const std::vector<TFileRow>& Rows() const { return rows_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction | Qt::MoveAction; }

private:
    QIcon IconFor(const TFileRow& row) const;

    std::vector<TFileRow> rows_;
    QFileIconProvider icons_;
    mutable QHash<QString, QIcon> iconCache_;  // by extension: one lookup per file type
};

} // namespace wpe
