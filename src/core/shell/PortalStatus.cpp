#include "shell/PortalStatus.h"
#include "util/Text.h"

namespace wpe {
namespace {


} // namespace

bool IsZoneListName(std::string_view name)
{
    return name.size() == 5 && SameAsciiCaseless(name.substr(0, 4), "zone") && name[4] >= '1' && name[4] <= '5';
}

PortalStatusName PortalStatusFor(std::string_view page, std::string_view focused)
{
    if (page == "desk.xml")
        return PortalStatusName::DeskFile;
    if (page == "Preview")
        return PortalStatusName::ServerUrl;
    if (page != "Designer" && page != "Skins/Profiles")
        return PortalStatusName::Nothing;
    if (SameAsciiCaseless(focused, "BrowseTree") || SameAsciiCaseless(focused, "WPListView"))
        return PortalStatusName::StorageDir;
    if (SameAsciiCaseless(focused, "lstSkins"))
        return PortalStatusName::SkinsDir;
    if (IsZoneListName(focused) || SameAsciiCaseless(focused, "lstProfiles"))
        return PortalStatusName::PortalDir;
    return PortalStatusName::Nothing;
}

} // namespace wpe
