#pragma once
// The tree view of the browse and edit trees: starts drags of its own nodes
// (the payload names this view and the web part file, so the zone lists
// accept it too), scrolls by one node at its edges while a drag hovers, and
// asks its owner whether a drop is accepted and what it does.

#include <QPoint>
#include <QTreeView>

#include <functional>
#include <string>

class QDrag;

namespace wpe {

class TCatNode;
class TCatTreeModel;

class TCatTreeView : public QTreeView {
    Q_OBJECT
public:
    explicit TCatTreeView(QWidget* parent = nullptr);

    TCatTreeModel* CatModel() const;
    TCatNode* SelectedNode() const;
    // Selects node (expanding its parents) and scrolls to it; null clears.
    void SelectNode(const TCatNode* node);
    // Expands each node whose expanded flag is set (after a model reset).
    void ShowExpansion();

    // Whether a drag of node may begin after the pointer moved by (dx, dy).
    std::function<bool(const TCatNode* node, int dx, int dy, bool copy)> canStartDrag;
    // Whether the node being dragged may be dropped on target (null: empty space).
    std::function<bool(const std::string& source, const TCatNode* dragged, const TCatNode* target, bool copy)> canDrop;
    // The drop itself.
    std::function<void(TCatNode* dragged, TCatNode* target, bool copy)> drop;
    // Runs a drag; the default executes it. Tests put their own here.
    std::function<Qt::DropAction(QDrag& drag)> runDrag;

    bool CopyDrag() const { return copyDrag_; }
    bool IsEditing() const { return state() == QAbstractItemView::EditingState; }
    TCatNode* DraggedNode() const { return dragged_; }

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool Accepts(const QDropEvent* event, TCatNode** target) const;
    void ScrollAtEdges(const QPoint& pos);
    void StartDrag(TCatNode* node, bool copy);

    QPoint pressPoint_;
    bool pressed_ = false;
    bool copyDrag_ = false;
    TCatNode* dragged_ = nullptr;
};

} // namespace wpe
