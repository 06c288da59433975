#include "portal/ZoneList.h"

#include "portal/ZoneDesk.h"
#include "shell/DragItem.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>

namespace wpe {
namespace {

std::optional<TDragItem> DragOf(const QMimeData* mime)
{
    if (!mime || !mime->hasFormat(kDragItemMimeType))
        return std::nullopt;
    return DecodeDragItem(mime->data(kDragItemMimeType).toStdString());
}

} // namespace

TZoneList::TZoneList(int zone, int columns, QWidget* parent)
    : QListWidget(parent), zone_(zone), columns_(columns < 1 ? 1 : columns)
{
    setObjectName(QString("zone%1").arg(zone));
    setProperty("tag", zone);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    if (columns_ > 1) {
        // Entries run down a column and on into the next, like a multi-column list box.
        setFlow(QListView::TopToBottom);
        setWrapping(true);
        setResizeMode(QListView::Adjust);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    }
    connect(this, &QListWidget::itemDoubleClicked, this, [this] { emit openRequested(); });
}

void TZoneList::SetEntries(const std::vector<std::string>& entries, std::optional<std::size_t> select)
{
    clear();
    for (const std::string& entry : entries)
        addItem(QString::fromStdString(entry));
    if (select && *select < entries.size())
        setCurrentRow(static_cast<int>(*select));
    else
        setCurrentRow(-1);
}

std::optional<std::size_t> TZoneList::SelectedRow() const
{
    const QList<QListWidgetItem*> items = selectedItems();
    if (items.isEmpty())
        return std::nullopt;
    return static_cast<std::size_t>(row(items.front()));
}

std::optional<std::size_t> TZoneList::RowAt(const QPoint& point) const
{
    const QModelIndex index = indexAt(point);
    if (!index.isValid())
        return std::nullopt;
    return static_cast<std::size_t>(index.row());
}

void TZoneList::startDrag(Qt::DropActions)
{
    QListWidgetItem* item = currentItem();
    if (!item)
        return;
    auto* mime = new QMimeData;
    const std::string payload = EncodeDragItem({objectName().toStdString(), item->text().toStdString()});
    mime->setData(kDragItemMimeType, QByteArray::fromStdString(payload));
    auto* drag = new QDrag(this);
    drag->setMimeData(mime);
    drag->exec(Qt::MoveAction);
}

bool TZoneList::Accepts(const QMimeData* mime, const QPoint& point) const
{
    const std::optional<TDragItem> drag = DragOf(mime);
    if (!drag)
        return false;
    const std::optional<std::size_t> hit = RowAt(point);
    std::string under;
    if (hit)
        under = item(static_cast<int>(*hit))->text().toStdString();
    return AcceptZoneDrag(drag->source, objectName().toStdString(), drag->item, hit ? &under : nullptr);
}

void TZoneList::dragEnterEvent(QDragEnterEvent* event)
{
    // Refusal is decided per position in dragMoveEvent; the enter only checks the payload.
    if (DragOf(event->mimeData()) && IsZoneDragSource(DragOf(event->mimeData())->source))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TZoneList::dragMoveEvent(QDragMoveEvent* event)
{
    if (Accepts(event->mimeData(), event->position().toPoint()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TZoneList::dropEvent(QDropEvent* event)
{
    const QPoint point = event->position().toPoint();
    if (!Accepts(event->mimeData(), point)) {
        event->ignore();
        return;
    }
    // The designer rebuilds the lists itself; the view does not move items.
    event->acceptProposedAction();
    emit itemDropped(*DragOf(event->mimeData()), point);
}

void TZoneList::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
        emit deletePressed();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void TZoneList::resizeEvent(QResizeEvent* event)
{
    QListWidget::resizeEvent(event);
    UpdateGrid();
}

void TZoneList::UpdateGrid()
{
    if (columns_ <= 1)
        return;
    const int width = viewport()->width() / columns_;
    const int height = fontMetrics().height() + 4;
    if (width > 0)
        setGridSize(QSize(width, height));
}

} // namespace wpe
