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

// The search list: type-ahead follows the catalogue's own prefix rule
// (ASCII-caseless, wrapping) instead of the view's.
class TEntryListView : public QListView {
public:
    using QListView::QListView;

    void keyboardSearch(const QString& search) override
    {
        auto* m = qobject_cast<TEntryListModel*>(model());
        if (!m || !m->Shown())
            return;
        const bool fresh = !typing_.isValid() || typing_.elapsed() > QApplication::keyboardInputInterval();
        typed_ = fresh ? search : typed_ + search;
        typing_.start();
        const int current = currentIndex().isValid() ? currentIndex().row() : 0;
        const size_t start = static_cast<size_t>(fresh && currentIndex().isValid() ? current + 1 : current);
        const size_t found = TCatalogue::FindByTitlePrefix(*m->Shown(), CatalogueBytes(typed_), start, true);
        if (found != static_cast<size_t>(-1))
            setCurrentIndex(m->index(static_cast<int>(found)));
    }

private:
    QString typed_;
    QElapsedTimer typing_;
};

QLabel* TextPanel(const char* name, const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setMinimumHeight(48);
    label->setFrameShape(QFrame::StyledPanel);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QPushButton* Button(const char* name, const QString& caption, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

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

// ---- building

QWidget* TCatFrame::BuildBrowseTab()
{
    auto* page = new QWidget;
    page->setObjectName("tsBrowse");
    auto* v = new QVBoxLayout(page);
    v->setContentsMargins(2, 2, 2, 2);

    auto* top = new QHBoxLayout;
    auto* expandAll = new QToolButton(page);
    expandAll->setObjectName("SpeedButton1");
    expandAll->setText("+");
    expandAll->setToolTip("Expand all");
    auto* collapseAll = new QToolButton(page);
    collapseAll->setObjectName("SpeedButton2");
    collapseAll->setText("--");
    collapseAll->setToolTip("Collapse all");
    btnSelectCategory_ = new QToolButton(page);
    btnSelectCategory_->setObjectName("btnSelectCategory");
    btnSelectCategory_->setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
    btnSelectCategory_->setToolTip("Select Category");
    btnSelectCategory_->setEnabled(false);
    auto* showBar = new QToolBar(page);
    showBar->setObjectName("ShowToolBar");
    auto* filterButton = new QToolButton(showBar);
    filterButton->setObjectName("ToolButton1");
    filterButton->setText("Show: All Items");
    filterButton->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(filterButton);
    menu->setObjectName("FilterMenu");
    auto group = [&](std::initializer_list<std::pair<const char*, int>> items, const char* property) {
        auto* g = new QActionGroup(menu);
        g->setExclusive(true);
        for (const auto& [caption, value] : items) {
            QAction* a = menu->addAction(caption);
            a->setCheckable(true);
            a->setChecked(value == 0);
            a->setProperty(property, value);
            g->addAction(a);
        }
    };
    group({{"All languages", 0}, {"English", kFilterEnglish}, {"Russian", kFilterRussian}, {"French", kFilterFrench},
           {"German", kFilterGerman}},
          "language");
    menu->addSeparator();
    group({{"All items", 0}, {"New items", kFilterNewItems}, {"Most popular", kFilterMostPopular}}, "items");
    connect(menu, &QMenu::triggered, this, &TCatFrame::ChooseFilter);
    filterButton->setMenu(menu);
    showBar->addWidget(filterButton);
    top->addWidget(expandAll);
    top->addWidget(collapseAll);
    top->addWidget(btnSelectCategory_);
    top->addWidget(showBar);
    top->addStretch(1);
    v->addLayout(top);

    browseTree_ = new TCatTreeView(page);
    browseTree_->setObjectName("BrowseTree");
    browseTree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    browseModel_ = new TCatTreeModel(catalogue_.BrowseTree(), this);
    browseTree_->setModel(browseModel_);
    browseTree_->installEventFilter(this);
    if (mode_ == Mode::Main) {
        browseTree_->canStartDrag = &TCatFrameState::CanStartDrag;
        browseTree_->canDrop = &TCatFrameState::CanDropOnBrowse;
        browseTree_->drop = [this](TCatNode* d, TCatNode* t, bool copy) { BrowseDrop(d, t, copy); };
    }
    connect(browseTree_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &TCatFrame::BrowseSelected);
    connect(browseTree_, &QTreeView::expanded, this, [this](const QModelIndex& i) { SetExpanded(browseTree_, i, true); });
    connect(browseTree_, &QTreeView::collapsed, this, [this](const QModelIndex& i) { SetExpanded(browseTree_, i, false); });
    connect(browseTree_, &QAbstractItemView::doubleClicked, this, [this] {
        if (mode_ == Mode::Picker)
            emit browseActivated();
        else
            OpenSelected();
    });
    v->addWidget(browseTree_, 1);

    uiDescr_ = TextPanel("uiDescr", kBrowseHint, page);
    v->addWidget(uiDescr_);
    auto* bottom = new QHBoxLayout;
    addBtn_ = Button("AddBtn", "Add to the Start Page", page);
    addBtn_->setEnabled(false);
    auto* ok = Button("btnOK", "OK", page);
    auto* cancel = Button("btnCancel", "Cancel", page);
    ok->hide();
    cancel->hide();
    bottom->addStretch(1);
    bottom->addWidget(addBtn_);
    bottom->addWidget(ok);
    bottom->addWidget(cancel);
    v->addLayout(bottom);

    connect(expandAll, &QToolButton::clicked, this, [this] { ExpandAll(browseTree_, true); });
    connect(collapseAll, &QToolButton::clicked, this, [this] { ExpandAll(browseTree_, false); });
    connect(btnSelectCategory_, &QToolButton::clicked, this, &TCatFrame::selectCategoryRequested);
    connect(addBtn_, &QPushButton::clicked, this, [this] {
        if (addToStartPage)
            addToStartPage();
    });
    connect(ok, &QPushButton::clicked, this, &TCatFrame::okClicked);
    connect(cancel, &QPushButton::clicked, this, &TCatFrame::cancelClicked);
    return page;
}

QWidget* TCatFrame::BuildSearchTab()
{
    auto* page = new QWidget;
    page->setObjectName("tsSearch");
    auto* v = new QVBoxLayout(page);
    v->setContentsMargins(2, 2, 2, 2);
    auto* label = new QLabel("Display webparts which contain:", page);
    label->setObjectName("Label1");
    edtSearch_ = new QLineEdit(page);
    edtSearch_->setObjectName("edtSearch");
    label->setBuddy(edtSearch_);
    v->addWidget(label);
    v->addWidget(edtSearch_);

    list_ = new TEntryListView(page);
    list_->setObjectName("WPListView");
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setUniformItemSizes(true);
    list_->setDragEnabled(true);
    list_->setDragDropMode(QAbstractItemView::DragOnly);
    listModel_ = new TEntryListModel(this);
    listModel_->SetSourceName("WPListView");
    list_->setModel(listModel_);
    list_->installEventFilter(this);
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &TCatFrame::ListSelected);
    connect(list_, &QAbstractItemView::doubleClicked, this, &TCatFrame::OpenSelected);
    lblNoItems_ = new QLabel(kNoItemsText, list_);
    lblNoItems_->setObjectName("lblNoItems");
    lblNoItems_->setWordWrap(true);
    lblNoItems_->setAlignment(Qt::AlignCenter);
    lblNoItems_->setGeometry(8, 8, 220, 60);
    lblNoItems_->hide();
    v->addWidget(list_, 1);

    uiDescr2_ = TextPanel("uiDescr2", kSearchHint, page);
    v->addWidget(uiDescr2_);
    auto* bottom = new QHBoxLayout;
    addBtn2_ = Button("AddBtn2", "Add to the Start Page", page);
    addBtn2_->setEnabled(false);
    bottom->addStretch(1);
    bottom->addWidget(addBtn2_);
    v->addLayout(bottom);

    connect(edtSearch_, &QLineEdit::textEdited, this, &TCatFrame::SearchKey);
    connect(edtSearch_, &QLineEdit::textChanged, this, &TCatFrame::SearchTextChanged);
    connect(addBtn2_, &QPushButton::clicked, this, [this] {
        if (addToStartPage)
            addToStartPage();
    });
    return page;
}

QToolBar* TCatFrame::EditToolBar(const char* name, QWidget* parent)
{
    auto* bar = new QToolBar(parent);
    bar->setObjectName(name);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return bar;
}

QToolButton* TCatFrame::Tool(QToolBar* bar, const char* name, const QString& caption, void (TCatFrame::*slot)())
{
    auto* b = new QToolButton(bar);
    b->setObjectName(name);
    // The caption names the key; the button shows the command's first word.
    b->setText(caption.section(' ', 0, caption.startsWith("Move") || caption.startsWith("Add Child") ? 1 : 0));
    b->setToolTip(caption);
    bar->addWidget(b);
    if (slot)
        connect(b, &QToolButton::clicked, this, slot);
    return b;
}

QWidget* TCatFrame::BuildEditTab()
{
    auto* page = new QWidget;
    page->setObjectName("tsEdit");
    auto* v = new QVBoxLayout(page);
    v->setContentsMargins(2, 2, 2, 2);

    auto* bars = new QWidget(page);
    bars->setObjectName("ToolBarArea");
    auto* h = new QHBoxLayout(bars);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(0);
    QToolBar* tbEdit = EditToolBar("tbEdit", bars);
    Tool(tbEdit, "btnAdd", "Add (Ins)", &TCatFrame::AddCategory);
    Tool(tbEdit, "btnAddChild", "Add Child (Alt+Ins)", &TCatFrame::AddChildCategory);
    Tool(tbEdit, "btnDelete", "Delete (Del)", &TCatFrame::DeleteCategory);
    Tool(tbEdit, "btnRename", "Rename (F2)", &TCatFrame::RenameCategory);
    QToolBar* tbSort = EditToolBar("tbSort", bars);
    auto* sort = Tool(tbSort, "btnSort", "Sort Subtree", &TCatFrame::SortSubtree);
    sort->setText("Sort");
    sort->setPopupMode(QToolButton::MenuButtonPopup);
    auto* sortMenu = new QMenu(sort);
    sortMenu->setObjectName("SortMenu");
    connect(sortMenu->addAction("Sort subtree"), &QAction::triggered, this, &TCatFrame::SortSubtree);
    connect(sortMenu->addAction("Sort total tree"), &QAction::triggered, this, &TCatFrame::SortTotal);
    sortMenu->addSeparator();
    sortAutomatically_ = sortMenu->addAction("Sort automatically");
    sortAutomatically_->setCheckable(true);
    connect(sortAutomatically_, &QAction::toggled, this, [this](bool on) {
        if (on)
            SortTotal();
    });
    sort->setMenu(sortMenu);
    QToolBar* tbMove = EditToolBar("tbMove", bars);
    Tool(tbMove, "btnLeft", "Move Left (Ctrl+Left)", &TCatFrame::MoveLeft);
    Tool(tbMove, "btnRight", "Move Right (Ctrl-+Right)", &TCatFrame::MoveRight);
    Tool(tbMove, "btnUp", "Move Up (Ctrl+Up)", &TCatFrame::MoveUp);
    Tool(tbMove, "btnDown", "Move Down (Ctrl+Down)", &TCatFrame::MoveDown);
    QToolBar* tbView = EditToolBar("tbView", bars);
    Tool(tbView, "btnExpand", "Expand", nullptr);
    Tool(tbView, "btnCollapse", "Collapse", nullptr);
    for (QToolBar* bar : {tbEdit, tbSort, tbMove, tbView})
        h->addWidget(bar);
    h->addStretch(1);

    auto* barMenu = new QMenu(bars);
    barMenu->setObjectName("ToolBarMenu");
    for (auto [caption, bar] : {std::pair{"Edit", tbEdit}, {"Move", tbMove}, {"Sort", tbSort}, {"View", tbView}}) {
        QAction* a = barMenu->addAction(caption);
        a->setCheckable(true);
        a->setChecked(true);
        connect(a, &QAction::toggled, bar, &QWidget::setVisible);
    }
    bars->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(bars, &QWidget::customContextMenuRequested, this,
            [bars, barMenu](const QPoint& p) { barMenu->popup(bars->mapToGlobal(p)); });
    v->addWidget(bars);

    editTree_ = new TCatTreeView(page);
    editTree_->setObjectName("EditTree");
    editTree_->setEditTriggers(QAbstractItemView::EditKeyPressed);
    editModel_ = new TCatTreeModel(catalogue_.EditTree(), this);
    editModel_->rename = [this](TCatNode* node, const std::string& name) { EndRename(node, name); };
    editTree_->setModel(editModel_);
    editTree_->installEventFilter(this);
    editTree_->canStartDrag = [](const TCatNode* node, int dx, int dy, bool) {
        return node && (std::abs(dx) >= kDragThreshold || std::abs(dy) >= kDragThreshold);
    };
    editTree_->canDrop = [](const std::string& source, const TCatNode* dragged, const TCatNode* target, bool) {
        return source == "EditTree" && CanDropCategory(dragged, target);
    };
    editTree_->drop = [this](TCatNode* dragged, TCatNode* target, bool) {
        if (DropCategory(dragged, target)) {
            state_.SetModified();
            EditChanged(dragged);
        }
    };
    connect(editTree_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &TCatFrame::EditSelected);
    connect(editTree_, &QTreeView::expanded, this, [this](const QModelIndex& i) { SetExpanded(editTree_, i, true); });
    connect(editTree_, &QTreeView::collapsed, this, [this](const QModelIndex& i) { SetExpanded(editTree_, i, false); });
    connect(page->findChild<QToolButton*>("btnExpand"), &QToolButton::clicked, this, [this] { ExpandAll(editTree_, true); });
    connect(page->findChild<QToolButton*>("btnCollapse"), &QToolButton::clicked, this,
            [this] { ExpandAll(editTree_, false); });
    v->addWidget(editTree_, 1);

    descrEdit_ = TextPanel("DescrEdit", kEditHint, page);
    v->addWidget(descrEdit_);
    auto* bottom = new QHBoxLayout;
    btnOKEdit_ = Button("btnOKEdit", "Apply", page);
    btnOKEdit_->setEnabled(false);
    connect(btnOKEdit_, &QPushButton::clicked, this, &TCatFrame::Apply);
    bottom->addStretch(1);
    bottom->addWidget(btnOKEdit_);
    v->addLayout(bottom);
    return page;
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

void TCatFrame::RefreshBrowse(const TCatNode* select)
{
    browseModel_->BeginChange();
    browseModel_->EndChange();
    browseTree_->ShowExpansion();
    browseTree_->SelectNode(select);
    BrowseSelected();
}

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

// ---- Categories tab

void TCatFrame::EditChanged(TCatNode* select, bool beginEdit)
{
    if (sortAutomatically_->isChecked())
        SortCategoryTree(catalogue_.EditTree());
    RefreshEdit(select);
    btnOKEdit_->setEnabled(state_.Modified());
    if (beginEdit && select) {
        editTree_->setFocus();
        editTree_->edit(editModel_->IndexOf(select));
    }
}

void TCatFrame::RefreshEdit(const TCatNode* select)
{
    editModel_->BeginChange();
    editModel_->EndChange();
    editTree_->ShowExpansion();
    editTree_->SelectNode(select);
    EditSelected();
}

void TCatFrame::EditSelected()
{
    const TCatNode* node = editTree_->SelectedNode();
    descrEdit_->setText(node ? CatalogueText(TCatFrameState::EditDescription(node)) : QString(kEditHint));
}

void TCatFrame::AddCategory()
{
    TCatNode* node = AddCategoryAfter(catalogue_, catalogue_.EditTree(), editTree_->SelectedNode());
    state_.SetModified();
    EditChanged(node, true);
}

void TCatFrame::AddChildCategory()
{
    TCatNode* node = wpe::AddChildCategory(catalogue_, catalogue_.EditTree(), editTree_->SelectedNode());
    if (!node)
        return;
    state_.SetModified();
    EditChanged(node, true);
}

void TCatFrame::DeleteCategory()
{
    TCatNode* node = editTree_->SelectedNode();
    if (!node)
        return;
    const std::string question = "Delete node <" + node->Text() + ">";
    if (Dialogs().Ask(MsgKind::Confirmation, question, MsgButtons::YesNo) != MsgResult::Yes)
        return;
    TCatNode* next = node->NextSibling() ? node->NextSibling() : node->PrevSibling();
    if (!next)
        next = node->Parent();
    wpe::DeleteCategory(catalogue_, node);
    state_.SetModified();
    EditChanged(next);
}

void TCatFrame::RenameCategory()
{
    TCatNode* node = editTree_->SelectedNode();
    if (!node)
        return;
    renameInProgress_ = true;
    editTree_->edit(editModel_->IndexOf(node));
}

void TCatFrame::EndRename(TCatNode* node, const std::string& name)
{
    if (!wpe::RenameCategory(catalogue_, node, name))
        return;
    state_.SetModified();
    renameInProgress_ = false;
    btnOKEdit_->setEnabled(true);
    // The editor is still closing: refresh (and sort) once it is done.
    QTimer::singleShot(0, this, [this, node] {
        if (sortAutomatically_->isChecked())
            EditChanged(node);
        else
            EditSelected();
    });
}

void TCatFrame::MoveLeft()
{
    TCatNode* node = editTree_->SelectedNode();
    if (!node)
        return;
    MoveCategoryLeft(node);
    state_.SetModified();
    EditChanged(node);
}

void TCatFrame::MoveRight()
{
    TCatNode* node = editTree_->SelectedNode();
    if (!node)
        return;
    if (MoveCategoryRight(node) && node->Parent())
        node->Parent()->expanded = true;
    state_.SetModified();
    EditChanged(node);
}

void TCatFrame::MoveUp()
{
    TCatNode* node = editTree_->SelectedNode();
    if (!node)
        return;
    MoveCategoryUp(node);
    state_.SetModified();
    EditChanged(node);
}

void TCatFrame::MoveDown()
{
    TCatNode* node = editTree_->SelectedNode();
    if (!node)
        return;
    MoveCategoryDown(node);
    state_.SetModified();
    EditChanged(node);
}

void TCatFrame::SortSubtree()
{
    TCatNode* node = editTree_->SelectedNode();
    if (!node || !node->HasChildren())
        return;
    SortCategoryLevel(catalogue_.EditTree(), node);
    // A sort is a change like any other, so leaving the tab keeps it.
    state_.SetModified();
    EditChanged(node);
}

void TCatFrame::SortTotal()
{
    SortCategoryTree(catalogue_.EditTree());
    state_.SetModified();
    EditChanged(editTree_->SelectedNode());
}

void TCatFrame::Apply()
{
    browseModel_->BeginChange();
    editModel_->BeginChange();
    Guarded([this] { state_.Apply(); });
    editModel_->EndChange();
    browseModel_->EndChange();
    browseTree_->ShowExpansion();
    editTree_->ShowExpansion();
    btnOKEdit_->setEnabled(state_.Modified());
}

bool TCatFrame::EditKey(QKeyEvent* key)
{
    const auto mods = key->modifiers() & ~Qt::KeypadModifier;
    switch (key->key()) {
    case Qt::Key_Insert:
        if (mods == Qt::NoModifier)
            AddCategory();
        else if (mods == Qt::AltModifier)
            AddChildCategory();
        else
            return false;
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (editTree_->IsEditing())
            return false;
        AddCategory();
        return true;
    case Qt::Key_Delete:
        if (mods != Qt::NoModifier || renameInProgress_)
            return false;
        DeleteCategory();
        return true;
    case Qt::Key_F2:
        if (mods != Qt::NoModifier)
            return false;
        RenameCategory();
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (mods != Qt::ControlModifier)
            return false;
        if (key->key() == Qt::Key_Left)
            MoveLeft();
        else if (key->key() == Qt::Key_Right)
            MoveRight();
        else if (key->key() == Qt::Key_Up)
            MoveUp();
        else
            MoveDown();
        return true;
    default: return false;
    }
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
