#include "portal/PreviewPage.h"

#include <QDesktopServices>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

namespace wpe {

namespace {

constexpr int kMaxRetries = 20;       // the server usually answers within a second
constexpr int kRetryDelayMs = 250;

// Keeps the preview on the portal: other sites go to the system browser.
class TPortalPage : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;
    QUrl home;

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override
    {
        if (!isMainFrame || type == NavigationTypeTyped || type == NavigationTypeReload ||
            type == NavigationTypeBackForward || url.scheme() == "javascript" ||
            (url.host() == home.host() && url.port() == home.port()))
            return true;
        QDesktopServices::openUrl(url);
        return false;
    }
};

} // namespace

TPreviewPage::TPreviewPage(QWidget* parent) : QWidget(parent)
{
    setObjectName("PreviewPage");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    // An off-the-record profile of our own: no cache, nothing kept on disk.
    profile_ = new QWebEngineProfile(this);
    profile_->setHttpCacheType(QWebEngineProfile::NoCache);
    profile_->settings()->setAttribute(QWebEngineSettings::AutoLoadImages, true);
    profile_->settings()->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
    page_ = new TPortalPage(profile_, nullptr);
    view_ = new QWebEngineView(this);
    view_->setObjectName("PreviewBrowser");
    view_->setPage(page_);
    layout->addWidget(view_);
    connect(page_, &QWebEnginePage::loadFinished, this, &TPreviewPage::loadFinished);
}

TPreviewPage::~TPreviewPage()
{
    // The page must go before its profile.
    view_->setPage(nullptr);
    delete page_;
}

void TPreviewPage::Load(const QString& address)
{
    address_ = address;
    retries_ = 0;
    static_cast<TPortalPage*>(page_)->home = QUrl(address);
    page_->load(QUrl(address));
}

void TPreviewPage::loadFinished(bool ok)
{
    if (ok || address_.isEmpty() || retries_ >= kMaxRetries)
        return;
    ++retries_;
    QTimer::singleShot(kRetryDelayMs, this, [this] {
        if (!address_.isEmpty())
            page_->load(QUrl(address_));
    });
}

} // namespace wpe
