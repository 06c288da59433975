// The catalogue frame's controls: the three tabs with their tool bars,
// buttons, menus, trees and the search list, named as the frame's layout
// names them.

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
#include <QGridLayout>
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
    bar->setMovable(false);
    return bar;
}

QToolButton* TCatFrame::Tool(QToolBar* bar, const char* name, const QString& caption, void (TCatFrame::*slot)())
{
    auto* b = new QToolButton(bar);
    b->setObjectName(name);
    // The caption names the key; the button shows the command's first word.
    if (caption.startsWith("Move") || caption.startsWith("Add Child"))
        b->setText(caption.section(' ', 1, 1));
    else
        b->setText(caption.section(' ', 0, 0));
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
    // Three rows, so that a narrow pane still shows every command.
    auto* rows = new QVBoxLayout(bars);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    bars->setStyleSheet("QToolBar { padding: 0px; spacing: 0px; } QToolButton { padding: 1px 2px; }");
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
    auto row = [rows](std::initializer_list<QToolBar*> bars) {
        auto* h = new QHBoxLayout;
        h->setSpacing(0);
        for (QToolBar* bar : bars)
            h->addWidget(bar);
        h->addStretch(1);
        rows->addLayout(h);
    };
    row({tbEdit});
    row({tbMove});
    row({tbSort, tbView});

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

} // namespace wpe
