#pragma once
// The "Designer" page of the Portal tab: the five zone lists with their
// labels, "Up"/"Dn" buttons and splitters. The desk rules live in TZoneDesk;
// this page turns clicks, keys and drops into its calls and shows the result.

#include "portal/ZoneDesk.h"

#include <QWidget>

#include <array>
#include <string>

class QSplitter;

namespace wpe {

class ICatalogueSelection;
class TZoneList;
struct TDragItem;
struct TPortalHost;

class TZoneDesigner : public QWidget {
    Q_OBJECT
public:
    TZoneDesigner(const TPortalHost& host, QWidget* parent = nullptr);

    TZoneList* List(int zone) const;
    const TZoneDesk& Desk() const { return desk_; }

    // Reloads the five lists from the desk; returns the failure that ended
    // the reload ("" when all were reloaded).
    std::string RefreshZones();
    // "Add to the Start Page": the catalogue's selected web part into its zone.
    void AddFromCatalogue(const ICatalogueSelection* catalogue);
    // The toolbar's Delete for one list: asks, then deletes its selected
    // entry, when the list has the focus and a selection.
    void DeleteZoneSelection(TZoneList* list);
    // "Up" / "Dn" of a list.
    void MoveWebPartInZone(TZoneList* list, bool up);
    // A drag with the shared payload dropped onto a list at point.
    void DropOnList(TZoneList* target, const TDragItem& drag, const QPoint& point);

signals:
    // The entries of a list changed (the toolbar's Delete follows them).
    void listsChanged();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* ZonePanel(int zone, int columns, QWidget* parent);
    void DeleteSelected(TZoneList* list);
    void OpenSelected(TZoneList* list);
    void Show(int zone, std::optional<std::size_t> select = std::nullopt);
    void Fail(const std::exception& e);
    void RestoreSizes();
    void SaveSizes() const;

    const TPortalHost& host_;
    TZoneDesk desk_;
    std::array<TZoneList*, 5> lists_{};
    QSplitter* rows_ = nullptr;     // zone 1 strip, columns, zone 5 strip
    QSplitter* columns_ = nullptr;  // zones 2, 3 and 4
    bool rowsRestored_ = false;
    bool columnsRestored_ = false;
};

} // namespace wpe
