#include "webpart/PreviewView.h"

#include <QWebEnginePage>

namespace wpe {

namespace {

class PreviewPage : public QWebEnginePage {
public:
    PreviewPage(std::function<void(const QUrl&)>* handler, QObject* parent)
        : QWebEnginePage(parent), handler_(handler) {}

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
        if (type == NavigationTypeLinkClicked) {
            if (*handler_)
                (*handler_)(url);
            return false;
        }
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    }

    // Links meant for a new window go the same way.
    QWebEnginePage* createWindow(WebWindowType) override {
        auto* sink = new QWebEnginePage(this);
        connect(sink, &QWebEnginePage::urlChanged, this, [this, sink](const QUrl& url) {
            if (*handler_)
                (*handler_)(url);
            sink->deleteLater();
        });
        return sink;
    }

private:
    std::function<void(const QUrl&)>* handler_;
};

} // namespace

TPreviewView::TPreviewView(QWidget* parent) : QWebEngineView(parent) {
    setPage(new PreviewPage(&linkHandler_, this));
}

void TPreviewView::setLinkHandler(std::function<void(const QUrl&)> handler) {
    linkHandler_ = std::move(handler);
}

void TPreviewView::showHtml(const QString& html, const QUrl& base) {
    setHtml(html, base);
}

} // namespace wpe
