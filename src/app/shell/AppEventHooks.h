#pragma once
// Two window-wide services installed on the application: a left mouse
// button release anywhere clears the status bar's message panel, and text
// dragged over the right pane drops only into a one-line edit field or a
// source editor, replacing its selection.

#include <QObject>

class QWidget;

namespace wpe {

class TMainStatusBar;

class TMessageHook : public QObject {
    Q_OBJECT
public:
    explicit TMessageHook(TMainStatusBar& statusBar, QObject* parent = nullptr);
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TMainStatusBar& statusBar_;
};

class TTextDropTarget : public QObject {
    Q_OBJECT
public:
    // Covers pane and every control inside it.
    explicit TTextDropTarget(QWidget* pane, QObject* parent = nullptr);
    bool eventFilter(QObject* watched, QEvent* event) override;

    // The control under a drop at widget that takes text: a one-line edit
    // field that is not read-only, or a source editor; nullptr otherwise.
    static QWidget* DropTargetAt(QWidget* widget);
    // Puts text in place of target's selection.
    static void InsertText(QWidget* target, const QString& text);

private:
    QWidget* pane_;
};

} // namespace wpe
