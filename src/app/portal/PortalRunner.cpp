#include "portal/PortalRunner.h"

#include "portal/ServerLock.h"
#include "util/Paths.h"

#include <QDesktopServices>
#include <QDir>
#include <QProcess>

namespace wpe {

TLauncher TLauncher::System()
{
    TLauncher launcher;
    launcher.start = [](const QString& program, const QStringList& args, const QString& workDir) {
        return QProcess::startDetached(program, args, workDir);
    };
    launcher.open = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
    return launcher;
}

TPortalRunner::TPortalRunner(std::string portalRoot, QString programFolder, TLauncher launcher)
    : root_(WithTrailingBackslash(NativePath(portalRoot))), programFolder_(std::move(programFolder)),
      launcher_(std::move(launcher))
{
}

QString TPortalRunner::ServerProgram() const
{
    return QDir(programFolder_).filePath("ombrelsvc");
}

QString TPortalRunner::LogViewerProgram() const
{
    return QDir(programFolder_).filePath("logexternal");
}

std::string TPortalRunner::LogFile() const
{
    return root_ + "BIN" + kPathDelim + "ombrelsvc.log";
}

bool TPortalRunner::EnsurePortalServer()
{
    if (IsPortalServerRunning(root_))
        return false;
    return launcher_.start && launcher_.start(ServerProgram(), {"--portal", QString::fromStdString(root_)},
                                              QString::fromStdString(root_));
}

void TPortalRunner::ViewPortalInBrowser(const std::string& address)
{
    EnsurePortalServer();
    if (launcher_.open)
        launcher_.open(QUrl(QString::fromStdString(address)));
}

void TPortalRunner::RunLogViewer()
{
    if (launcher_.start)
        launcher_.start(LogViewerProgram(), {QString::fromStdString(LogFile())},
                        QString::fromStdString(root_ + "BIN"));
}

} // namespace wpe
