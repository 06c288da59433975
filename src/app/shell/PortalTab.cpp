#include "shell/PortalTab.h"

#include "shell/DocumentKinds.h"

#include <QLabel>
#include <QTabWidget>
#include <QVBoxLayout>

namespace wpe {

TPortalTab::TPortalTab(QWidget* parent) : QWidget(parent)
{
    setObjectName("tabPortal");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    pages_ = new QTabWidget(this);
    pages_->setObjectName("PortalPageControl");
    layout->addWidget(pages_);

    AddPage("tabDesigner", "Designer",
            "The zone designer is not available in this version.\n"
            "The desk's zones cannot be shown or edited here yet.");
    AddPage("tabDeskSource", "desk.xml",
            "The desk source editor is not available in this version.");
    AddPage("tabSkinsProfiles", "Skins/Profiles",
            "The skins and profiles lists are not available in this version.");
    AddPage("tabPreview", "Preview",
            "The portal preview is not available in this version.");
    connect(pages_, &QTabWidget::currentChanged, this, &TPortalTab::pageChanged);
}

QWidget* TPortalTab::AddPage(const char* name, const QString& caption, const QString& note)
{
    auto* page = new QWidget(pages_);
    page->setObjectName(name);
    auto* layout = new QVBoxLayout(page);
    auto* label = new QLabel(note, page);
    label->setObjectName(QString(name) + "Note");
    label->setAlignment(Qt::AlignCenter);
    label->setEnabled(false);
    layout->addWidget(label);
    pages_->addTab(page, caption);
    return page;
}

std::string TPortalTab::ActivePageName() const
{
    int i = pages_->currentIndex();
    return i < 0 ? std::string() : pages_->tabText(i).remove('&').toStdString();
}

bool TPortalTab::ShowPage(const std::string& caption)
{
    for (int i = 0; i < pages_->count(); ++i) {
        if (pages_->tabText(i).remove('&').toStdString() == caption) {
            pages_->setCurrentIndex(i);
            return true;
        }
    }
    return false;
}

void TPortalTab::CyclePage(bool forward)
{
    int next = CyclePageIndex(pages_->currentIndex(), pages_->count(), forward);
    if (next >= 0)
        pages_->setCurrentIndex(next);
}

void TPortalTab::SetPageContent(const std::string& caption, QWidget* content)
{
    for (int i = 0; i < pages_->count(); ++i) {
        if (pages_->tabText(i).remove('&').toStdString() != caption)
            continue;
        QWidget* page = pages_->widget(i);
        QLayout* layout = page->layout();
        while (QLayoutItem* item = layout->takeAt(0)) {
            delete item->widget();
            delete item;
        }
        content->setParent(page);
        layout->addWidget(content);
        return;
    }
}

} // namespace wpe
