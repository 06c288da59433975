#include "portal/SkinsProfilesPage.h"

#include "portal/PortalHost.h"
#include "util/Dialogs.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace wpe {
namespace {

std::optional<std::size_t> SelectedRow(const QListWidget* view)
{
    const int row = view->currentRow();
    if (row < 0 || !view->item(row)->isSelected())
        return std::nullopt;
    return static_cast<std::size_t>(row);
}

} // namespace

TSkinsProfilesPage::TSkinsProfilesPage(const TPortalHost& host, QWidget* parent) : QWidget(parent), host_(host)
{
    setObjectName("SkinsProfilesPage");
    skins_ = new QListWidget(this);
    skins_->setObjectName("lstSkins");
    profiles_ = new QListWidget(this);
    profiles_->setObjectName("lstProfiles");
    auto* setSkin = new QPushButton("Set as current skin", this);
    setSkin->setObjectName("btnSetSkin");
    auto* setProfile = new QPushButton("Set as current profile", this);
    setProfile->setObjectName("btnSetProfile");

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(Column("Skins:", skins_, setSkin));
    layout->addWidget(Column("Profiles:", profiles_, setProfile));

    for (QListWidget* list : {skins_, profiles_})
        list->installEventFilter(this);
    connect(setSkin, &QPushButton::clicked, this, &TSkinsProfilesPage::SetCurrentSkin);
    connect(setProfile, &QPushButton::clicked, this, &TSkinsProfilesPage::SetCurrentProfile);
    connect(skins_, &QListWidget::itemDoubleClicked, this, &TSkinsProfilesPage::OpenSelectedSkin);
    connect(profiles_, &QListWidget::itemDoubleClicked, this, &TSkinsProfilesPage::SetCurrentProfile);
}

QWidget* TSkinsProfilesPage::Column(const QString& caption, QListWidget* list, QPushButton* button)
{
    auto* column = new QWidget(this);
    auto* layout = new QVBoxLayout(column);
    auto* label = new QLabel(caption, column);
    label->setBuddy(list);
    layout->addWidget(label);
    layout->addWidget(list, 1);
    layout->addWidget(button, 0, Qt::AlignLeft);
    return column;
}

void TSkinsProfilesPage::Show(QListWidget* view, const TMarkedList& list)
{
    view->clear();
    for (const std::string& entry : list.entries)
        view->addItem(QString::fromStdString(entry));
    if (list.current)
        view->setCurrentRow(static_cast<int>(*list.current));
}

void TSkinsProfilesPage::RefreshSkins()
{
    try {
        skinList_ = LoadSkinList();
    } catch (const std::exception&) {
        skinList_ = {};
    }
    Show(skins_, skinList_);
}

void TSkinsProfilesPage::RefreshProfiles()
{
    try {
        profileList_ = LoadProfileList();
    } catch (const std::exception&) {
        profileList_ = {};
    }
    Show(profiles_, profileList_);
}

void TSkinsProfilesPage::SetCurrentSkin()
{
    try {
        if (SetCurrentSkinEntry(skinList_, SelectedRow(skins_)))
            Show(skins_, skinList_);
    } catch (const std::exception& e) {
        Dialogs().Show(MsgKind::Error, e.what());
        RefreshSkins();
    }
}

void TSkinsProfilesPage::SetCurrentProfile()
{
    try {
        if (!SetCurrentProfileEntry(profileList_, SelectedRow(profiles_)))
            return;
        Show(profiles_, profileList_);
    } catch (const std::exception& e) {
        Dialogs().Show(MsgKind::Error, e.what());
        RefreshProfiles();
        return;
    }
    emit profileChanged();
}

void TSkinsProfilesPage::OpenSelectedSkin()
{
    const std::optional<std::size_t> row = SelectedRow(skins_);
    if (!row || !host_.openSkin || !host_.folders)
        return;
    const std::string entry = skins_->item(static_cast<int>(*row))->text().toStdString();
    host_.openSkin(SkinFileOf(host_.folders().SkinsDir, NameOfEntry(entry)));
}

bool TSkinsProfilesPage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (watched == skins_)
                OpenSelectedSkin();
            else if (watched == profiles_)
                SetCurrentProfile();
            return watched == skins_ || watched == profiles_;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace wpe
