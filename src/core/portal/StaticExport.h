#pragma once
// The portal as plain files that any ordinary web server (or a browser
// opening the file) can show: the start page as "index.html", the portal's
// script, and the current skin's files, all in one folder.

#include "portal/StartPage.h"

#include <string>
#include <vector>

namespace wpe {

// Writes into folder (created when missing): index.html rendered with the
// skins at "skins/" and the server's files beside the page; portal.js and the
// "onload" script; skins/<current skin>/ with the skin's files (its source
// files .cso, .xsl, .zip and the HTML template are left out). Every file is
// written atomically; files already in the folder that the export does not
// write stay. Returns the paths written. Raises when the page cannot render
// or a file cannot be written.
std::vector<std::string> ExportStaticPortal(const TPortalBase& base, const std::string& folder,
                                            TContentCache* cache = nullptr);

} // namespace wpe
