#include "shell/ProgramSetup.h"

#include "portal/PortalRoot.h"
#include "shell/AppFolders.h"
#include "util/Files.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#include <cstdlib>
#include <unistd.h>

#ifndef WPE_DATA_SOURCE_DIR
#define WPE_DATA_SOURCE_DIR ""
#endif

namespace wpe {
namespace {

std::string ProgramFolder()
{
    return QCoreApplication::applicationDirPath().toStdString();
}

std::string UserDataFolder()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return QDir(base).filePath("Ombrelio/wpeditor").toStdString();
}

} // namespace

std::vector<std::string> ShippedDataFolders()
{
    std::vector<std::string> folders;
    QDir program(QCoreApplication::applicationDirPath());
    folders.push_back(program.absolutePath().toStdString());
    folders.push_back(QDir::cleanPath(program.filePath("../share/wpeditor")).toStdString());
    if (*WPE_DATA_SOURCE_DIR)
        folders.push_back(WPE_DATA_SOURCE_DIR);
    return folders;
}

std::string ResolveProgramDir()
{
    return PrepareProgramDir(ProgramFolder(), UserDataFolder(), ShippedDataFolders());
}

std::string ResolvePortalRootFromArgs(int argc, const char* const* argv)
{
    TPortalRootSources sources;
    sources.option = PortalOptionFromArgs(argc, argv);
    sources.environment = qEnvironmentVariable("WPE_PORTAL_DIR").toStdString();
    sources.userPortal = DefaultUserPortalFolder(qEnvironmentVariable("XDG_DATA_HOME").toStdString(),
                                                 QDir::homePath().toStdString());
    for (const auto& folder : ShippedDataFolders()) {
        std::string candidate = folder + "/portal";
        if (FolderExists(candidate)) {
            sources.sample = candidate;
            break;
        }
    }
    return ResolvePortalRoot(sources);
}

void PrepareWebEngineEnvironment()
{
    if (::geteuid() != 0)
        return;
    ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 0);
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--disable-gpu")) {
        flags = flags.isEmpty() ? QByteArray("--disable-gpu") : flags + " --disable-gpu";
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
    }
}

} // namespace wpe
