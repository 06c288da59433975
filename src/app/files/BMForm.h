#pragma once
// "Favorite Folders": the favourites as one-column rows, with Add (folder
// browse), Remove, Edit (in place, also F2) and Close. Every change goes to
// the favourites list at once; closing an empty list leaves "None".

#include <QDialog>

class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace wpe {

class TFavouriteFolders;

class TBMForm : public QDialog {
    Q_OBJECT
public:
    TBMForm(TFavouriteFolders& favourites, QWidget* parent = nullptr);

    // The rows again from the list, skipping "None"; the selected position
    // is kept where a row is left there.
    void RebuildRows();
    void AddFolder();
    void RemoveSelected();
    void EditSelected();
    QListWidget* List() const { return list_; }

signals:
    void favouritesChanged();

protected:
    void done(int result) override;

private:
    void SelectionChanged();
    void RowEdited(QListWidgetItem* item);

    TFavouriteFolders& favourites_;
    QListWidget* list_;
    QPushButton* btnAdd_;
    QPushButton* btnRemove_;
    QPushButton* btnEdit_;
    QPushButton* btnClose_;
    bool rebuilding_ = false;
};

} // namespace wpe
