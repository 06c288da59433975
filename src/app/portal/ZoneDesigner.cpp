#include "portal/ZoneDesigner.h"

#include "portal/BaseITF.h"
#include "portal/PortalHost.h"
#include "portal/ZoneList.h"
#include "shell/CatalogueSelection.h"
#include "shell/DragItem.h"
#include "util/Dialogs.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QVBoxLayout>

namespace wpe {
namespace {

// The zone strips and columns are part of the main window's kept state.
class ZoneSizes : public QSettings {
public:
    ZoneSizes() : QSettings(QSettings::NativeFormat, QSettings::UserScope, "Orlendt", "WebParts Editor")
    {
        beginGroup("MainForm");
    }
};

constexpr int kEntryColumns[5] = {3, 1, 2, 1, 3};

} // namespace

TZoneDesigner::TZoneDesigner(const TPortalHost& host, QWidget* parent) : QWidget(parent), host_(host)
{
    setObjectName("ZoneDesigner");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    rows_ = new QSplitter(Qt::Vertical, this);
    rows_->setObjectName("splZoneRows");
    rows_->setChildrenCollapsible(false);
    columns_ = new QSplitter(Qt::Horizontal, rows_);
    columns_->setObjectName("splZoneColumns");
    columns_->setChildrenCollapsible(false);

    rows_->addWidget(ZonePanel(1, kEntryColumns[0], rows_));
    rows_->addWidget(columns_);
    rows_->addWidget(ZonePanel(5, kEntryColumns[4], rows_));
    for (int zone = 2; zone <= 4; ++zone)
        columns_->addWidget(ZonePanel(zone, kEntryColumns[zone - 1], columns_));
    rows_->setStretchFactor(1, 1);
    columns_->setStretchFactor(1, 1);
    rows_->setSizes({120, 300, 120});
    columns_->setSizes({180, 300, 180});
    layout->addWidget(rows_);

    connect(rows_, &QSplitter::splitterMoved, this, [this] { SaveSizes(); });
    connect(columns_, &QSplitter::splitterMoved, this, [this] { SaveSizes(); });
}

QWidget* TZoneDesigner::ZonePanel(int zone, int columns, QWidget* parent)
{
    auto* panel = new QWidget(parent);
    panel->setObjectName(QString("pnlZone%1").arg(zone));
    auto* grid = new QVBoxLayout(panel);
    grid->setContentsMargins(2, 2, 2, 2);
    auto* label = new QLabel(QString("Zone%1").arg(zone), panel);
    label->setObjectName(QString("lblZone%1").arg(zone));
    grid->addWidget(label);

    auto* row = new QHBoxLayout;
    auto* list = new TZoneList(zone, columns, panel);
    lists_[static_cast<std::size_t>(zone - 1)] = list;
    label->setBuddy(list);
    row->addWidget(list, 1);
    auto* buttons = new QVBoxLayout;
    auto* up = new QPushButton("Up", panel);
    up->setObjectName(QString("btnUp%1").arg(zone));
    auto* down = new QPushButton("Dn", panel);
    down->setObjectName(QString("btnDn%1").arg(zone));
    for (QPushButton* b : {up, down}) {
        b->setFixedWidth(36);
        b->setFocusPolicy(Qt::NoFocus);
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    row->addLayout(buttons);
    grid->addLayout(row, 1);

    connect(up, &QPushButton::clicked, this, [this, list] { MoveWebPartInZone(list, true); });
    connect(down, &QPushButton::clicked, this, [this, list] { MoveWebPartInZone(list, false); });
    connect(list, &TZoneList::deletePressed, this, [this, list] { DeleteSelected(list); });
    connect(list, &TZoneList::openRequested, this, [this, list] { OpenSelected(list); });
    connect(list, &TZoneList::itemDropped, this,
            [this, list](const TDragItem& drag, const QPoint& point) { DropOnList(list, drag, point); });
    return panel;
}

TZoneList* TZoneDesigner::List(int zone) const
{
    return zone >= 1 && zone <= 5 ? lists_[static_cast<std::size_t>(zone - 1)] : nullptr;
}

void TZoneDesigner::Show(int zone, std::optional<std::size_t> select)
{
    if (TZoneList* list = List(zone))
        list->SetEntries(desk_.Entries(zone), select);
}

// A failed library call: say why, then show the desk as it now is.
void TZoneDesigner::Fail(const std::exception& e)
{
    Dialogs().Show(MsgKind::Error, e.what());
    RefreshZones();
}

std::string TZoneDesigner::RefreshZones()
{
    std::string failure = desk_.RefreshZones();
    for (int zone = 1; zone <= 5; ++zone)
        Show(zone);
    emit listsChanged();
    return failure;
}

void TZoneDesigner::AddFromCatalogue(const ICatalogueSelection* catalogue)
{
    if (!catalogue)
        return;
    const std::optional<TSelectedPart> choice = catalogue->SelectedPart();
    if (!choice)
        return;
    try {
        if (int zone = desk_.AddWebPart(choice->filePath, choice->zone)) {
            Show(zone, desk_.Entries(zone).size() - 1);
            emit listsChanged();
        }
    } catch (const std::exception& e) {
        Fail(e);
    }
}

void TZoneDesigner::DropOnList(TZoneList* target, const TDragItem& drag, const QPoint& point)
{
    const int targetZone = target->Zone();
    try {
        std::optional<std::size_t> moved;
        if (IsFileDragSource(drag.source)) {
            const std::optional<std::size_t> last = desk_.InsertDropped(drag.item, targetZone);
            if (!last)
                return;
            // The new entry takes a row of its own; the row under the point is read after it appeared.
            Show(targetZone);
            target->doItemsLayout();
            moved = desk_.Drop(targetZone, *last, targetZone, target->RowAt(point));
        } else {
            const int sourceZone = ZoneOfListName(drag.source);
            const TZoneEntries& entries = desk_.Entries(sourceZone);
            const auto at = std::find(entries.begin(), entries.end(), drag.item);
            if (at == entries.end())
                return;
            const auto index = static_cast<std::size_t>(at - entries.begin());
            moved = desk_.Drop(sourceZone, index, targetZone, target->RowAt(point));
            if (sourceZone != targetZone)
                Show(sourceZone);
        }
        Show(targetZone, moved);
        emit listsChanged();
    } catch (const std::exception& e) {
        Fail(e);
    }
}

void TZoneDesigner::MoveWebPartInZone(TZoneList* list, bool up)
{
    const std::optional<std::size_t> selected = list->SelectedRow();
    if (!selected)
        return;
    try {
        Show(list->Zone(), desk_.MoveInZone(list->Zone(), selected, up));
    } catch (const std::exception& e) {
        Fail(e);
    }
}

void TZoneDesigner::DeleteSelected(TZoneList* list)
{
    const std::optional<std::size_t> selected = list->SelectedRow();
    if (!selected)
        return;
    try {
        Show(list->Zone(), desk_.DeleteEntry(list->Zone(), *selected));
        emit listsChanged();
    } catch (const std::exception& e) {
        Fail(e);
    }
}

void TZoneDesigner::DeleteZoneSelection(TZoneList* list)
{
    if (!list || !list->hasFocus())
        return;
    const std::optional<std::size_t> selected = list->SelectedRow();
    if (!selected)
        return;
    const std::string entry = desk_.Entries(list->Zone())[*selected];
    if (Dialogs().Ask(MsgKind::Confirmation, "Are you sure to delete module \"" + entry + "\"",
                      MsgButtons::OkCancel) != MsgResult::Ok)
        return;
    DeleteSelected(list);
}

void TZoneDesigner::OpenSelected(TZoneList* list)
{
    const std::optional<std::size_t> selected = list->SelectedRow();
    if (!selected)
        return;
    const std::string id = desk_.Entries(list->Zone())[*selected];
    std::string file;
    try {
        file = GetFNameFromID(id);
    } catch (const std::exception& e) {
        Dialogs().Show(MsgKind::Error, e.what());
        return;
    }
    if (host_.openWebPart)
        host_.openWebPart(file);
}

// ---- sizes kept between runs ----

void TZoneDesigner::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    RestoreSizes();
}

void TZoneDesigner::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    RestoreSizes();
}

// The stored sizes fit only once the page has its full size, so each
// splitter takes them at the first chance they fit, and only then.
void TZoneDesigner::RestoreSizes()
{
    if (!isVisible() || (rowsRestored_ && columnsRestored_))
        return;
    ZoneSizes s;
    auto apply = [](QSplitter* splitter, const QVariant& firstValue, const QVariant& lastValue) {
        if (!firstValue.isValid() || !lastValue.isValid())
            return true;  // nothing stored
        const int first = firstValue.toInt(), last = lastValue.toInt();
        const QList<int> now = splitter->sizes();
        const int total = now.value(0) + now.value(1) + now.value(2);
        if (first <= 0 || last <= 0 || first + last >= total)
            return false;
        splitter->setSizes({first, total - first - last, last});
        return true;
    };
    if (!rowsRestored_)
        rowsRestored_ = apply(rows_, s.value("Zone1Height"), s.value("Zone5Height"));
    if (!columnsRestored_)
        columnsRestored_ = apply(columns_, s.value("Zone2Width"), s.value("Zone4Width"));
}

void TZoneDesigner::SaveSizes() const
{
    ZoneSizes s;
    const QList<int> rows = rows_->sizes(), columns = columns_->sizes();
    s.setValue("Zone1Height", rows.value(0));
    s.setValue("Zone5Height", rows.value(2));
    s.setValue("Zone2Width", columns.value(0));
    s.setValue("Zone4Width", columns.value(2));
}

} // namespace wpe
