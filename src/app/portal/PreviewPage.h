#pragma once
// The Portal tab's "Preview" page: the running portal in an embedded
// browser that never answers from its cache, so every visit asks the server.
// Links to other sites open in the system browser.

#include <QWidget>

class QWebEngineProfile;
class QWebEnginePage;
class QWebEngineView;

namespace wpe {

class TPreviewPage : public QWidget {
    Q_OBJECT
public:
    explicit TPreviewPage(QWidget* parent = nullptr);
    ~TPreviewPage() override;

    // Loads the address; while the server is still starting, the load is
    // tried again a few times.
    void Load(const QString& address);
    QWebEngineView* View() const { return view_; }

private:
    void loadFinished(bool ok);

    QWebEngineProfile* profile_ = nullptr;
    QWebEnginePage* page_ = nullptr;
    QWebEngineView* view_ = nullptr;
    QString address_;
    int retries_ = 0;
};

} // namespace wpe
