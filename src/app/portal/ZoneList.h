#pragma once
// One zone list of the Designer page ("zone1".."zone5"): shows the zone's
// entries in a number of columns, starts drags of its entries with the shared
// payload and hands drops, keys and double-clicks to the designer.

#include <QListWidget>

#include <optional>
#include <string>

namespace wpe {

struct TDragItem;

class TZoneList : public QListWidget {
    Q_OBJECT
public:
    TZoneList(int zone, int columns, QWidget* parent = nullptr);

    int Zone() const { return zone_; }
    // Shows entries, selecting select when given (nothing selected otherwise).
    void SetEntries(const std::vector<std::string>& entries, std::optional<std::size_t> select);
    std::optional<std::size_t> SelectedRow() const;
    // The row under a point of the viewport; nullopt below or beside the entries.
    std::optional<std::size_t> RowAt(const QPoint& point) const;

signals:
    // A drag with the shared payload was dropped at point (viewport coordinates).
    void itemDropped(const TDragItem& drag, const QPoint& point);
    void deletePressed();
    void openRequested();

protected:
    void startDrag(Qt::DropActions actions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool Accepts(const QMimeData* mime, const QPoint& point) const;
    void UpdateGrid();

    int zone_;
    int columns_;
};

} // namespace wpe
