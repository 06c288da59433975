#include "shell/PortalTab.h"

#include "portal/BaseITF.h"
#include "portal/DeskSourcePage.h"
#include "portal/HistoryPage.h"
#include "portal/SkinsProfilesPage.h"
#include "portal/ZoneDesigner.h"
#include "portal/ZoneList.h"
#include "shell/DocumentKinds.h"
#include "util/Dialogs.h"

#include <QLabel>
#include <QTabBar>
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

    designer_ = new TZoneDesigner(host_);
    deskSource_ = new TDeskSourcePage([this] { return RefreshZones(); });
    skinsProfiles_ = new TSkinsProfilesPage(host_);
    history_ = new THistoryPage;

    AddPage("tabDesigner", "Designer", designer_);
    deskIndex_ = AddPage("tabDeskSource", "desk.xml", deskSource_);
    AddPage("tabSkinsProfiles", "Skins/Profiles", skinsProfiles_);
    // The running portal's commands put their preview into this page.
    AddPage("tabPreview", "Preview", new QWidget);
    historyIndex_ = AddPage("tabHistory", "History", history_);
    pages_->setTabVisible(historyIndex_, false);
    pages_->setCurrentIndex(0);

    connect(pages_, &QTabWidget::currentChanged, this, &TPortalTab::CurrentChanged);
    connect(designer_, &TZoneDesigner::listsChanged, this, &TPortalTab::statusChanged);
    connect(deskSource_, &TDeskSourcePage::statusChanged, this, [this] {
        if (pages_->currentIndex() == deskIndex_)
            emit statusChanged();
    });
    connect(skinsProfiles_, &TSkinsProfilesPage::profileChanged, this, [this] { RefreshZones(); });
}

void TPortalTab::SetHost(TPortalHost host)
{
    host_ = std::move(host);
}

int TPortalTab::AddPage(const char* name, const QString& caption, QWidget* content)
{
    auto* page = new QWidget(pages_);
    page->setObjectName(name);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    content->setParent(page);
    layout->addWidget(content);
    return pages_->addTab(page, caption);
}

// Leaving the desk source with changes asks first; Cancel returns to it.
void TPortalTab::CurrentChanged(int index)
{
    if (reverting_)
        return;
    if (shownIndex_ == deskIndex_ && index != deskIndex_ && !deskSource_->QueryLeave()) {
        reverting_ = true;
        pages_->setCurrentIndex(deskIndex_);
        reverting_ = false;
        return;
    }
    shownIndex_ = index;
    if (index == deskIndex_)
        deskSource_->LoadFile((host_.folders ? host_.folders().PortalDir : std::string()) + "desk.xml");
    emit pageChanged();
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
            return pages_->currentIndex() == i;
        }
    }
    return false;
}

void TPortalTab::CyclePage(bool forward)
{
    int next = pages_->currentIndex();
    for (int tries = 0; tries < pages_->count(); ++tries) {
        next = CyclePageIndex(next, pages_->count(), forward);
        if (next < 0)
            return;
        if (pages_->isTabVisible(next)) {
            pages_->setCurrentIndex(next);
            return;
        }
    }
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

// ---- commands ----

std::string TPortalTab::RefreshZones()
{
    return designer_->RefreshZones();
}

void TPortalTab::RefreshSkins()
{
    skinsProfiles_->RefreshSkins();
}

void TPortalTab::RefreshProfiles()
{
    skinsProfiles_->RefreshProfiles();
}

void TPortalTab::RefreshLists()
{
    RefreshZones();
    RefreshSkins();
    RefreshProfiles();
}

void TPortalTab::AddToStartPage()
{
    designer_->AddFromCatalogue(catalogue_);
}

void TPortalTab::DeleteZoneSelection()
{
    for (int zone = 1; zone <= 5; ++zone)
        designer_->DeleteZoneSelection(designer_->List(zone));
}

bool TPortalTab::SaveDeskSource()
{
    if (pages_->currentIndex() != deskIndex_)
        return true;
    return deskSource_->Save();
}

bool TPortalTab::QueryClose()
{
    return pages_->currentIndex() != deskIndex_ || deskSource_->QueryLeave();
}

bool TPortalTab::RequireCurrentSkin()
{
    try {
        GetCurrentSkin();
        return true;
    } catch (const std::exception&) {
        Dialogs().Show(MsgKind::Warning, "Choose skin before generating portal!");
        if (host_.showPortalTab)
            host_.showPortalTab();
        ShowPage("Designer");
        return false;
    }
}

void TPortalTab::ShowHistory()
{
    pages_->setTabVisible(historyIndex_, true);
    if (host_.showPortalTab)
        host_.showPortalTab();
    pages_->setCurrentIndex(historyIndex_);
    if (pages_->currentIndex() == historyIndex_)
        history_->Load((host_.folders ? host_.folders().BinDir : std::string()) + "history.html");
}

void TPortalTab::FillDeskStatus(TMainStatusBar& bar) const
{
    deskSource_->FillStatus(bar);
}

} // namespace wpe
