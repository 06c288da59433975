#pragma once
// What travels with a drag between the program's lists (catalogue tree and
// search list, file list, zone lists): the name of the control it came from
// and the dragged item, a web part file path or a zone entry. Drop targets
// decide by the source's name, so the payload carries it.

#include <optional>
#include <string>
#include <string_view>

namespace wpe {

// The private MIME type of these drags.
inline constexpr const char* kDragItemMimeType = "application/x-wpe-item";

struct TDragItem {
    std::string source;  // objectName of the control the drag started in
    std::string item;    // file path, or the zone entry for a zone list
};

// "source" LF "item"; the source name holds no line break.
std::string EncodeDragItem(const TDragItem& drag);
// The inverse of EncodeDragItem; nullopt for a payload without a line break
// or with an empty source.
std::optional<TDragItem> DecodeDragItem(std::string_view payload);

} // namespace wpe
