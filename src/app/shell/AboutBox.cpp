#include "shell/AboutBox.h"

#include "shell/Resources.h"
#include "shell/VersionInfo.h"
#include "util/Paths.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWindow>
#include <QFontMetrics>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#ifndef WPE_VERSION_STRING
#define WPE_VERSION_STRING ""
#endif

namespace wpe {
namespace {

TAboutBox* gProgressTarget = nullptr;

constexpr int kPanelWidth = 281;
constexpr int kDialogPanelHeight = 163;
constexpr int kSplashPanelHeight = 203;

const char* const kSupportMail = "support@ombrelio.example";
const char* const kProductSite = "https://ombrelio.example/";

QLabel* AddLabel(QVBoxLayout* layout, QWidget* parent, const char* name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    layout->addWidget(label);
    return label;
}

QLabel* LinkLabel(QWidget* parent, const char* name, const QString& href, const QString& text)
{
    auto* label = new QLabel(QString("<a href=\"%1\">%2</a>").arg(href, text.toHtmlEscaped()), parent);
    label->setObjectName(name);
    label->setOpenExternalLinks(true);
    label->setTextInteractionFlags(Qt::TextBrowserInteraction);
    return label;
}

} // namespace

TAboutBox::TAboutBox(Mode mode, const TVersionInfo& version, QWidget* parent) : QDialog(parent)
{
    InitAppResources();
    setObjectName("AboutBox");
    setWindowTitle("About");
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);

    mainPanel_ = new QFrame(this);
    mainPanel_->setObjectName("MainPanel");
    mainPanel_->setAutoFillBackground(true);
    QPalette pal = mainPanel_->palette();
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::WindowText, Qt::black);
    mainPanel_->setPalette(pal);
    mainPanel_->setFrameShape(mode == Mode::Splash ? QFrame::Box : QFrame::NoFrame);
    outer->addWidget(mainPanel_);

    auto* body = new QVBoxLayout(mainPanel_);
    body->setContentsMargins(14, 12, 14, 10);
    body->setSpacing(4);

    QLabel* product = AddLabel(body, mainPanel_, "ProductName", "Ombrelio Developer Toolkit");
    QFont bold = product->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    product->setFont(bold);
    AddLabel(body, mainPanel_, "Version", QString::fromStdString(VersionText(version.FileVersion())));
    AddLabel(body, mainPanel_, "Copyright", "Copyright \u00A9 Orlendt");

    QLabel* comments = AddLabel(body, mainPanel_, "Comments", "For comments, bug reports and suggestions write to:");
    comments->setWordWrap(true);
    body->addWidget(LinkLabel(mainPanel_, "lblMail", QString("mailto:") + kSupportMail, kSupportMail));
    auto* siteRow = new QHBoxLayout;
    siteRow->addWidget(new QLabel("Visit our site:", mainPanel_));
    siteRow->addWidget(LinkLabel(mainPanel_, "lblSite", kProductSite, kProductSite));
    siteRow->addStretch();
    body->addLayout(siteRow);

    body->addStretch();
    lblOperation_ = AddLabel(body, mainPanel_, "lblOperation", "");
    lblProgress_ = AddLabel(body, mainPanel_, "lblProgress", "");
    lblProgress_->setMinimumWidth(0);
    lblProgress_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    okButton_ = new QPushButton("OK", mainPanel_);
    okButton_->setObjectName("OKButton");
    okButton_->setDefault(true);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton_);
    buttons->addStretch();
    body->addLayout(buttons);

    if (mode == Mode::Splash) {
        setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
        okButton_->hide();
        mainPanel_->setFixedSize(kPanelWidth, kSplashPanelHeight);
    } else {
        setModal(true);
        lblOperation_->hide();
        lblProgress_->hide();
        mainPanel_->setMinimumSize(kPanelWidth, kDialogPanelHeight);
    }
    setFixedSize(sizeHint());
}

TAboutBox::~TAboutBox()
{
    if (gProgressTarget == this)
        gProgressTarget = nullptr;
}

void TAboutBox::ShowSplash()
{
    show();
    QElapsedTimer waited;
    waited.start();
    while (windowHandle() && !windowHandle()->isExposed() && waited.elapsed() < 2000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    repaint();
}

void TAboutBox::SetOperation(const QString& text)
{
    lblOperation_->setText(text);
    if (isVisible())
        lblOperation_->repaint();
}

void TAboutBox::SetProgressPath(const std::string& path)
{
    QFontMetrics metrics(lblProgress_->font());
    int width = lblProgress_->contentsRect().width();
    if (width <= 0)
        width = mainPanel_->width() - 28;
    std::string shown = ShortenPath(path, width, [&](const std::string& s) {
        return metrics.horizontalAdvance(QString::fromStdString(s));
    });
    lblProgress_->setText(QString::fromStdString(shown));
}

void TAboutBox::PaintProgress()
{
    if (isVisible())
        lblProgress_->repaint();
}

TAboutBox* ProgressTarget() { return gProgressTarget; }
void SetProgressTarget(TAboutBox* box) { gProgressTarget = box; }

void ProgressCallback(const std::string& path)
{
    // A load passes thousands of files a second. Painting the splash and
    // running the queue for each cost ten times the reading, so both happen
    // at most every 20 ms; the line always holds the latest path.
    constexpr qint64 kPaintInterval = 20;
    static QElapsedTimer painted;
    if (gProgressTarget)
        gProgressTarget->SetProgressPath(path);
    if (painted.isValid() && painted.elapsed() < kPaintInterval)
        return;
    painted.start();
    if (gProgressTarget)
        gProgressTarget->PaintProgress();
    QApplication::processEvents();
}

void ShowStartupStep(const QString& text)
{
    if (gProgressTarget)
        gProgressTarget->SetOperation(text);
}

TVersionInfo ProgramVersionInfo()
{
    TVersionInfo::Strings s;
    s[vtCompanyName] = "Orlendt";
    s[vtFileDescription] = "Ombrelio Developer Toolkit";
    s[vtFileVersion] = WPE_VERSION_STRING;
    s[vtInternalName] = "wpeditor";
    s[vtLegalCopyright] = "Copyright (C) Orlendt";
    s[vtOriginalFileName] = "wpeditor";
    s[vtProductName] = "Ombrelio Developer Toolkit";
    s[vtProductVersion] = WPE_VERSION_STRING;
    std::string path = QApplication::instance() ? QApplication::applicationFilePath().toStdString() : "wpeditor";
    return TVersionInfo(path, s);
}

} // namespace wpe
