#include "shell/PortalStatus.h"

namespace wpe {
namespace {

bool Same(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

} // namespace

bool IsZoneListName(std::string_view name)
{
    return name.size() == 5 && Same(name.substr(0, 4), "zone") && name[4] >= '1' && name[4] <= '5';
}

PortalStatusName PortalStatusFor(std::string_view page, std::string_view focused)
{
    if (page == "desk.xml")
        return PortalStatusName::DeskFile;
    if (page == "Preview")
        return PortalStatusName::ServerUrl;
    if (page != "Designer" && page != "Skins/Profiles")
        return PortalStatusName::Nothing;
    if (Same(focused, "BrowseTree") || Same(focused, "WPListView"))
        return PortalStatusName::StorageDir;
    if (Same(focused, "lstSkins"))
        return PortalStatusName::SkinsDir;
    if (IsZoneListName(focused) || Same(focused, "lstProfiles"))
        return PortalStatusName::PortalDir;
    return PortalStatusName::Nothing;
}

} // namespace wpe
