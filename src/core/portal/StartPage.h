#pragma once
// The portal's start page: the current profile's desk, with each web part's
// file inside its container, dressed by the current skin's stylesheet.

#include "portal/PortalBase.h"

#include <functional>
#include <string>

namespace wpe {

class TContentCache;

// How the page refers to what lies beside it. The defaults give a page that
// works both served at the server's root and opened as PORTAL/desk.html: the
// skins are reached as "../SKINS/" (a browser keeps ".." at the server's root)
// and the server's own files and endpoints relative to the page.
struct TStartPageOptions {
    std::string skinsPath = "../SKINS/";   // the entity SkinsPath
    std::string server;                    // the entity Server; "" = beside the page
    // Where linked content (ContentLink, XSLLink addresses) comes from; without
    // one, a part that needs a download shows an error box.
    TContentCache* cache = nullptr;
    // Told of every part that fails: shown as an error box, or by its NoContent
    // when its linked content cannot be had (for the server's log).
    std::function<void(const std::string& id, const std::string& reason)> onPartError;
};

// The page source as UTF-8 XML: <desks><desk ID="profile"><zone ID="n">
// <container ...><WebPart ID="id">...</WebPart></container>... with every
// zone 1 to 5 present. A web part whose content must be produced (XML through
// its XSL, content or XSL behind a link) gets the output in <Rendered>. A part
// that fails (missing or broken file, failed download, broken XSL) gets an
// error box naming the part and the reason in <Rendered>, so one broken part
// never breaks the page; a part whose linked content cannot be had shows its
// NoContent instead, when it has one.
std::string StartPageSource(const TPortalBase& base, const TStartPageOptions& options = {});

// The start page as HTML. Raises when no skin is current, the skin has no
// "skin.xsl", or its stylesheet fails.
std::string RenderStartPage(const TPortalBase& base, const TStartPageOptions& options = {});

// Renders the start page into the portal folder's "desk.html" (written
// atomically) and returns that file's path.
std::string BuildStartPage(const TPortalBase& base, const TStartPageOptions& options = {});

// The HTML of a part's error box.
std::string WebPartErrorBox(const std::string& id, const std::string& reason);

} // namespace wpe
