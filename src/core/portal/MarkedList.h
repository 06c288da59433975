#pragma once
// The Skins and Profiles lists of the Portal tab: the names the portal base
// library gives, the current one marked with a suffix.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wpe {

// The mark appended to the current skin or profile.
inline constexpr const char* kCurrentMark = " [current]";

struct TMarkedList {
    std::vector<std::string> entries;
    std::optional<std::size_t> current;  // the marked entry
};

// names with the first one equal to current (without case) marked.
TMarkedList MarkCurrent(std::vector<std::string> names, const std::string& current);
// True when the entry carries the mark ("[current]" anywhere in it).
bool IsMarkedEntry(std::string_view entry);
// The name an entry stands for: its text before "[current]", trimmed of blanks.
std::string NameOfEntry(std::string_view entry);

// The skins, the current one marked. With no skins the current skin is not
// asked for; when none is current nothing is marked.
TMarkedList LoadSkinList();
// The profiles, the one named by "user/CurrentDesk" marked.
TMarkedList LoadProfileList();

// "Set as current skin" on the entry at selected: nothing (false) without a
// selection or on the marked entry. Otherwise the skin becomes current, the
// list is reloaded and the entry at the same position is marked.
bool SetCurrentSkinEntry(TMarkedList& list, std::optional<std::size_t> selected);
// The same for "Set as current profile" ("user/CurrentDesk").
bool SetCurrentProfileEntry(TMarkedList& list, std::optional<std::size_t> selected);

// The skin file of a skin name: skinsDir + name + "/" + name + ".cso".
// skinsDir ends with a delimiter.
std::string SkinFileOf(const std::string& skinsDir, const std::string& name);

} // namespace wpe
