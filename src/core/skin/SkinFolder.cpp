#include "skin/SkinFolder.h"

#include "util/Exception.h"
#include "util/Files.h"
#include "util/Paths.h"
#include "util/Text.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <system_error>

namespace wpe {

namespace fs = std::filesystem;

namespace {

// Windows refuses these names for files and folders, with or without an
// extension ("nul.txt" too).
bool isDeviceName(std::string_view name)
{
    auto dot = name.find('.');
    std::string_view stem = name.substr(0, dot);
    while (!stem.empty() && stem.back() == ' ')
        stem.remove_suffix(1);
    static constexpr std::array<std::string_view, 4> plain{"CON", "PRN", "AUX", "NUL"};
    for (auto d : plain)
        if (SameAsciiCaseless(stem, d))
            return true;
    if (stem.size() == 4 && (SameAsciiCaseless(stem.substr(0, 3), "COM") || SameAsciiCaseless(stem.substr(0, 3), "LPT")))
        return stem[3] >= '1' && stem[3] <= '9';
    return false;
}

constexpr std::size_t kMaxFolderNameBytes = 255;

} // namespace

const char* const kInitialSkinFileText =
    "<?xml version=\"1.0\" encoding=\"WINDOWS-1251\" ?>\r\n<skin>\r\n  <name>Untitled</name>\r\n"
    "  <author></author>\r\n  <email></email>\r\n  <homepage></homepage>\r\n  <thumbnail></thumbnail>\r\n"
    "  <screenshot></screenshot>\r\n  <comment></comment>\r\n  <htmltemplate>skin template.html</htmltemplate>\r\n"
    "</skin>";

bool IsUntitledSkin(std::string_view name)
{
    return SameAsciiCaseless(name, kUntitledSkin);
}

std::string SkinNameProblem(std::string_view name)
{
    if (name.find_first_not_of(' ') == std::string_view::npos)
        return "The skin name is empty.";
    if (name == "." || name == "..")
        return "\"" + std::string(name) + "\" cannot be a skin name.";
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7F)
            return "A skin name cannot hold control characters.";
        if (c == '/' || c == '\\')
            return "A skin name cannot hold \"/\" or \"\\\".";
        if (std::string_view("<>:\"|?*").find(static_cast<char>(c)) != std::string_view::npos)
            return "A skin name cannot hold any of the characters < > : \" | ? *";
    }
    if (name.back() == '.' || name.back() == ' ')
        return "A skin name cannot end with a dot or a blank.";
    if (isDeviceName(name))
        return "\"" + std::string(name) + "\" is a reserved device name and cannot be a skin name.";
    if (name.size() > kMaxFolderNameBytes)
        return "The skin name is too long.";
    return {};
}

bool SaveAsksForName(std::string_view editedName, bool saveAs)
{
    return saveAs || editedName.empty() || IsUntitledSkin(editedName);
}

bool SaveMovesSkin(std::string_view currentName, std::string_view newName)
{
    return !SameAsciiCaseless(currentName, newName);
}

std::string FindSkinFile(std::string_view folder, std::string_view skinName)
{
    return FindFileNoCase(folder, std::string(skinName) + ".cso");
}

bool CopySkinFolder(const std::string& from, const std::string& to, const std::string& skinName,
                    const std::string& templateFile)
{
    const fs::path source(NativePath(from));
    const fs::path target(NativePath(to));
    const std::string newName = ParentFolderName(WithTrailingBackslash(to));
    const std::string skinFile = FindSkinFile(from, skinName);
    const fs::path skinFilePath = skinFile.empty() ? fs::path() : fs::path(NativePath(skinFile));

    bool ok = true;
    std::error_code ec;
    fs::recursive_directory_iterator it(source, fs::directory_options::none, ec);
    if (ec)
        return false;
    for (; it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (ec) {
            ok = false;
            break;
        }
        const fs::path rel = it->path().lexically_relative(source);
        if (it->is_directory(ec)) {
            fs::create_directories(target / rel, ec);
            ok = ok && !ec;
            continue;
        }
        // The old package and the editor's preview copies are made again
        // from the files; carried along they would only go stale.
        const std::string name = rel.filename().string();
        if (rel.parent_path().empty() &&
            (SameAsciiCaseless(name, skinName + ".zip") || StartsAsciiCaseless(name, "ts~")))
            continue;
        fs::path dest = target / rel;
        if (!skinFilePath.empty() && it->path() == skinFilePath)
            dest = target / (newName + ".cso");
        ok = CopyFileReplace(it->path().string(), dest.string()) && ok;
    }
    // A template kept outside the skin's folder comes along under its name.
    if (!templateFile.empty() && FileExists(templateFile) &&
        !FileExists(WithTrailingBackslash(from) + ExtractFileName(templateFile)))
        ok = CopyFileReplace(templateFile, WithTrailingBackslash(to) + ExtractFileName(templateFile)) && ok;
    return ok;
}

void EnsureFolder(const std::string& folder)
{
    if (FolderExists(folder))
        return;
    std::error_code ec;
    fs::create_directory(fs::path(NativePath(WithoutTrailingDelimiter(folder))), ec);
    if (!FolderExists(folder))
        throw Exception("Cannot create " + folder);
}

void DeleteOtherSkinFiles(const std::string& folder, std::string_view keepName)
{
    for (const std::string& name : ListFiles(folder)) {
        if (name.size() >= 4 && SameAsciiCaseless(std::string_view(name).substr(name.size() - 4), ".cso") &&
            !SameAsciiCaseless(name, keepName)) {
            std::error_code ec;
            fs::remove(fs::path(NativePath(WithTrailingBackslash(folder) + name)), ec);
        }
    }
}

} // namespace wpe
