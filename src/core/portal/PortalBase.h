#pragma once
// The portal base library: the portal's desk (profiles and their five
// zones), skins, settings and renderer over a portal folder on disk.
//
// Layout of a portal root:
//   PORTAL/desk.xml    all profiles: <desks><desk ID=".."><zone ID="1">
//                      <container ID="webpart" visible="true"/>...</zone>...</desk></desks>
//   PORTAL/portal.xml  settings: <portal><user><Server/><CurrentDesk/><CurrentSkin/></user></portal>
//   PORTAL/desk.xsl, PORTAL/main.dtd   the page stylesheet and its entities
//   SKINS/<name>/<name>.cso            one folder per skin
//   STORAGE/<id>.xml                   the stored web parts; <id> is the identifier
//   BIN/, CACHE/
//
// desk.xml and portal.xml are read again for every call, so edits made to
// them as source are seen at once, and every change is written back
// atomically. A file that is missing or not usable raises an error and is
// never replaced by an empty desk.

#include "portal/XslGenerator.h"
#include "xml/XXmlDom.h"

#include <string>
#include <string_view>
#include <vector>

namespace wpe {

inline constexpr int kZoneCount = 5;

class TPortalBase {
public:
    // Opens the portal at root; raises a clear error when the folder, desk.xml
    // or portal.xml is missing or unusable, or the current profile is not on
    // the desk.
    explicit TPortalBase(const std::string& root);

    // The portal root, ending with a delimiter.
    const std::string& root() const { return root_; }

    // root + relative folder ("BIN\\", "PORTAL/", ...) as a native path ending
    // with a delimiter. Absolute paths and ".." are refused.
    std::string absolutePath(std::string_view relativeFolder) const;

    // ---- settings (portal.xml) by element path such as "user/Server" ----

    // The text of the element, "" when absent.
    std::string element(std::string_view path) const;
    // Stores value, creating missing elements. "user/CurrentDesk" accepts
    // only a profile of the desk.
    void setElement(std::string_view path, const std::string& value);

    // ---- skins ----

    // Names of the skin folders that hold a .cso file, sorted without case.
    std::vector<std::string> skins() const;
    // The current skin; raises when none is set or it no longer exists.
    std::string currentSkin() const;
    // Makes an existing skin current (name matched without case).
    void setCurrentSkin(const std::string& name);

    // ---- desk ----

    // Profile names in desk order.
    std::vector<std::string> desks() const;
    // The current profile ("user/CurrentDesk").
    std::string currentDesk() const;
    // Identifiers of the web parts of zone 1..5 of the current profile, in
    // desk order. A zone outside 1..5 raises.
    std::vector<std::string> zoneWebParts(int zone) const;
    // Appends the web part as the zone's last entry; returns its element's XML.
    // Refuses a zone outside 1..5, an identifier that is empty or holds a
    // blank, comma, quote or path delimiter, and one already on the desk.
    std::string insertWebPart(const std::string& id, int zone);
    // Removes the web part from the desk; refuses one that is not on it.
    void deleteWebPart(const std::string& id);
    // Moves the web part one place within its zone; at the zone's start
    // (up) or end (down) nothing changes and nothing is written.
    void moveUpWebPart(const std::string& id);
    void moveDownWebPart(const std::string& id);

    // Element paths on the current profile: "desk/container:" + identifier
    // (steps "name" or "name:ID", separated by "/").
    // The element's XML, "" when absent.
    std::string tag(std::string_view path) const;
    // Removes the element; refuses a path that names nothing.
    void deleteTag(std::string_view path);
    // Inserts the element given as XML text just before the element at path,
    // in the same zone. Refuses malformed XML and a container identifier that
    // is already on the desk.
    void insertTag(std::string_view path, const std::string& xml);
    // Moves the element at path, as it is, to the end of zone 1..5 (added
    // when the profile lacks it); one write, so the element is never lost
    // between a removal and an insertion.
    void moveTagToZone(std::string_view path, int zone);

    // The stored web part file of an identifier (.xml, else .dwp);
    // raises when there is none.
    std::string fileNameFromId(const std::string& id) const;

    // ---- rendering ----

    // The renderer, limited to the PORTAL folder and fed the current values of
    // the portal's entities.
    const TXslGenerator& generator() const;

private:
    std::string deskFile() const;
    std::string settingsFile() const;
    TRef<TXmlDDocument> loadDesk() const;
    TRef<TXmlDDocument> loadSettings() const;
    void saveDesk(const TXmlDDocument& doc) const;
    TXmlDElement* currentDeskElement(const TXmlDDocument& doc) const;
    TXmlDElement* findPath(TXmlDElement& desk, std::string_view path) const;
    TXmlDElement* findContainer(TXmlDElement& desk, const std::string& id) const;
    void refreshGenerator() const;
    void moveWebPart(const std::string& id, bool up);

    std::string root_;
    mutable TXslGenerator generator_;
};

// Validates a web part identifier for the desk; raises when it cannot be one.
void CheckWebPartId(const std::string& id);

// value made fit for a quoted entity value of a DTD: it reads back as itself.
std::string DtdEntityValue(std::string_view value);

// Writes a document with one element per line, two spaces per level and
// CR LF line ends; elements holding text are written on one line as they are.
std::string FormatXmlDocument(const TXmlDDocument& doc);

} // namespace wpe
