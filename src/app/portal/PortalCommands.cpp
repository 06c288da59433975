#include "portal/PortalCommands.h"

#include "portal/BaseITF.h"
#include "portal/PreviewPage.h"
#include "portal/StaticExport.h"
#include "shell/CommandTable.h"
#include "shell/PortalTab.h"
#include "util/Dialogs.h"

#include <QAction>
#include <QCoreApplication>
#include <QTabWidget>

namespace wpe {

namespace {

constexpr const char* kChooseSkin = "Choose skin before generating portal!";

} // namespace

TPortalCommands::TPortalCommands(TCommandTable& commands, TPortalTab& portalTab, TPortalCommandHooks hooks,
                                 QObject* parent)
    : QObject(parent), portalTab_(portalTab), hooks_(std::move(hooks))
{
    connect(commands.miBuildPortal, &QAction::triggered, this, &TPortalCommands::BuildPortal);
    connect(commands.miExportPortal, &QAction::triggered, this, &TPortalCommands::ExportPortal);
    connect(commands.miBuildAndView, &QAction::triggered, this, &TPortalCommands::BuildAndView);
    connect(commands.tbViewInBrowser, &QAction::triggered, this, &TPortalCommands::BuildAndView);
    connect(commands.miRunLogViewer, &QAction::triggered, this, &TPortalCommands::RunLogViewer);

    preview_ = new TPreviewPage;
    portalTab_.SetPageContent("Preview", preview_);
    connect(portalTab_.PageControl(), &QTabWidget::currentChanged, this, [this] {
        if (portalTab_.ActivePageName() == "Preview")
            ShowPreview();
    });
}

TPortalCommands::~TPortalCommands() = default;

std::unique_ptr<TPortalRunner> TPortalCommands::runner() const
{
    const QString folder = hooks_.programFolder ? QString::fromStdString(hooks_.programFolder())
                                                : QCoreApplication::applicationDirPath();
    const std::string root = hooks_.portalRoot ? hooks_.portalRoot() : PortalBase().root();
    return std::make_unique<TPortalRunner>(root, folder, hooks_.launcher);
}

std::string TPortalCommands::serverAddress() const
{
    return hooks_.serverAddress ? hooks_.serverAddress() : GetElementEx("user/Server");
}

bool TPortalCommands::RequireCurrentSkin()
{
    try {
        if (!hooks_.baseReady || hooks_.baseReady()) {
            if (hooks_.currentSkin)
                hooks_.currentSkin();
            else
                GetCurrentSkin();
            return true;
        }
    } catch (const std::exception&) {
    }
    Dialogs().Show(MsgKind::Warning, kChooseSkin);
    if (hooks_.showPortalTab)
        hooks_.showPortalTab();
    portalTab_.ShowPage("Designer");
    return false;
}

void TPortalCommands::BuildPortal()
{
    if (!RequireCurrentSkin())
        return;
    try {
        BuildPortalPage();
    } catch (const std::exception& e) {
        Dialogs().Show(MsgKind::Error, e.what());
        return;
    }
    if (hooks_.setMessage)
        hooks_.setMessage("File \"" + GetAbsolutePath("PORTAL") + "desk.html\" generated succesfully!");
}

void TPortalCommands::ExportPortal()
{
    if (!RequireCurrentSkin())
        return;
    const auto folder = Dialogs().ChooseFolder("Export the portal as static files to", std::string());
    if (!folder)
        return;
    try {
        TContentCache cache = MakePortalContentCache(GetAbsolutePath("CACHE"));
        ExportStaticPortal(PortalBase(), *folder, &cache);
    } catch (const std::exception& e) {
        Dialogs().Show(MsgKind::Error, e.what());
        return;
    }
    if (hooks_.setMessage)
        hooks_.setMessage("Portal exported to \"" + *folder + "\": serve that folder with any web server.");
}

void TPortalCommands::BuildAndView()
{
    if (!RequireCurrentSkin())
        return;
    runner()->ViewPortalInBrowser(serverAddress());
}

void TPortalCommands::RunLogViewer()
{
    if (hooks_.baseReady && !hooks_.baseReady())
        return;
    runner()->RunLogViewer();
}

void TPortalCommands::ShowPreview()
{
    if (!RequireCurrentSkin())
        return;
    runner()->EnsurePortalServer();
    preview_->Load(QString::fromStdString(serverAddress()));
}

} // namespace wpe
