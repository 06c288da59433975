#pragma once
// The fixed "Portal" tab of MainPageControl: its own page control with the
// pages "Designer" (zone designer), "desk.xml" (desk source), "Skins/Profiles",
// "Preview" and the hidden "History". It also holds the Portal commands that
// other parts of the program call: the list refreshes, the add command, the
// toolbar's Delete, "&Save" of the desk source and the current-skin check.

#include "portal/PortalHost.h"

#include <QWidget>

#include <string>

class QTabWidget;

namespace wpe {

class ICatalogueSelection;
class TDeskSourcePage;
class THistoryPage;
class TMainStatusBar;
class TSkinsProfilesPage;
class TZoneDesigner;

class TPortalTab : public QWidget {
    Q_OBJECT
public:
    explicit TPortalTab(QWidget* parent = nullptr);

    // What the pages ask of the main window.
    void SetHost(TPortalHost host);
    // The catalogue frame's selection, read by "Add to the Start Page"; null
    // while there is none.
    void SetCatalogueSelection(const ICatalogueSelection* catalogue) { catalogue_ = catalogue; }

    // The caption of the active page ("Designer", "desk.xml", ...).
    std::string ActivePageName() const;
    // Makes the page with that caption active; false when there is none.
    bool ShowPage(const std::string& caption);
    // Moves to the next or previous visible page with wrap-around.
    void CyclePage(bool forward);
    // Replaces a page's content (the later frames fill their pages this way).
    void SetPageContent(const std::string& caption, QWidget* content);
    QTabWidget* PageControl() const { return pages_; }

    TZoneDesigner& Designer() const { return *designer_; }
    TDeskSourcePage& DeskSource() const { return *deskSource_; }
    TSkinsProfilesPage& SkinsProfiles() const { return *skinsProfiles_; }

    // ---- commands ----
    // Reloads the zone lists; returns why they could not all be read ("" when they were).
    std::string RefreshZones();
    // Public so the skin editor can show a skin it saved.
    void RefreshSkins();
    void RefreshProfiles();
    // The three refreshes of the start-up.
    void RefreshLists();
    // "Add to the Start Page" of the catalogue frame.
    void AddToStartPage();
    // The toolbar's Delete: the zone lists 1 to 5 in order.
    void DeleteZoneSelection();
    // "&Save" while the Portal tab is active: the desk source when its page
    // is active and modified. False when it could not be saved.
    bool SaveDeskSource();
    // The shut-down's question about an unsaved desk source; false on Cancel.
    bool QueryClose();
    // False, after the warning and with the Designer page shown, when no
    // skin is current: the calling command stops there.
    bool RequireCurrentSkin();
    // "History of changes": shows the hidden History page with BIN/history.html.
    void ShowHistory();
    // The status bar for the "desk.xml" page.
    void FillDeskStatus(TMainStatusBar& bar) const;

signals:
    // The active page changed.
    void pageChanged();
    // Something the status bar shows changed on the active page.
    void statusChanged();

private:
    int AddPage(const char* name, const QString& caption, QWidget* content);
    void CurrentChanged(int index);

    TPortalHost host_;
    const ICatalogueSelection* catalogue_ = nullptr;
    QTabWidget* pages_;
    TZoneDesigner* designer_;
    TDeskSourcePage* deskSource_;
    TSkinsProfilesPage* skinsProfiles_;
    THistoryPage* history_;
    int deskIndex_ = -1;
    int historyIndex_ = -1;
    int shownIndex_ = 0;
    bool reverting_ = false;
};

} // namespace wpe
