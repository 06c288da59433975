#pragma once
// What the Portal tab's pages ask of the main window.

#include "shell/AppFolders.h"

#include <functional>
#include <string>

namespace wpe {

struct TPortalHost {
    // The application folders (known once the start-up computed them).
    std::function<TAppFolders()> folders;
    std::function<void(const std::string& path)> openWebPart;
    std::function<void(const std::string& path)> openSkin;
    // Makes the Portal tab the active main tab.
    std::function<void()> showPortalTab;
};

} // namespace wpe
