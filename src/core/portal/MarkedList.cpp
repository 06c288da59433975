#include "portal/MarkedList.h"

#include "portal/BaseITF.h"
#include "skin/SkinFolder.h"
#include "util/CommaText.h"
#include "util/Paths.h"

#include <functional>

namespace wpe {
namespace {

constexpr std::string_view kMarkWord = "[current]";

std::string TrimBlanks(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

TMarkedList MarkAt(std::vector<std::string> names, std::optional<std::size_t> at)
{
    TMarkedList list{std::move(names), std::nullopt};
    if (at && *at < list.entries.size()) {
        list.entries[*at] += kCurrentMark;
        list.current = at;
    }
    return list;
}

bool SetCurrentEntry(TMarkedList& list, std::optional<std::size_t> selected,
                     const std::function<void(const std::string&)>& makeCurrent,
                     const std::function<std::string()>& names)
{
    if (!selected || *selected >= list.entries.size() || IsMarkedEntry(list.entries[*selected]))
        return false;
    makeCurrent(list.entries[*selected]);
    list = MarkAt(SplitCommaText(names()), selected);
    return true;
}

} // namespace

TMarkedList MarkCurrent(std::vector<std::string> names, const std::string& current)
{
    std::optional<std::size_t> at;
    for (std::size_t i = 0; i < names.size() && !at; ++i)
        if (InList(names[i], {current}, false))
            at = i;
    return MarkAt(std::move(names), at);
}

bool IsMarkedEntry(std::string_view entry)
{
    return entry.find(kMarkWord) != std::string_view::npos;
}

std::string NameOfEntry(std::string_view entry)
{
    return TrimBlanks(entry.substr(0, entry.find(kMarkWord)));
}

TMarkedList LoadSkinList()
{
    std::vector<std::string> names = SplitCommaText(GetSkinList());
    if (names.empty())
        return {};
    std::string current;
    try {
        current = GetCurrentSkin();
    } catch (const std::exception&) {
        return {std::move(names), std::nullopt};
    }
    return MarkCurrent(std::move(names), current);
}

TMarkedList LoadProfileList()
{
    std::vector<std::string> names = SplitCommaText(GetDeskList());
    if (names.empty())
        return {};
    return MarkCurrent(std::move(names), GetElementEx("user/CurrentDesk"));
}

bool SetCurrentSkinEntry(TMarkedList& list, std::optional<std::size_t> selected)
{
    return SetCurrentEntry(list, selected, [](const std::string& name) { SetCurrentSkin(name); }, GetSkinList);
}

bool SetCurrentProfileEntry(TMarkedList& list, std::optional<std::size_t> selected)
{
    return SetCurrentEntry(list, selected, [](const std::string& name) { SetElement("user/CurrentDesk", name); },
                           GetDeskList);
}

std::string SkinFileOf(const std::string& skinsDir, const std::string& name)
{
    // A new skin's file is "untitled.cso" in the folder "Untitled".
    const std::string found = FindSkinFile(skinsDir + name, name);
    return found.empty() ? NativePath(skinsDir + name + "/" + name + ".cso") : found;
}

} // namespace wpe
