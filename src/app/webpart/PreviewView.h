#pragma once
// The rendered preview of a web part. Links the user follows leave the
// preview and go to the link handler (the system browser), so the preview
// always shows the part.

#include <QWebEngineView>

#include <functional>

namespace wpe {

class TPreviewView : public QWebEngineView {
    Q_OBJECT
public:
    explicit TPreviewView(QWidget* parent = nullptr);

    // Where followed links go.
    void setLinkHandler(std::function<void(const QUrl&)> handler);
    // Shows html; relative references resolve against base.
    void showHtml(const QString& html, const QUrl& base);

private:
    std::function<void(const QUrl&)> linkHandler_;
};

} // namespace wpe
