#pragma once
// The portal's start page: the current profile's desk, with each web part's
// file inside its container, dressed by the current skin's stylesheet.

#include "portal/PortalBase.h"

#include <string>

namespace wpe {

// The page source as UTF-8 XML: <desks><desk ID="profile"><zone ID="n">
// <container ...><WebPart ID="id">...</WebPart></container>... with every
// zone 1 to 5 present. A web part whose content is XML with its own XSL gets
// the rendered output in <Rendered> (or the error, so one broken part does not
// break the page); a part whose file is missing keeps an empty container.
std::string StartPageSource(const TPortalBase& base);

// The start page as HTML. Raises when no skin is current, the skin has no
// "skin.xsl", or its stylesheet fails.
std::string RenderStartPage(const TPortalBase& base);

// Renders the start page into the portal folder's "desk.html" (written
// atomically) and returns that file's path.
std::string BuildStartPage(const TPortalBase& base);

} // namespace wpe
