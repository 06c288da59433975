#pragma once
// The commands of the running portal: "&Build portal", "E&xport portal...",
// "Build and &view", the toolbar's "View in browser", "Run &Log Viewer", and
// the steps run when the Portal tab's "Preview" page is shown.

#include "portal/PortalRunner.h"

#include <QObject>

#include <functional>
#include <memory>
#include <string>

namespace wpe {

class TCommandTable;
class TPortalTab;
class TPreviewPage;

struct TPortalCommandHooks {
    std::function<bool()> baseReady;                          // the portal library opened
    std::function<std::string()> currentSkin;                 // raises when no skin is current
    std::function<std::string()> serverAddress;               // "user/Server"
    std::function<std::string()> portalRoot;                  // the folder holding PORTAL, SKINS, ...
    std::function<void(const std::string&)> setMessage;       // the status bar's message panel
    std::function<void()> showPortalTab;                      // makes the Portal tab the active one
    std::function<std::string()> programFolder;               // where ombrelsvc lives
    TLauncher launcher = TLauncher::System();
};

class TPortalCommands : public QObject {
    Q_OBJECT
public:
    // Connects the commands of the table and fills the tab's Preview page.
    TPortalCommands(TCommandTable& commands, TPortalTab& portalTab, TPortalCommandHooks hooks,
                    QObject* parent = nullptr);
    ~TPortalCommands() override;

    // Stops the running command with a warning and shows the Designer page
    // when no skin is current.
    bool RequireCurrentSkin();
    void BuildPortal();
    void ExportPortal();
    void BuildAndView();
    void RunLogViewer();
    // The steps of switching to the Preview page.
    void ShowPreview();

private:
    std::unique_ptr<TPortalRunner> runner() const;
    std::string serverAddress() const;

    TPortalTab& portalTab_;
    TPortalCommandHooks hooks_;
    TPreviewPage* preview_ = nullptr;
};

} // namespace wpe
