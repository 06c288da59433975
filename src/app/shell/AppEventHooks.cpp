#include "shell/AppEventHooks.h"

#include "shell/MainStatusBar.h"

#include <Qsci/qsciscintilla.h>

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>

namespace wpe {

TMessageHook::TMessageHook(TMainStatusBar& statusBar, QObject* parent) : QObject(parent), statusBar_(statusBar) {}

bool TMessageHook::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && watched->isWidgetType() &&
        !statusBar_.State().MessageText().empty())
        statusBar_.SetMessage("");
    return false;  // the release goes on unchanged
}

TTextDropTarget::TTextDropTarget(QWidget* pane, QObject* parent) : QObject(parent), pane_(pane) {}

QWidget* TTextDropTarget::DropTargetAt(QWidget* widget)
{
    for (QWidget* w = widget; w; w = w->parentWidget()) {
        if (auto* line = qobject_cast<QLineEdit*>(w))
            return line->isReadOnly() || !line->isEnabled() ? nullptr : line;
        if (auto* sci = qobject_cast<QsciScintilla*>(w))
            return sci->isReadOnly() ? nullptr : sci;
        // The source editor draws into a viewport child; other controls end the search.
        if (w != widget)
            break;
    }
    return nullptr;
}

void TTextDropTarget::InsertText(QWidget* target, const QString& text)
{
    if (auto* line = qobject_cast<QLineEdit*>(target)) {
        line->insert(text);
        line->setFocus();
    } else if (auto* sci = qobject_cast<QsciScintilla*>(target)) {
        sci->replaceSelectedText(text);
        sci->setFocus();
    }
}

bool TTextDropTarget::eventFilter(QObject* watched, QEvent* event)
{
    QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || (widget != pane_ && !pane_->isAncestorOf(widget)))
        return false;
    auto* drop = static_cast<QDropEvent*>(event);
    QWidget* target = drop->mimeData()->hasText() ? DropTargetAt(widget) : nullptr;
    if (!target) {
        drop->ignore();
        return true;  // no drop anywhere else in the pane
    }
    drop->setDropAction(Qt::CopyAction);
    drop->accept();
    if (type == QEvent::Drop)
        InsertText(target, drop->mimeData()->text());
    return true;
}

} // namespace wpe
