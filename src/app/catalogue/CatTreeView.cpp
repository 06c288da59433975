#include "catalogue/CatTreeView.h"

#include "catalogue/CatTreeModel.h"
#include "catalogue/CatalogueTree.h"
#include "shell/DragItem.h"

#include <QDrag>
#include <QDragMoveEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>

namespace wpe {

TCatTreeView::TCatTreeView(QWidget* parent) : QTreeView(parent)
{
    setHeaderHidden(true);
    setUniformRowHeights(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(true);
    // The view scrolls by one node itself while a drag hovers at an edge.
    setAutoScroll(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setSelectionMode(QAbstractItemView::SingleSelection);
    runDrag = [](QDrag& drag) { return drag.exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction); };
}

TCatTreeModel* TCatTreeView::CatModel() const { return qobject_cast<TCatTreeModel*>(model()); }

TCatNode* TCatTreeView::SelectedNode() const
{
    TCatTreeModel* m = CatModel();
    if (!m || !selectionModel())
        return nullptr;
    const QModelIndexList rows = selectionModel()->selectedRows();
    return rows.isEmpty() ? nullptr : m->Node(rows.first());
}

void TCatTreeView::SelectNode(const TCatNode* node)
{
    TCatTreeModel* m = CatModel();
    if (!m)
        return;
    if (!node) {
        selectionModel()->clearSelection();
        setCurrentIndex({});
        return;
    }
    for (const TCatNode* p = node->Parent(); p; p = p->Parent())
        expand(m->IndexOf(p));
    const QModelIndex index = m->IndexOf(node);
    setCurrentIndex(index);
    selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
    scrollTo(index);
}

void TCatTreeView::ShowExpansion()
{
    TCatTreeModel* m = CatModel();
    if (!m)
        return;
    m->Tree().ForEach([&](TCatNode* n) {
        if (n->IsCategory() && n->expanded)
            expand(m->IndexOf(n));
    });
}

void TCatTreeView::mousePressEvent(QMouseEvent* event)
{
    pressed_ = event->button() == Qt::LeftButton;
    pressPoint_ = event->position().toPoint();
    QTreeView::mousePressEvent(event);
}

void TCatTreeView::mouseMoveEvent(QMouseEvent* event)
{
    if (!pressed_ || !(event->buttons() & Qt::LeftButton) || state() == QAbstractItemView::EditingState) {
        QTreeView::mouseMoveEvent(event);
        return;
    }
    const QPoint delta = event->position().toPoint() - pressPoint_;
    const bool copy = event->modifiers() & Qt::ControlModifier;
    TCatNode* node = SelectedNode();
    if (canStartDrag && canStartDrag(node, delta.x(), delta.y(), copy)) {
        pressed_ = false;
        StartDrag(node, copy);
    }
}

void TCatTreeView::StartDrag(TCatNode* node, bool copy)
{
    dragged_ = node;
    copyDrag_ = copy;
    auto* drag = new QDrag(this);
    auto* mime = new QMimeData;
    const std::string item = node->Entry() ? node->Entry()->fileName : node->Text();
    mime->setData(kDragItemMimeType, QByteArray::fromStdString(EncodeDragItem({objectName().toStdString(), item})));
    drag->setMimeData(mime);
    if (copy)
        viewport()->setCursor(Qt::DragCopyCursor);
    runDrag(*drag);
    drag->deleteLater();
    viewport()->unsetCursor();
    dragged_ = nullptr;
    copyDrag_ = false;
}

bool TCatTreeView::Accepts(const QDropEvent* event, TCatNode** target) const
{
    if (!dragged_ || !canDrop || !event->mimeData()->hasFormat(kDragItemMimeType))
        return false;
    const auto payload = DecodeDragItem(event->mimeData()->data(kDragItemMimeType).toStdString());
    if (!payload)
        return false;
    TCatTreeModel* m = CatModel();
    *target = m ? m->Node(indexAt(event->position().toPoint())) : nullptr;
    return canDrop(payload->source, dragged_, *target, copyDrag_);
}

void TCatTreeView::ScrollAtEdges(const QPoint& pos)
{
    const QModelIndex index = indexAt(pos);
    if (!index.isValid())
        return;
    QScrollBar* bar = verticalScrollBar();
    const QRect rect = visualRect(index);
    if (rect.top() <= 0 && bar->value() > bar->minimum())
        bar->setValue(bar->value() - 1);
    else if (rect.bottom() + rect.height() >= viewport()->height() && bar->value() < bar->maximum())
        bar->setValue(bar->value() + 1);
}

void TCatTreeView::dragEnterEvent(QDragEnterEvent* event)
{
    TCatNode* target = nullptr;
    // Entering is accepted for our own drags so that moves get reported;
    // each position then decides.
    if (dragged_ && event->mimeData()->hasFormat(kDragItemMimeType))
        event->acceptProposedAction();
    else if (Accepts(event, &target))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TCatTreeView::dragMoveEvent(QDragMoveEvent* event)
{
    ScrollAtEdges(event->position().toPoint());
    TCatNode* target = nullptr;
    if (Accepts(event, &target)) {
        event->setDropAction(copyDrag_ ? Qt::CopyAction : Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void TCatTreeView::dragLeaveEvent(QDragLeaveEvent* event) { event->accept(); }

void TCatTreeView::dropEvent(QDropEvent* event)
{
    TCatNode* target = nullptr;
    if (!Accepts(event, &target)) {
        event->ignore();
        return;
    }
    event->setDropAction(copyDrag_ ? Qt::CopyAction : Qt::MoveAction);
    event->accept();
    if (drop)
        drop(dragged_, target, copyDrag_);
}

} // namespace wpe
