#include "catalogue/CatFrame.h"

#include "catalogue/CatTreeModel.h"
#include "catalogue/CatTreeView.h"
#include "catalogue/CategoryEditing.h"
#include "catalogue/EntryListModel.h"
#include "util/Dialogs.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace wpe {

namespace {

constexpr int kSearchDelayMs = 500;

} // namespace

TCatFrame::TCatFrame(Mode mode, QWidget* parent)
    : QWidget(parent), mode_(mode), catalogue_(mode == Mode::Picker), state_(catalogue_)
{
    setObjectName(mode == Mode::Main ? "CatFrame" : "PickerFrame");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    pages_ = new QTabWidget(this);
    pages_->setObjectName("PageControl");
    pages_->addTab(BuildBrowseTab(), "Browse");
    pages_->addTab(BuildSearchTab(), "Search");
    pages_->addTab(BuildEditTab(), "Categories");
    layout->addWidget(pages_);
    connect(pages_, &QTabWidget::currentChanged, this, &TCatFrame::TabChanged);

    searchTimer_ = new QTimer(this);
    searchTimer_->setObjectName("SearchTimer");
    searchTimer_->setSingleShot(true);
    searchTimer_->setInterval(kSearchDelayMs);
    connect(searchTimer_, &QTimer::timeout, this, &TCatFrame::RunSearch);

    if (mode == Mode::Picker) {
        pages_->setTabVisible(1, false);
        pages_->setTabVisible(2, false);
        pages_->tabBar()->setFocusPolicy(Qt::NoFocus);
        pages_->tabBar()->hide();
        findChild<QToolBar*>("ShowToolBar")->hide();
        btnSelectCategory_->hide();
        addBtn_->hide();
        findChild<QPushButton*>("btnOK")->show();
        findChild<QPushButton*>("btnCancel")->show();
        uiDescr_->clear();
    }
}

TCatFrame::~TCatFrame()
{
    state_.onCategoriesApplied = nullptr;
    // The views go before the models and trees they show.
    delete pages_;
    pages_ = nullptr;
}

// ---- loading and the editors' calls

void TCatFrame::Guarded(const std::function<void()>& action)
{
    try {
        action();
    } catch (const std::exception& e) {
        Dialogs().Show(MsgKind::Error, e.what());
    }
}

void TCatFrame::LoadCatalogue(const std::string& storageDir, const TLoadProgress& progress)
{
    lastFound_ = nullptr;
    browseModel_->BeginChange();
    editModel_->BeginChange();
    catalogue_.LoadCatalogue(storageDir, progress);
    editModel_->EndChange();
    browseModel_->EndChange();
    browseTree_->ShowExpansion();
    listModel_->Show(&catalogue_.AllEntries());
}

void TCatFrame::ReloadCatalogue()
{
    lastFound_ = nullptr;
    browseModel_->BeginChange();
    editModel_->BeginChange();
    Guarded([this] {
        catalogue_.ReloadCatalogue();
        // The Categories tab shows categories only.
        if (state_.ActiveTab() == TCatTab::Categories)
            catalogue_.ApplyFilter(kFilterCategoriesOnly, catalogue_.EditTree());
    });
    editModel_->EndChange();
    browseModel_->EndChange();
    browseTree_->ShowExpansion();
    editTree_->ShowExpansion();
    const bool searching = !edtSearch_->text().isEmpty() && listModel_->Shown() == &catalogue_.SearchResults();
    listModel_->Show(searching ? &catalogue_.SearchResults() : &catalogue_.AllEntries());
}

TWPData* TCatFrame::FindEntry(const std::string& filePath)
{
    TWPDataPtr entry = catalogue_.FindEntry(filePath);
    if (!entry)
        return nullptr;
    handedOut_[entry.get()] = entry;
    return entry.get();
}

bool TCatFrame::FindCategoryNode(const std::string& categoryPath)
{
    lastFound_ = catalogue_.FindCategoryNode(categoryPath);
    return lastFound_ != nullptr;
}

void TCatFrame::ShowEntry(const std::string& filePath)
{
    ShowTab(TCatTab::Browse);
    // The node the editor's path named, when it is this file's; else the
    // file's first node.
    const TCatNode* node = nullptr;
    catalogue_.BrowseTree().ForEach([&](TCatNode* n) {
        if (n == lastFound_ && n->Entry() && n->Entry()->fileName == filePath)
            node = n;
    });
    if (!node) {
        catalogue_.BrowseTree().ForEach([&](TCatNode* n) {
            if (!node && n->IsWebPart() && n->Entry() && n->Entry()->fileName == filePath)
                node = n;
        });
    }
    if (!node)
        node = lastFound_;
    emit showRequested();
    if (node) {
        if (node->IsCategory())
            browseTree_->expand(browseModel_->IndexOf(node));
        browseTree_->SelectNode(node);
    }
    browseTree_->setFocus();
}

std::optional<TSelectedPart> TCatFrame::SelectedPart() const
{
    const TWPData* entry = SelectedEntry();
    if (!entry)
        return std::nullopt;
    return TSelectedPart{entry->fileName, entry->zone};
}

TCatNode* TCatFrame::SelectedBrowseNode() const { return browseTree_->SelectedNode(); }

TWPData* TCatFrame::SelectedEntry() const
{
    switch (state_.ActiveTab()) {
    case TCatTab::Browse: {
        const TCatNode* node = SelectedBrowseNode();
        return node && node->IsWebPart() ? node->Entry() : nullptr;
    }
    case TCatTab::Search: {
        const QModelIndexList rows = list_->selectionModel()->selectedRows();
        return rows.isEmpty() ? nullptr : listModel_->Entry(rows.first().row());
    }
    default: return nullptr;
    }
}

void TCatFrame::SaveCategoryTree() { state_.SaveCategoryTree(); }

bool TCatFrame::MoveSelectedWebPart(TCatNode* target)
{
    bool moved = false;
    browseModel_->BeginChange();
    editModel_->BeginChange();
    Guarded([&] { moved = state_.MoveSelectedWebPart(SelectedBrowseNode(), target); });
    editModel_->EndChange();
    browseModel_->EndChange();
    browseTree_->ShowExpansion();
    return moved;
}

void TCatFrame::ShowCategoriesOf(const TCatTree& editTree)
{
    browseModel_->BeginChange();
    catalogue_.BrowseTree().CopyFrom(editTree);
    catalogue_.ApplyFilter(kFilterCategoriesOnly, catalogue_.BrowseTree());
    browseModel_->EndChange();
    browseTree_->ShowExpansion();
}

// ---- tabs

void TCatFrame::ShowTab(TCatTab tab) { pages_->setCurrentIndex(static_cast<int>(tab)); }

void TCatFrame::TabChanged(int index)
{
    const auto to = static_cast<TCatTab>(index);
    browseModel_->BeginChange();
    editModel_->BeginChange();
    Guarded([&] { state_.ChangeTab(to); });
    editModel_->EndChange();
    browseModel_->EndChange();
    btnOKEdit_->setEnabled(state_.Modified());
    renameInProgress_ = false;
    browseTree_->ShowExpansion();
    editTree_->ShowExpansion();

    switch (to) {
    case TCatTab::Browse: {
        const QModelIndexList rows = list_->selectionModel()->selectedRows();
        if (state_.PageLeft() == TCatTab::Search && !rows.isEmpty()) {
            const TWPData* entry = listModel_->Entry(rows.first().row());
            const TCatNode* first = nullptr;
            catalogue_.BrowseTree().ForEach([&](TCatNode* n) {
                if (!first && n->IsWebPart() && n->Entry() == entry)
                    first = n;
            });
            if (first)
                browseTree_->SelectNode(first);
        }
        BrowseSelected();
        browseTree_->setFocus();
        break;
    }
    case TCatTab::Search:
        lblNoItems_->hide();
        listModel_->Show(&catalogue_.AllEntries());
        addBtn2_->setEnabled(false);
        edtSearch_->setFocus();
        break;
    case TCatTab::Categories: editTree_->setFocus(); break;
    }
}

// ---- Browse tab

void TCatFrame::BrowseSelected()
{
    const TCatNode* node = SelectedBrowseNode();
    const bool part = node && node->IsWebPart();
    if (node)
        uiDescr_->setText(CatalogueText(TCatFrameState::BrowseDescription(node)));
    btnSelectCategory_->setEnabled(part);
    if (mode_ == Mode::Main)
        addBtn_->setEnabled(part);
    if (mode_ == Mode::Picker)
        emit browseSelectionChanged();
}

void TCatFrame::SetExpanded(TCatTreeView* view, const QModelIndex& index, bool expanded)
{
    TCatNode* node = view->CatModel()->Node(index);
    if (!node)
        return;
    node->expanded = expanded;
    if (node->CatData())
        node->CatData()->expanded = expanded;
}

void TCatFrame::ExpandAll(TCatTreeView* view, bool expand)
{
    view->CatModel()->Tree().ForEach([expand](TCatNode* n) {
        if (!n->IsCategory())
            return;
        n->expanded = expand;
        if (n->CatData())
            n->CatData()->expanded = expand;
    });
    if (expand)
        view->expandAll();
    else
        view->collapseAll();
}

void TCatFrame::ChooseFilter(QAction* action)
{
    browseModel_->BeginChange();
    if (action->property("language").isValid())
        state_.ChooseLanguage(action->property("language").toInt());
    else
        state_.ChooseItems(action->property("items").toInt());
    browseModel_->EndChange();
    browseTree_->ShowExpansion();
    BrowseSelected();
}

void TCatFrame::BrowseDrop(TCatNode* dragged, TCatNode* target, bool copy)
{
    browseModel_->BeginChange();
    editModel_->BeginChange();
    Guarded([&] { state_.DropOnBrowse(dragged, target, copy); });
    editModel_->EndChange();
    browseModel_->EndChange();
    browseTree_->ShowExpansion();
}

void TCatFrame::OpenSelected()
{
    if (const TWPData* entry = SelectedEntry())
        emit openRequested(QString::fromStdString(entry->fileName));
}

bool TCatFrame::BrowseKey(QKeyEvent* key)
{
    TCatNode* node = SelectedBrowseNode();
    const bool inCategory = node && node->IsWebPart() && node->Parent();
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        if (mode_ == Mode::Picker)
            emit browseActivated();
        else
            OpenSelected();
        return true;
    }
    if (mode_ == Mode::Picker)
        return false;
    if (key->key() == Qt::Key_Control && inCategory) {
        browseTree_->viewport()->setCursor(Qt::DragCopyCursor);
        return false;
    }
    if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::NoModifier && inCategory) {
        browseModel_->BeginChange();
        editModel_->BeginChange();
        Guarded([&] { state_.RemoveFromCategory(node); });
        editModel_->EndChange();
        browseModel_->EndChange();
        browseTree_->ShowExpansion();
        BrowseSelected();
        return true;
    }
    return false;
}

// ---- Search tab

void TCatFrame::SearchKey()
{
    searchTimer_->stop();
    searchTimer_->start();
}

void TCatFrame::RunSearch()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    lblNoItems_->hide();
    const QString text = edtSearch_->text();
    if (!text.isEmpty()) {
        try {
            catalogue_.SearchEntries(CatalogueBytes(text));
            listModel_->Show(&catalogue_.SearchResults());
        } catch (const std::exception&) {
            // A character no title can hold matches nothing.
            listModel_->Show(&noResults_);
        }
    } else {
        listModel_->Show(&catalogue_.AllEntries());
    }
    addBtn2_->setEnabled(false);
    if (listModel_->rowCount() == 0)
        lblNoItems_->show();
    list_->viewport()->update();
    QApplication::restoreOverrideCursor();
    searchTimer_->stop();
}

void TCatFrame::SearchTextChanged(const QString& text)
{
    std::string bytes;
    try {
        bytes = CatalogueBytes(text);
    } catch (const std::exception&) {
        bytes = text.toStdString();
    }
    uiDescr2_->setText(CatalogueText(TCatFrameState::SearchDescription(bytes)));
}

void TCatFrame::ListSelected()
{
    const QModelIndexList rows = list_->selectionModel()->selectedRows();
    const TWPData* entry = rows.isEmpty() ? nullptr : listModel_->Entry(rows.first().row());
    if (!entry)
        return;
    uiDescr2_->setText(CatalogueText(entry->description));
    addBtn2_->setEnabled(true);
}

bool TCatFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == browseTree_)
            return BrowseKey(key);
        if (watched == editTree_)
            return EditKey(key);
        if (watched == list_ && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            OpenSelected();
            return true;
        }
    } else if (event->type() == QEvent::KeyRelease && watched == browseTree_) {
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Control && !browseTree_->DraggedNode())
            browseTree_->viewport()->unsetCursor();
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace wpe
