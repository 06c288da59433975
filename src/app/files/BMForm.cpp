#include "files/BMForm.h"

#include "files/FolderBrowse.h"
#include "shell/FavouriteFolders.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace wpe {

namespace {
constexpr int kOldTextRole = Qt::UserRole + 1;
}

TBMForm::TBMForm(TFavouriteFolders& favourites, QWidget* parent) : QDialog(parent), favourites_(favourites)
{
    setObjectName("BMForm");
    setWindowTitle("Favorite Folders");
    setModal(true);
    resize(460, 300);

    list_ = new QListWidget(this);
    list_->setObjectName("lvFolders");
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setEditTriggers(QAbstractItemView::EditKeyPressed);  // F2
    connect(list_, &QListWidget::itemSelectionChanged, this, &TBMForm::SelectionChanged);
    connect(list_, &QListWidget::itemChanged, this, &TBMForm::RowEdited);

    auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        return b;
    };
    btnAdd_ = button("btnAdd", "&Add...");
    btnRemove_ = button("btnRemove", "&Remove");
    btnEdit_ = button("btnEdit", "&Edit");
    btnClose_ = button("btnClose", "&Close");
    connect(btnAdd_, &QPushButton::clicked, this, &TBMForm::AddFolder);
    connect(btnRemove_, &QPushButton::clicked, this, &TBMForm::RemoveSelected);
    connect(btnEdit_, &QPushButton::clicked, this, &TBMForm::EditSelected);
    connect(btnClose_, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {btnAdd_, btnRemove_, btnEdit_})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(btnClose_);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);
    SelectionChanged();
}

void TBMForm::RebuildRows()
{
    int position = list_->currentRow();
    bool hadSelection = !list_->selectedItems().isEmpty();
    rebuilding_ = true;
    list_->clear();
    for (const std::string& folder : favourites_.Folders()) {
        auto* item = new QListWidgetItem(QString::fromStdString(folder), list_);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        item->setData(kOldTextRole, item->text());
    }
    rebuilding_ = false;
    if (hadSelection && position >= 0 && position < list_->count())
        list_->setCurrentRow(position);
    SelectionChanged();
}

void TBMForm::SelectionChanged()
{
    bool selected = !list_->selectedItems().isEmpty();
    btnRemove_->setEnabled(selected);
    btnEdit_->setEnabled(selected);
}

void TBMForm::AddFolder()
{
    TFolderBrowse browse;
    browse.title = "Select directory to add :";
    if (QListWidgetItem* item = list_->currentItem())
        browse.directory = item->text().toStdString();
    if (!browse.Execute())
        return;
    favourites_.Add(browse.directory);
    list_->clearSelection();
    emit favouritesChanged();
}

void TBMForm::RemoveSelected()
{
    QList<QListWidgetItem*> selected = list_->selectedItems();
    if (selected.isEmpty())
        return;
    std::string text = selected.first()->data(kOldTextRole).toString().toStdString();
    favourites_.Remove(text);
    emit favouritesChanged();  // rebuilds the rows; the row now at that position is selected
}

void TBMForm::EditSelected()
{
    QList<QListWidgetItem*> selected = list_->selectedItems();
    if (!selected.isEmpty())
        list_->editItem(selected.first());
}

// An edited row stores its new text in place of the old one.
void TBMForm::RowEdited(QListWidgetItem* item)
{
    if (rebuilding_ || !item)
        return;
    std::string before = item->data(kOldTextRole).toString().toStdString();
    std::string after = item->text().trimmed().toStdString();
    if (after == before)
        return;
    favourites_.Rename(before, after);
    // Rebuilding inside the view's own edit handling would delete the item
    // it still works on.
    QMetaObject::invokeMethod(this, [this] { emit favouritesChanged(); }, Qt::QueuedConnection);
}

void TBMForm::done(int result)
{
    if (favourites_.Empty()) {
        favourites_.EnsureNotEmpty();
        emit favouritesChanged();
    }
    QDialog::done(result);
}

} // namespace wpe
