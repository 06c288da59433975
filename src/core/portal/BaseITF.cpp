#include "portal/BaseITF.h"

#include "util/Exception.h"

#include <memory>

namespace wpe {

namespace {

std::unique_ptr<TPortalBase>& portalInstance()
{
    static std::unique_ptr<TPortalBase> instance;
    return instance;
}

TUrlFetcher& fetcher()
{
    static TUrlFetcher instance;
    return instance;
}

int zoneNumber(const std::string& zone)
{
    if (zone.size() != 1 || zone[0] < '1' || zone[0] > '5')
        throw Exception("Zone \"" + zone + "\" does not exist: zones are numbered 1 to 5");
    return zone[0] - '0';
}

} // namespace

std::string JoinNameList(const std::vector<std::string>& names)
{
    std::string out;
    for (const std::string& name : names) {
        if (!out.empty())
            out += '\n';
        if (name.find_first_of(" ,\"\t\r\n") == std::string::npos && !name.empty()) {
            out += name;
            continue;
        }
        out += '"';
        for (char c : name) {
            if (c == '"')
                out += '"';
            out += c;
        }
        out += '"';
    }
    return out;
}

void InitBase(const std::string& root)
{
    auto opened = std::make_unique<TPortalBase>(root);
    portalInstance() = std::move(opened);
}

void CloseBase()
{
    portalInstance().reset();
}

bool IsBaseInitialized()
{
    return portalInstance() != nullptr;
}

TPortalBase& PortalBase()
{
    if (!portalInstance())
        throw Exception("The portal is not open");
    return *portalInstance();
}

std::string GetAbsolutePath(const std::string& relativeFolder)
{
    return PortalBase().absolutePath(relativeFolder);
}

std::string GetElementEx(const std::string& path)
{
    return PortalBase().element(path);
}

void SetElement(const std::string& path, const std::string& value)
{
    PortalBase().setElement(path, value);
}

std::string GetSkinList()
{
    return JoinNameList(PortalBase().skins());
}

std::string GetCurrentSkin()
{
    return PortalBase().currentSkin();
}

void SetCurrentSkin(const std::string& name)
{
    PortalBase().setCurrentSkin(name);
}

std::string GetDeskList()
{
    return JoinNameList(PortalBase().desks());
}

std::string GetZoneWebPartsList(const std::string& zone)
{
    return JoinNameList(PortalBase().zoneWebParts(zoneNumber(zone)));
}

std::string InsertWP(const std::string& id, const std::string& zone)
{
    return PortalBase().insertWebPart(id, zoneNumber(zone));
}

void DeleteWebPart(const std::string& id)
{
    PortalBase().deleteWebPart(id);
}

void MoveUpWebPart(const std::string& id)
{
    PortalBase().moveUpWebPart(id);
}

void MoveDownWebPart(const std::string& id)
{
    PortalBase().moveDownWebPart(id);
}

std::string GetTag(const std::string& path)
{
    return PortalBase().tag(path);
}

void DeleteTag(const std::string& path)
{
    PortalBase().deleteTag(path);
}

void MoveTagToZone(const std::string& path, const std::string& zone)
{
    PortalBase().moveTagToZone(path, zoneNumber(zone));
}

void InsertTag(const std::string& path, const std::string& xml)
{
    PortalBase().insertTag(path, xml);
}

std::string GetFNameFromID(const std::string& id)
{
    return PortalBase().fileNameFromId(id);
}

bool IsInternetAvailable()
{
    return HasNetworkConnection(ListNetworkInterfaces());
}

std::string GetURLDataEx(const std::string& userAgent, const std::string& url)
{
    return fetcher().fetch(userAgent, url);
}

void SetDownloadOptions(const TFetchOptions& options)
{
    fetcher().setOptions(options);
}

std::string ExecuteGeneratorStr(const std::string& xml, const std::string& xsl)
{
    return ExecuteGeneratorStr(xml, xsl, nullptr);
}

std::string ExecuteGeneratorStr(const std::string& xml, const std::string& xsl, std::string* warnings)
{
    if (IsBaseInitialized())
        return PortalBase().generator().transform(xml, xsl, warnings);
    static const TXslGenerator standalone;
    return standalone.transform(xml, xsl, warnings);
}

std::string BuildPortalPage()
{
    // The same page the portal server serves, linked content included.
    TContentCache cache = MakePortalContentCache(PortalBase().absolutePath("CACHE"));
    TStartPageOptions options;
    options.cache = &cache;
    return BuildStartPage(PortalBase(), options);
}

} // namespace wpe
