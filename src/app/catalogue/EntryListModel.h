#pragma once
// The search list's model: it knows only the list being shown (all entries
// or the search results) and makes each row on demand, so no item object
// exists per entry however large the catalogue.

#include "catalogue/CatalogueData.h"

#include <QAbstractListModel>
#include <QIcon>

#include <vector>

namespace wpe {

class TEntryListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit TEntryListModel(QObject* parent = nullptr);

    // Shows list (not owned; null shows nothing) and resets the view.
    void Show(const std::vector<TWPDataPtr>* list);
    TWPData* Entry(int row) const;
    const std::vector<TWPDataPtr>* Shown() const { return list_; }
    // The drag payload names this control.
    void SetSourceName(std::string name) { sourceName_ = std::move(name); }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction | Qt::MoveAction; }

private:
    const std::vector<TWPDataPtr>* list_ = nullptr;
    std::string sourceName_;
    QIcon icon_;
};

} // namespace wpe
