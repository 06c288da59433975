#pragma once
// The zone designer's lists: the five zones of the current profile as the
// portal base library gives them, and the changes the designer makes. Every
// change goes to the desk first and is then mirrored in the lists, so the
// lists always equal the desk without a reload. Calls go to the process-wide
// portal (BaseITF); a failed call raises and leaves the lists to a refresh.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wpe {

using TZoneEntries = std::vector<std::string>;

// The desk element path of a web part: this prefix and its identifier.
inline constexpr const char* kDeskContainerPath = "desk/container:";

// The zone a catalogue entry goes to: its "Zone" value when that is exactly
// one character "1" to "5", otherwise "3".
std::string ZoneOfCatalogueValue(std::string_view zoneValue);

// True for the controls a zone list takes drags from: "BrowseTree",
// "WPListView", "FileList" and "zone1" to "zone5", compared without case.
bool IsZoneDragSource(std::string_view sourceName);
// True for the drag sources whose item is a web part file path (catalogue
// tree and search list, file list) rather than a zone entry.
bool IsFileDragSource(std::string_view sourceName);
// 1..5 for the list names "zone1".."zone5" (without case), otherwise 0.
int ZoneOfListName(std::string_view name);

// Whether a drag over a zone list may drop: never from an unknown source;
// on its own list not while the cursor is over the dragged entry itself.
// entryUnderCursor is null when the cursor is below the entries.
bool AcceptZoneDrag(std::string_view source, std::string_view target, std::string_view draggedItem,
                    const std::string* entryUnderCursor);

// The lists' side of a drop: the entry at index leaves source and lands in
// target just before the entry that was under the cursor (hit, counted in
// target before anything moved), or at the end without one. Source and target
// may be the same list. A drop onto the dragged entry itself changes nothing.
// Returns the entry's new position in target; an index out of range changes
// nothing and returns nullopt.
std::optional<std::size_t> MoveListEntry(TZoneEntries& source, TZoneEntries& target, std::size_t index,
                                         std::optional<std::size_t> hit);

// Moves the desk element at sourcePath to just before the one at targetPath
// (in that element's zone). Nothing happens when the source is absent or the
// paths are the same. The target is checked before the source is removed,
// so a missing target raises and loses nothing.
void MoveDeskElement(const std::string& sourcePath, const std::string& targetPath);

class TZoneDesk {
public:
    // The entries of zone 1..5 (empty for any other number).
    const TZoneEntries& Entries(int zone) const;

    // Reloads zones 1 to 5 in order by comma-text splitting. The first
    // failure ends the refresh; zones reloaded before it keep their new
    // entries, the rest keep theirs. Returns that failure's message, or ""
    // when every zone was reloaded.
    std::string RefreshZones();
    // Reloads one zone; after a drop the library's list is split at line
    // breaks only. Raises on failure, leaving the zone as it was.
    void ReloadZone(int zone, bool lineBreaksOnly = false);

    // The add command: the catalogue entry's file path and "Zone" value.
    // Appends the web part to its zone and reloads that zone; returns the
    // zone, or 0 when there is no path.
    int AddWebPart(const std::string& filePath, std::string_view zoneValue);

    // A catalogue or file drop, first half: appends the web part of filePath
    // to zone and reloads it. Returns the new entry's position (the last), or
    // nullopt when there is no file name.
    std::optional<std::size_t> InsertDropped(const std::string& filePath, int zone);

    // A drop of the entry at index of sourceZone onto targetZone, hit being
    // the target's entry under the cursor (counted before the move): the desk
    // change first, then the same move in the lists. Returns the entry's
    // new position in the target.
    std::optional<std::size_t> Drop(int sourceZone, std::size_t index, int targetZone,
                                    std::optional<std::size_t> hit);
    // The desk's side of a drop of the web part id onto targetZone.
    void PlaceDroppedElement(const std::string& id, int targetZone, std::optional<std::size_t> hit);

    // "Up" / "Dn": moves the selected entry one place in the desk, reloads the
    // zone and returns the position to select; nothing without a selection.
    std::optional<std::size_t> MoveInZone(int zone, std::optional<std::size_t> selected, bool up);

    // Removes the entry at index from the desk and the list; returns the last
    // remaining entry's position to select, or nullopt when none remain.
    std::optional<std::size_t> DeleteEntry(int zone, std::size_t index);

private:
    TZoneEntries& zone(int number);

    std::array<TZoneEntries, 5> zones_;
};

} // namespace wpe
