#pragma once
// What the status bar shows while the Portal tab is active: it depends on
// the Portal page and on the control that has the focus.

#include <string_view>

namespace wpe {

enum class PortalStatusName {
    Nothing,     // only the reset
    StorageDir,  // the catalogue tree or search list has the focus
    SkinsDir,    // the Skins list has the focus
    PortalDir,   // a zone list or the Profiles list has the focus
    DeskFile,    // the "desk.xml" page: PortalDir + "desk.xml" and the source state
    ServerUrl    // the "Preview" page: the portal server address
};

// The rule for page (the Portal page's caption) and focused (the objectName
// of the focused control or one of its parents; compared without case).
PortalStatusName PortalStatusFor(std::string_view page, std::string_view focused);

// True for the control names "zone1" to "zone5".
bool IsZoneListName(std::string_view name);

} // namespace wpe
