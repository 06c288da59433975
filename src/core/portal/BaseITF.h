#pragma once
// The portal base library as the rest of the program calls it: free
// functions over one process-wide portal set up by InitBase. Texts are UTF-8;
// lists come back as text, one name per line ("\n"), in order; a name that
// holds a blank, comma or double quote is written in double quotes (inner
// quotes doubled), so comma-text splitting gives the names back.
//
// Tests and tools that need their own portal use TPortalBase directly.

#include "portal/ContentCache.h"
#include "portal/ElementFile.h"
#include "portal/ErrorHandler.h"
#include "portal/PortalBase.h"
#include "portal/PortalText.h"
#include "portal/StartPage.h"
#include "portal/UrlFetcher.h"

#include <string>
#include <string_view>
#include <vector>

namespace wpe {

// Opens the portal at root as the process-wide portal (replacing an earlier
// one only when the new one opens). Raises a clear error when it is unusable;
// the program cannot go on then.
void InitBase(const std::string& root);
// Releases the process-wide portal; calls then fail until the next InitBase.
void CloseBase();
// True once InitBase succeeded.
bool IsBaseInitialized();
// The process-wide portal; raises when InitBase has not succeeded.
TPortalBase& PortalBase();

// Native absolute folder of "BIN\\", "PORTAL\\", "SKINS\\", "STORAGE\\" or
// "CACHE\\" (either delimiter), ending with a delimiter.
std::string GetAbsolutePath(const std::string& relativeFolder);

// Portal setting by element path ("user/Server", "user/CurrentDesk"); "" when absent.
std::string GetElementEx(const std::string& path);
// Stores a portal setting; "user/CurrentDesk" must name a profile.
void SetElement(const std::string& path, const std::string& value);

// Skin names, one per line.
std::string GetSkinList();
// The current skin; raises when none is current or it no longer exists.
std::string GetCurrentSkin();
// Makes the skin current; raises for a skin that does not exist.
void SetCurrentSkin(const std::string& name);

// Profile names, one per line.
std::string GetDeskList();
// Web part identifiers of zone "1" to "5" of the current profile, one per
// line, in desk order. Another zone text raises.
std::string GetZoneWebPartsList(const std::string& zone);
// Appends the web part to the zone; returns its desk element's XML.
std::string InsertWP(const std::string& id, const std::string& zone);
// Removes the web part from the desk; raises when it is not there.
void DeleteWebPart(const std::string& id);
// One place up or down within its zone; nothing at the zone's end.
void MoveUpWebPart(const std::string& id);
void MoveDownWebPart(const std::string& id);
// The desk element at "desk/container:" + identifier as XML; "" when absent.
std::string GetTag(const std::string& path);
// Removes the desk element at path; raises when there is none.
void DeleteTag(const std::string& path);
// Inserts the element xml just before the desk element at path.
void InsertTag(const std::string& path, const std::string& xml);
// Moves the desk element at path, as it is, to the end of zone "1" to "5".
void MoveTagToZone(const std::string& path, const std::string& zone);
// The stored web part file of an identifier.
std::string GetFNameFromID(const std::string& id);

// True when the machine has a network connection besides the loopback.
bool IsInternetAvailable();
// The document at url, downloaded with the given user agent ("wpeditor");
// every failure raises an error that names the address and the cause.
std::string GetURLDataEx(const std::string& userAgent, const std::string& url);
// Limits of GetURLDataEx (timeouts, size cap, redirections).
void SetDownloadOptions(const TFetchOptions& options);

// The output of the stylesheet xsl applied to the document xml (HTML for a
// web part preview); a malformed text or stylesheet error raises an error
// with the messages of the XSLT engine.
std::string ExecuteGeneratorStr(const std::string& xml, const std::string& xsl);
// The same; what the engine reported on a run that still gave an output
// (a refused document() load, say) goes to warnings, one message a line.
std::string ExecuteGeneratorStr(const std::string& xml, const std::string& xsl, std::string* warnings);

// Renders the current profile's start page in the current skin into
// PORTAL/desk.html and returns that path; raises when no skin is current or
// the skin cannot render.
std::string BuildPortalPage();

// names as one text, one per line, quoted where comma-text splitting needs it.
std::string JoinNameList(const std::vector<std::string>& names);

} // namespace wpe
