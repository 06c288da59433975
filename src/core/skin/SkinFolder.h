#pragma once
// A skin is a folder under the portal's skins folder, named after the skin.
// These are the rules of that folder that need no window: which names can be
// folder names, when a save asks for a name or moves the skin, and how a
// skin's files are carried to a new folder.

#include <string>
#include <string_view>

namespace wpe {

// The name of a skin that has not been saved under a name of its own.
inline constexpr const char* kUntitledSkin = "Untitled";

// True for "Untitled" in any letter case.
bool IsUntitledSkin(std::string_view name);

// Why name cannot be a skin's folder name on Linux or Windows, or "" when it
// can: empty or blank, "." or "..", a path separator, a control character, a
// character Windows refuses (<>:"|?*), a trailing dot or blank, a device name
// (CON, PRN, AUX, NUL, COM1-9, LPT1-9, also with an extension), or longer
// than a folder name may be.
std::string SkinNameProblem(std::string_view name);

// A save asks for a name when told to (save as), or when the skin has none
// of its own yet (empty or Untitled).
bool SaveAsksForName(std::string_view editedName, bool saveAs);
// A save under newName moves the skin to another folder when the names
// differ other than in letter case.
bool SaveMovesSkin(std::string_view currentName, std::string_view newName);

// The skin file of skinName in folder: the ".cso" named after the skin,
// found without regard to letter case; "" when there is none.
std::string FindSkinFile(std::string_view folder, std::string_view skinName);

// Copies the skin in folder from (named skinName, template templateFile)
// into folder to, which exists: every file and sub-folder, so nothing the
// user keeps in the skin's folder is lost by a rename, except what is made
// again from them (the old package skinName + ".zip" and "ts~" preview
// copies). The skin file goes under the new folder's name + ".cso"; the
// template keeps its file name.
// Failures of single files are skipped; returns false when any copy failed.
bool CopySkinFolder(const std::string& from, const std::string& to, const std::string& skinName,
                    const std::string& templateFile);

// Deletes every ".cso" file directly in folder whose name differs from
// keepName without regard to letter case: a skin folder holds one.
void DeleteOtherSkinFiles(const std::string& folder, std::string_view keepName);

// Nothing when folder exists; otherwise creates it (one level). Raises
// "Cannot create " + folder when that fails.
void EnsureFolder(const std::string& folder);

// The text of a new skin file, with CR LF line ends.
extern const char* const kInitialSkinFileText;

} // namespace wpe
