#pragma once
// The status bar service: the one place that writes the main window's four
// status panels and its caption. Editors and the Portal tab call it whenever
// their state changes.

#include "shell/StatusBarState.h"

#include <QStatusBar>

#include <string>

class QAction;
class QLabel;

namespace wpe {

class TMainStatusBar : public QStatusBar {
    Q_OBJECT
public:
    // captionWindow gets the caption; saveAction follows the modified flag.
    TMainStatusBar(QWidget* captionWindow, QAction* saveAction, QWidget* parent = nullptr);

    void Reset();
    void SetModified(bool modified);
    // 0 "Insert", 1 "Overwrite", 2 nothing; other values change nothing.
    void SetInsertMode(int mode);
    // The caret column; with SetCaretY the position panel reads "X : Y".
    void SetCaretX(int n);
    // The caret line.
    void SetCaretY(int n);
    // The window caption becomes "Ombrelio Developer Toolkit - [" + name + "]".
    void SetDocumentName(const std::string& name);
    // Free text in the fourth panel.
    void SetMessage(const std::string& text);

    const StatusBarState& State() const { return state_; }

private:
    void Show();

    StatusBarState state_;
    QWidget* captionWindow_;
    QAction* saveAction_;
    QLabel* position_;
    QLabel* modified_;
    QLabel* mode_;
    QLabel* message_;
};

} // namespace wpe
