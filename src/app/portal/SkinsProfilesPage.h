#pragma once
// The "Skins/Profiles" page of the Portal tab: the skins and the profiles of
// the portal, the current one of each marked, and the buttons that set them.

#include "portal/MarkedList.h"

#include <QWidget>

class QListWidget;
class QPushButton;

namespace wpe {

struct TPortalHost;

class TSkinsProfilesPage : public QWidget {
    Q_OBJECT
public:
    TSkinsProfilesPage(const TPortalHost& host, QWidget* parent = nullptr);

    QListWidget* Skins() const { return skins_; }
    QListWidget* Profiles() const { return profiles_; }

    // Reload a list from the library and mark its current entry; a failing
    // library leaves the list empty.
    void RefreshSkins();
    void RefreshProfiles();
    // "Set as current skin" / "Set as current profile" on the selected entry.
    void SetCurrentSkin();
    void SetCurrentProfile();
    // Opens the skin of the selected entry in a skin tab.
    void OpenSelectedSkin();

signals:
    // Another profile became current: the zones show another desk now.
    void profileChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* Column(const QString& caption, QListWidget* list, QPushButton* button);
    static void Show(QListWidget* view, const TMarkedList& list);

    const TPortalHost& host_;
    QListWidget* skins_;
    QListWidget* profiles_;
    TMarkedList skinList_;
    TMarkedList profileList_;
};

} // namespace wpe
