#include "portal/HistoryPage.h"

#include <QDesktopServices>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace wpe {
namespace {

// Links in the history open in the system browser, not in the page.
class HistoryWebPage : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override
    {
        if (type == NavigationTypeLinkClicked && !url.isLocalFile()) {
            QDesktopServices::openUrl(url);
            return false;
        }
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    }
};

} // namespace

THistoryPage::THistoryPage(QWidget* parent) : QWidget(parent)
{
    setObjectName("HistoryPage");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

void THistoryPage::Load(const std::string& file)
{
    if (!view_) {
        view_ = new QWebEngineView(this);
        view_->setObjectName("wbHistory");
        view_->setPage(new HistoryWebPage(view_));
        view_->settings()->setAttribute(QWebEngineSettings::AutoLoadImages, true);
        view_->settings()->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
        layout()->addWidget(view_);
    }
    view_->setUrl(QUrl::fromLocalFile(QString::fromStdString(file)));
}

} // namespace wpe
