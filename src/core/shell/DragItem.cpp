#include "shell/DragItem.h"

namespace wpe {

std::string EncodeDragItem(const TDragItem& drag)
{
    std::string out;
    out.reserve(drag.source.size() + 1 + drag.item.size());
    out += drag.source;
    out += '\n';
    out += drag.item;
    return out;
}

std::optional<TDragItem> DecodeDragItem(std::string_view payload)
{
    const auto nl = payload.find('\n');
    if (nl == std::string_view::npos || nl == 0)
        return std::nullopt;
    return TDragItem{std::string(payload.substr(0, nl)), std::string(payload.substr(nl + 1))};
}

} // namespace wpe
