#pragma once
// The fixed "Portal" tab of MainPageControl: its own page control with the
// pages "Designer", "desk.xml", "Skins/Profiles" and "Preview". The pages'
// contents come from the zone designer and the skins and profiles lists;
// until a page has its content it says plainly that it is not available.

#include <QWidget>

#include <string>

class QTabWidget;

namespace wpe {

class TPortalTab : public QWidget {
    Q_OBJECT
public:
    explicit TPortalTab(QWidget* parent = nullptr);

    // The caption of the active page ("Designer", "desk.xml", ...).
    std::string ActivePageName() const;
    // Makes the page with that caption active; false when there is none.
    bool ShowPage(const std::string& caption);
    // Moves to the next or previous page with wrap-around.
    void CyclePage(bool forward);
    // Replaces a page's content (the later frames fill their pages this way).
    void SetPageContent(const std::string& caption, QWidget* content);
    QTabWidget* PageControl() const { return pages_; }

signals:
    // The active page changed.
    void pageChanged();

private:
    QWidget* AddPage(const char* name, const QString& caption, const QString& note);

    QTabWidget* pages_;
};

} // namespace wpe
