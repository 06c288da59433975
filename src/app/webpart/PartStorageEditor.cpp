#include "webpart/PartStorageEditor.h"

#include "webpart/CheckListEdit.h"
#include "webpart/TextCodec.h"

#include "util/Dialogs.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QToolBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

namespace wpe {

namespace {

constexpr int kNodeRole = Qt::UserRole + 1;

QAction* makeAction(QObject* owner, const QString& name, const QString& text, const QString& hint) {
    auto* action = new QAction(text, owner);
    action->setObjectName(name);
    action->setToolTip(hint);
    return action;
}

} // namespace

// ---- construction ----

TPartStorageEditor::TPartStorageEditor(QsciScintilla* valueEditor, const TextCodec* codec, QWidget* parent)
    : QWidget(parent), codec_(codec), value_(valueEditor) {
    setObjectName("pnlPartStorage");
    tree_ = new QTreeWidget(this);
    tree_->setObjectName("PartStorage");
    tree_->setColumnCount(3);
    tree_->setHeaderLabels({"Parameter", "Value", "Attribute"});
    tree_->header()->setStretchLastSection(false);
    tree_->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    tree_->setEditTriggers(QAbstractItemView::DoubleClicked);
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    tree_->installEventFilter(this);

    attrs_ = new TCheckListEdit({"required"}, this);
    attrs_->setObjectName("clPartStorageAttr");
    attrs_->setToolTip("Set attribute");

    band_ = new QWidget(this);
    band_->setObjectName("PartStorageToolbars");
    editBar_ = new QToolBar(band_);
    editBar_->setObjectName("tbPartStorageEdit");
    sortBar_ = new QToolBar(band_);
    sortBar_->setObjectName("tbPartStorageSort");
    auto* bandLayout = new QVBoxLayout(band_);
    bandLayout->setContentsMargins(0, 0, 0, 0);
    bandLayout->setSpacing(0);
    bandLayout->addWidget(editBar_);
    bandLayout->addWidget(sortBar_);

    auto* attrLabel = new QLabel("Set attributes:", this);
    attrLabel->setObjectName("lblPartStorageAttr");
    auto* attrRow = new QHBoxLayout;
    attrRow->addWidget(attrLabel);
    attrRow->addWidget(attrs_);
    attrRow->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(band_);
    layout->addLayout(attrRow);
    layout->addWidget(tree_, 1);

    buildActions();

    connect(tree_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) { onCurrentItemChanged(current); });
    connect(tree_, &QTreeWidget::itemChanged, this, &TPartStorageEditor::onItemChanged);
    connect(tree_, &QTreeWidget::itemExpanded, this, [this] { tree_->resizeColumnToContents(0); });
    connect(tree_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { menu_->popup(tree_->viewport()->mapToGlobal(at)); });
    connect(attrs_, &TCheckListEdit::checksChanged, this, &TPartStorageEditor::onChecksChanged);
    if (value_)
        connect(value_, &QsciScintilla::textChanged, this, &TPartStorageEditor::onValueEdited);
}

void TPartStorageEditor::buildActions() {
    struct Command {
        const char* name;
        const char* text;
        const char* hint;
        void (TPartStorageEditor::*run)();
        bool onEditBar;
    };
    const Command commands[] = {
        {"miPSAdd", "Add", "Add (Ins)", &TPartStorageEditor::addNode, true},
        {"miPSAddChild", "Add Child", "Add Child (Alt+Ins)", &TPartStorageEditor::addChildNode, true},
        {"miPSDelete", "Delete", "Delete (Ctrl+Del)", &TPartStorageEditor::deleteNode, true},
        {"miPSRename", "Rename", "Rename (F2)", &TPartStorageEditor::renameNode, true},
        {"miPSMoveLeft", "Move left", "Move left (Ctrl+Left)", &TPartStorageEditor::moveLeft, true},
        {"miPSMoveRight", "Move right", "Move right (Ctrl+Right)", &TPartStorageEditor::moveRight, true},
        {"miPSMoveUp", "Move up", "Move up (Ctrl+Up)", &TPartStorageEditor::moveUp, true},
        {"miPSMoveDown", "Move down", "Move down (Ctrl+Down)", &TPartStorageEditor::moveDown, true},
    };
    menu_ = new QMenu(this);
    menu_->setObjectName("pmPartStorage");
    for (const Command& c : commands) {
        QAction* a = makeAction(this, c.name, c.text, c.hint);
        connect(a, &QAction::triggered, this, c.run);
        editBar_->addAction(a);
        menu_->addAction(a);
    }
    menu_->addSeparator();

    QAction* sortSub = makeAction(this, "miPSSortSubtree", "Sort subtree", "Sort Subtree");
    connect(sortSub, &QAction::triggered, this, &TPartStorageEditor::sortSubtree);
    QAction* sortButton = makeAction(this, "btnPSSortSubtree", "Sort Subtree", "Sort Subtree");
    connect(sortButton, &QAction::triggered, this, &TPartStorageEditor::sortSubtree);
    QAction* sortAll = makeAction(this, "miPSSortTotal", "Sort total tree", "Sort total tree");
    connect(sortAll, &QAction::triggered, this, &TPartStorageEditor::sortTotalTree);
    actSortAuto_ = makeAction(this, "miPSSortAuto", "Sort automatically", "Sort automatically");
    actSortAuto_->setCheckable(true);
    connect(actSortAuto_, &QAction::triggered, this, [this](bool on) {
        setSortMode(on ? PartStorageSortMode::Automatic : PartStorageSortMode::Off);
    });
    sortBar_->addAction(sortButton);
    sortBar_->addAction(sortAll);
    sortBar_->addAction(actSortAuto_);
    menu_->addAction(sortSub);
    menu_->addAction(sortAll);
    menu_->addAction(actSortAuto_);
    menu_->addSeparator();

    QAction* expand = makeAction(this, "miPSExpandAll", "Expand all", "Expand all");
    connect(expand, &QAction::triggered, this, &TPartStorageEditor::expandAll);
    QAction* collapse = makeAction(this, "miPSCollapseAll", "Collapse all", "Collapse all");
    connect(collapse, &QAction::triggered, this, &TPartStorageEditor::collapseAll);
    menu_->addAction(expand);
    menu_->addAction(collapse);
    menu_->addSeparator();

    actViewToolbar_ = makeAction(this, "miPSViewToolbar", "View toolbar", "View toolbar");
    actViewToolbar_->setCheckable(true);
    actViewToolbar_->setChecked(true);
    connect(actViewToolbar_, &QAction::triggered, this, &TPartStorageEditor::setToolbarBandVisible);
    menu_->addAction(actViewToolbar_);

    // The toolbars' own menu.
    actEditBar_ = makeAction(this, "miPSToolbarEdit", "Edit", "Edit");
    actEditBar_->setCheckable(true);
    actEditBar_->setChecked(true);
    connect(actEditBar_, &QAction::triggered, this, &TPartStorageEditor::setEditToolbarVisible);
    actSortBar_ = makeAction(this, "miPSToolbarSort", "Sort", "Sort");
    actSortBar_->setCheckable(true);
    actSortBar_->setChecked(true);
    connect(actSortBar_, &QAction::triggered, this, &TPartStorageEditor::setSortToolbarVisible);
    auto* barMenu = new QMenu(this);
    barMenu->setObjectName("pmPartStorageToolbars");
    barMenu->addAction(actEditBar_);
    barMenu->addAction(actSortBar_);
    band_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(band_, &QWidget::customContextMenuRequested, this,
            [this, barMenu](const QPoint& at) { barMenu->popup(band_->mapToGlobal(at)); });
    for (QToolBar* bar : {editBar_, sortBar_}) {
        bar->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(bar, &QWidget::customContextMenuRequested, this,
                [bar, barMenu](const QPoint& at) { barMenu->popup(bar->mapToGlobal(at)); });
    }
}

// ---- the field ----

const PartStorageTree& TPartStorageEditor::GetTree() const {
    // The value being typed belongs to the tree already (it is stored on
    // every change), so the model is complete here.
    return model_;
}

void TPartStorageEditor::SetTree(PartStorageTree tree) {
    current_ = nullptr;
    model_ = std::move(tree);
    rebuild();
    fillingValue_ = true;
    if (value_)
        value_->setText(QString());
    fillingValue_ = false;
    syncing_ = true;
    for (int i = 0; i < attrs_->count(); ++i)
        attrs_->setChecked(i, false);
    syncing_ = false;
}

// ---- view ----

std::string TPartStorageEditor::bytes(const QString& text) const {
    return codec_ ? codec_->encode(text) : text.toStdString();
}

QString TPartStorageEditor::shown(const std::string& text) const {
    return codec_ ? codec_->decode(text) : QString::fromStdString(text);
}

void TPartStorageEditor::fillItem(QTreeWidgetItem* item, PartStorageNode* node) {
    item->setText(0, shown(node->caption));
    item->setText(1, shown(node->value).simplified());
    item->setText(2, shown(node->attrColumn));
    item->setData(0, kNodeRole, QVariant::fromValue(reinterpret_cast<quintptr>(node)));
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    for (int i = 0; i < node->ChildCount(); ++i)
        fillItem(new QTreeWidgetItem(item), node->Child(i));
}

void TPartStorageEditor::rebuild() {
    // Expanded nodes stay expanded across rebuilds.
    std::vector<PartStorageNode*> expanded;
    for (QTreeWidgetItemIterator it(tree_); *it; ++it)
        if ((*it)->isExpanded())
            expanded.push_back(nodeOf(*it));
    syncing_ = true;
    tree_->blockSignals(true);
    tree_->clear();
    for (int i = 0; i < model_.Root().ChildCount(); ++i)
        fillItem(new QTreeWidgetItem(tree_), model_.Root().Child(i));
    for (PartStorageNode* n : expanded)
        if (QTreeWidgetItem* item = itemOf(n))
            item->setExpanded(true);
    if (QTreeWidgetItem* item = itemOf(current_))
        tree_->setCurrentItem(item);
    tree_->blockSignals(false);
    syncing_ = false;
    tree_->resizeColumnToContents(0);
}

QTreeWidgetItem* TPartStorageEditor::itemOf(PartStorageNode* node) const {
    if (!node)
        return nullptr;
    for (QTreeWidgetItemIterator it(tree_); *it; ++it)
        if (nodeOf(*it) == node)
            return *it;
    return nullptr;
}

PartStorageNode* TPartStorageEditor::nodeOf(QTreeWidgetItem* item) const {
    return item ? reinterpret_cast<PartStorageNode*>(item->data(0, kNodeRole).value<quintptr>()) : nullptr;
}

// ---- selection ----

void TPartStorageEditor::selectNode(PartStorageNode* node) {
    QTreeWidgetItem* item = itemOf(node);
    if (item)
        tree_->setCurrentItem(item);
    else if (!node)
        onCurrentItemChanged(nullptr);
}

void TPartStorageEditor::onCurrentItemChanged(QTreeWidgetItem* current) {
    if (syncing_)
        return;
    PartStorageNode* next = nodeOf(current);
    if (next == current_)
        return;
    storeEditorValue(current_);
    current_ = next;
    showNode(current_);
    if (selectionChanged_)
        selectionChanged_();
}

void TPartStorageEditor::storeEditorValue(PartStorageNode* node) {
    if (!node || !value_)
        return;
    try {
        node->value = StoredValueOf(bytes(value_->text()));
    } catch (const std::exception& e) {
        Dialogs().Show(MsgKind::Error, e.what());
    }
    if (QTreeWidgetItem* item = itemOf(node)) {
        QSignalBlocker block(tree_);
        item->setText(1, shown(node->value).simplified());
    }
}

void TPartStorageEditor::showNode(PartStorageNode* node) {
    fillingValue_ = true;
    if (value_)
        value_->setText(node ? shown(node->value) : QString());
    fillingValue_ = false;
    syncing_ = true;
    std::vector<bool> on = node ? CheckedAttributeItems(*node, attrs_->items())
                                : std::vector<bool>(size_t(attrs_->count()), false);
    for (int i = 0; i < attrs_->count(); ++i)
        attrs_->setChecked(i, on[size_t(i)]);
    syncing_ = false;
}

void TPartStorageEditor::onValueEdited() {
    if (fillingValue_ || !current_)
        return;
    try {
        current_->value = StoredValueOf(bytes(value_->text()));
    } catch (const std::exception&) {
        // Reported when the value is stored for good (selection change, save).
        return;
    }
    if (QTreeWidgetItem* item = itemOf(current_)) {
        QSignalBlocker block(tree_);
        item->setText(1, shown(current_->value).simplified());
    }
}

void TPartStorageEditor::onChecksChanged() {
    if (syncing_ || !current_)
        return;
    ReplaceAttributes(*current_, attrs_->items(), attrs_->checkedStates());
    if (QTreeWidgetItem* item = itemOf(current_)) {
        QSignalBlocker block(tree_);
        item->setText(2, shown(current_->attrColumn));
    }
}

// ---- captions ----

void TPartStorageEditor::onItemChanged(QTreeWidgetItem* item, int column) {
    if (syncing_ || column != 0)
        return;
    finishCaptionEdit(nodeOf(item), item->text(0));
}

void TPartStorageEditor::finishCaptionEdit(PartStorageNode* node, const QString& typed) {
    if (!node)
        return;
    try {
        node->caption = CleanCaption(bytes(typed));
    } catch (const std::exception& e) {
        Dialogs().Show(MsgKind::Error, e.what());
    }
    if (QTreeWidgetItem* item = itemOf(node)) {
        QSignalBlocker block(tree_);
        item->setText(0, shown(node->caption));
    }
    keepSorted(node->Parent());
}

void TPartStorageEditor::startEdit(PartStorageNode* node) {
    if (QTreeWidgetItem* item = itemOf(node)) {
        tree_->setFocus();
        tree_->scrollToItem(item);
        tree_->editItem(item, 0);
    }
}

void TPartStorageEditor::keepSorted(PartStorageNode* parent) {
    if (sortMode_ != PartStorageSortMode::Automatic || !parent)
        return;
    SortSubtree(*parent);
    rebuild();
}

// ---- commands ----

void TPartStorageEditor::addNode() {
    storeEditorValue(current_);
    PartStorageNode* node = AddNode(model_, current_);
    keepSorted(node->Parent());
    rebuild();
    selectNode(node);
    startEdit(node);
}

void TPartStorageEditor::addChildNode() {
    if (!current_)
        return;
    storeEditorValue(current_);
    PartStorageNode* node = AddChildNode(*current_);
    keepSorted(node->Parent());
    rebuild();
    if (QTreeWidgetItem* parent = itemOf(node->Parent()))
        parent->setExpanded(true);
    selectNode(node);
    startEdit(node);
}

void TPartStorageEditor::deleteNode() {
    if (!current_)
        return;
    QString question = "Delete node <" + shown(current_->caption) + ">";
    if (Dialogs().Ask(MsgKind::Confirmation, question.toStdString(), MsgButtons::YesNo) != MsgResult::Yes)
        return;
    PartStorageNode* doomed = current_;
    PartStorageNode* next = doomed->NextSibling();
    if (!next)
        next = doomed->PreviousSibling();
    if (!next && doomed->Parent() != &model_.Root())
        next = doomed->Parent();
    current_ = nullptr;
    DeleteNode(*doomed);
    rebuild();
    showNode(nullptr);
    if (next)
        selectNode(next);
    else if (selectionChanged_)
        selectionChanged_();
}

void TPartStorageEditor::renameNode() {
    startEdit(current_);
}

void TPartStorageEditor::moveLeft() {
    if (current_ && MoveLeft(*current_)) {
        keepSorted(current_->Parent());
        rebuild();
    }
}

void TPartStorageEditor::moveRight() {
    if (current_ && MoveRight(*current_)) {
        keepSorted(current_->Parent());
        rebuild();
        if (QTreeWidgetItem* parent = itemOf(current_->Parent()))
            parent->setExpanded(true);
    }
}

void TPartStorageEditor::moveUp() {
    if (current_ && MoveUp(*current_))
        rebuild();
}

void TPartStorageEditor::moveDown() {
    if (current_ && MoveDown(*current_))
        rebuild();
}

void TPartStorageEditor::sortSubtree() {
    if (current_ && current_->HasChildren()) {
        SortSubtree(*current_);
        rebuild();
    }
}

void TPartStorageEditor::sortTotalTree() {
    SortTotalTree(model_);
    rebuild();
}

void TPartStorageEditor::setSortMode(PartStorageSortMode mode) {
    sortMode_ = mode;
    actSortAuto_->setChecked(mode == PartStorageSortMode::Automatic);
    if (mode == PartStorageSortMode::Automatic)
        sortTotalTree();
}

void TPartStorageEditor::expandAll() {
    tree_->expandAll();
}

void TPartStorageEditor::collapseAll() {
    tree_->collapseAll();
}

// ---- toolbars ----

void TPartStorageEditor::setEditToolbarVisible(bool on) {
    editBar_->setVisible(on);
    syncToolbarActions();
}

void TPartStorageEditor::setSortToolbarVisible(bool on) {
    sortBar_->setVisible(on);
    syncToolbarActions();
}

void TPartStorageEditor::setToolbarBandVisible(bool on) {
    if (on) {
        editBar_->setVisible(true);
        sortBar_->setVisible(true);
    }
    band_->setVisible(on);
    syncToolbarActions();
}

bool TPartStorageEditor::editToolbarVisible() const {
    return !editBar_->isHidden();
}

bool TPartStorageEditor::sortToolbarVisible() const {
    return !sortBar_->isHidden();
}

bool TPartStorageEditor::toolbarBandVisible() const {
    return !band_->isHidden();
}

void TPartStorageEditor::syncToolbarActions() {
    if (editBar_->isHidden() && sortBar_->isHidden())
        band_->setVisible(false);
    actEditBar_->setChecked(!band_->isHidden() && !editBar_->isHidden());
    actSortBar_->setChecked(!band_->isHidden() && !sortBar_->isHidden());
    actViewToolbar_->setChecked(!band_->isHidden());
}

// ---- keys ----

bool TPartStorageEditor::eventFilter(QObject* watched, QEvent* event) {
    if (watched != tree_ || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    void (TPartStorageEditor::*run)() = nullptr;
    if (mods == Qt::NoModifier) {
        if (key->key() == Qt::Key_Insert)
            run = &TPartStorageEditor::addNode;
        else if (key->key() == Qt::Key_F2)
            run = &TPartStorageEditor::renameNode;
    } else if (mods == Qt::AltModifier && key->key() == Qt::Key_Insert) {
        run = &TPartStorageEditor::addChildNode;
    } else if (mods == Qt::ControlModifier) {
        switch (key->key()) {
        case Qt::Key_Delete: run = &TPartStorageEditor::deleteNode; break;
        case Qt::Key_Left: run = &TPartStorageEditor::moveLeft; break;
        case Qt::Key_Right: run = &TPartStorageEditor::moveRight; break;
        case Qt::Key_Up: run = &TPartStorageEditor::moveUp; break;
        case Qt::Key_Down: run = &TPartStorageEditor::moveDown; break;
        default: break;
        }
    }
    if (!run)
        return QWidget::eventFilter(watched, event);
    (this->*run)();
    return true;
}

} // namespace wpe
