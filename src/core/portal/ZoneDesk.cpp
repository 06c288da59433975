#include "portal/ZoneDesk.h"

#include "portal/BaseITF.h"
#include "shell/PortalStatus.h"
#include "util/CommaText.h"
#include "util/Exception.h"
#include "util/Paths.h"

namespace wpe {
namespace {

const std::vector<std::string> kFileDragSources = {"BrowseTree", "WPListView", "FileList"};

std::string ZoneText(int zone)
{
    return std::to_string(zone);
}

std::string DeskPath(const std::string& id)
{
    return kDeskContainerPath + id;
}

} // namespace

// ---- rules without the desk ----

std::string ZoneOfCatalogueValue(std::string_view zoneValue)
{
    if (zoneValue.size() == 1 && zoneValue[0] >= '1' && zoneValue[0] <= '5')
        return std::string(zoneValue);
    return "3";
}

bool IsFileDragSource(std::string_view sourceName)
{
    return InList(sourceName, kFileDragSources, false);
}

bool IsZoneDragSource(std::string_view sourceName)
{
    return IsFileDragSource(sourceName) || IsZoneListName(sourceName);
}

int ZoneOfListName(std::string_view name)
{
    return IsZoneListName(name) ? name[4] - '0' : 0;
}

bool AcceptZoneDrag(std::string_view source, std::string_view target, std::string_view draggedItem,
                    const std::string* entryUnderCursor)
{
    if (!IsZoneDragSource(source))
        return false;
    if (InList(source, {std::string(target)}, false))
        return entryUnderCursor == nullptr || *entryUnderCursor != draggedItem;
    return true;
}

std::optional<std::size_t> MoveListEntry(TZoneEntries& source, TZoneEntries& target, std::size_t index,
                                         std::optional<std::size_t> hit)
{
    if (index >= source.size())
        return std::nullopt;
    if (hit && *hit >= target.size())
        hit.reset();
    const bool sameList = &source == &target;
    // Dropped onto itself: the desk is unchanged too, so the list must be.
    if (sameList && hit && *hit == index)
        return index;
    std::string entry = std::move(source[index]);
    source.erase(source.begin() + static_cast<std::ptrdiff_t>(index));
    std::size_t at = target.size();
    if (hit)
        at = sameList && *hit > index ? *hit - 1 : *hit;
    target.insert(target.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
    return at;
}

void MoveDeskElement(const std::string& sourcePath, const std::string& targetPath)
{
    const std::string xml = GetTag(sourcePath);
    if (xml.empty() || sourcePath == targetPath)
        return;
    if (GetTag(targetPath).empty())
        throw Exception("There is no element \"" + targetPath + "\" on the desk to move \"" + sourcePath +
                        "\" to");
    DeleteTag(sourcePath);
    InsertTag(targetPath, xml);
}

// ---- the lists ----

const TZoneEntries& TZoneDesk::Entries(int number) const
{
    static const TZoneEntries none;
    return number >= 1 && number <= 5 ? zones_[static_cast<std::size_t>(number - 1)] : none;
}

TZoneEntries& TZoneDesk::zone(int number)
{
    if (number < 1 || number > 5)
        throw Exception("Zone " + ZoneText(number) + " does not exist: zones are numbered 1 to 5");
    return zones_[static_cast<std::size_t>(number - 1)];
}

std::string TZoneDesk::RefreshZones()
{
    for (int number = 1; number <= 5; ++number) {
        try {
            ReloadZone(number);
        } catch (const std::exception& e) {
            return e.what();
        }
    }
    return {};
}

void TZoneDesk::ReloadZone(int number, bool lineBreaksOnly)
{
    TZoneEntries& entries = zone(number);
    const std::string list = GetZoneWebPartsList(ZoneText(number));
    entries = lineBreaksOnly ? SplitLines(list) : SplitCommaText(list);
}

int TZoneDesk::AddWebPart(const std::string& filePath, std::string_view zoneValue)
{
    const std::string target = ZoneOfCatalogueValue(zoneValue);
    if (filePath.empty())
        return 0;
    InsertWP(NameWithoutExt(filePath), target);
    const int number = target[0] - '0';
    ReloadZone(number);
    return number;
}

std::optional<std::size_t> TZoneDesk::InsertDropped(const std::string& filePath, int number)
{
    const std::string id = NameWithoutExt(filePath);
    if (id.empty())
        return std::nullopt;
    zone(number);
    InsertWP(id, ZoneText(number));
    ReloadZone(number, true);
    const TZoneEntries& entries = Entries(number);
    if (entries.empty())
        return std::nullopt;
    return entries.size() - 1;
}

void TZoneDesk::PlaceDroppedElement(const std::string& id, int targetZone, std::optional<std::size_t> hit)
{
    const TZoneEntries& target = zone(targetZone);
    const std::string source = DeskPath(id);
    if (hit && *hit < target.size()) {
        MoveDeskElement(source, DeskPath(target[*hit]));
    } else if (!target.empty()) {
        MoveDeskElement(source, DeskPath(target.back()));
        MoveDownWebPart(id);
    } else if (!GetTag(source).empty()) {
        // Into an empty zone: the element moves there as it is.
        MoveTagToZone(source, ZoneText(targetZone));
    }
}

std::optional<std::size_t> TZoneDesk::Drop(int sourceZone, std::size_t index, int targetZone,
                                          std::optional<std::size_t> hit)
{
    TZoneEntries& source = zone(sourceZone);
    TZoneEntries& target = zone(targetZone);
    if (index >= source.size())
        return std::nullopt;
    PlaceDroppedElement(source[index], targetZone, hit);
    return MoveListEntry(source, target, index, hit);
}

std::optional<std::size_t> TZoneDesk::MoveInZone(int number, std::optional<std::size_t> selected, bool up)
{
    TZoneEntries& entries = zone(number);
    if (!selected || *selected >= entries.size())
        return std::nullopt;
    if (up)
        MoveUpWebPart(entries[*selected]);
    else
        MoveDownWebPart(entries[*selected]);
    std::size_t position = *selected;
    ReloadZone(number);
    if (entries.empty())
        return std::nullopt;
    if (up && position > 0)
        --position;
    else if (!up && position + 1 < entries.size())
        ++position;
    return std::min(position, entries.size() - 1);
}

std::optional<std::size_t> TZoneDesk::DeleteEntry(int number, std::size_t index)
{
    TZoneEntries& entries = zone(number);
    if (index >= entries.size())
        return std::nullopt;
    DeleteWebPart(entries[index]);
    entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(index));
    if (entries.empty())
        return std::nullopt;
    return entries.size() - 1;
}

} // namespace wpe
