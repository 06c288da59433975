#pragma once
// The hidden "History" page of the Portal tab: the program's change history,
// BIN/history.html, in a browser view made on first use.

#include <QWidget>

#include <string>

class QWebEngineView;

namespace wpe {

class THistoryPage : public QWidget {
    Q_OBJECT
public:
    explicit THistoryPage(QWidget* parent = nullptr);

    // Loads the file into the view, creating the view when needed.
    void Load(const std::string& file);
    QWebEngineView* View() const { return view_; }

private:
    QWebEngineView* view_ = nullptr;
};

} // namespace wpe
