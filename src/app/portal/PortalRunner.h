#pragma once
// Starting the programs around the portal: the portal server when it does
// not run yet, the system browser on the portal's address, and the log
// viewer. How a program is started is a hook, so tests see what would run.

#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <string>

namespace wpe {

struct TLauncher {
    // Starts program detached from this one, with no window of its own to wait for.
    std::function<bool(const QString& program, const QStringList& args, const QString& workDir)> start;
    // Hands an address to the system's browser.
    std::function<bool(const QUrl& url)> open;

    // QProcess::startDetached and QDesktopServices::openUrl.
    static TLauncher System();
};

class TPortalRunner {
public:
    // portalRoot: the portal folder; programFolder: where ombrelsvc and
    // logexternal live (the editor's own folder).
    TPortalRunner(std::string portalRoot, QString programFolder, TLauncher launcher);

    // Starts the portal server unless one holds the portal's lock (a failed
    // test counts as running). True when a server was started; a server that
    // cannot be started is no error.
    bool EnsurePortalServer();
    // EnsurePortalServer, then the address in the system's browser.
    void ViewPortalInBrowser(const std::string& address);
    // Starts the log viewer on the server's log, working in the BIN folder.
    void RunLogViewer();

    QString ServerProgram() const;
    QString LogViewerProgram() const;
    std::string LogFile() const;

private:
    std::string root_;
    QString programFolder_;
    TLauncher launcher_;
};

} // namespace wpe
