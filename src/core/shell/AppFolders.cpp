#include "shell/AppFolders.h"

#include "util/Exception.h"
#include "util/Files.h"
#include "util/Paths.h"

#include <cstdio>
#include <fstream>

namespace wpe {

const std::vector<std::string>& ProgramDataFiles()
{
    static const std::vector<std::string> files = {
        "webpart template.xml", "skin template.html", "skin.css", "category.xml", "WPComment.xml"};
    return files;
}

TAppFolders ComputeAppFolders(const std::string& programDir,
                              const std::function<std::string(const std::string&)>& absolutePath)
{
    auto folder = [](const std::string& path) { return WithTrailingBackslash(NativePath(path)); };
    TAppFolders f;
    f.ProgramDir = folder(programDir);
    f.BinDir = folder(absolutePath("BIN\\"));
    f.PortalDir = folder(absolutePath("PORTAL\\"));
    f.SkinsDir = folder(absolutePath("SKINS\\"));
    f.StorageDir = folder(absolutePath("STORAGE\\"));
    f.CacheDir = folder(absolutePath("CACHE\\"));
    f.SkinTemplatePath = f.ProgramDir + "skin template.html";
    f.CommentFilePath = f.ProgramDir + "WPComment.xml";
    return f;
}

bool FolderWritable(const std::string& folder)
{
    if (folder.empty() || !FolderExists(folder))
        return false;
    std::string probe = WithTrailingBackslash(NativePath(folder)) + ".wpeditor-write-test";
    {
        std::ofstream out(probe, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
    }
    std::remove(probe.c_str());
    return true;
}

std::string PrepareProgramDir(const std::string& programFolder, const std::string& userFolder,
                              const std::vector<std::string>& shippedFolders)
{
    // The program's own folder counts only when it already carries data files
    // (a build tree or a portable copy): an installed program in a system
    // folder must not fill that folder, even when running as root.
    bool holdsData = false;
    for (const auto& name : ProgramDataFiles())
        holdsData = holdsData || FileExists(WithTrailingBackslash(NativePath(programFolder)) + name);
    std::string chosen;
    if (holdsData && FolderWritable(programFolder)) {
        chosen = programFolder;
    } else {
        if (userFolder.empty() || !ForceDirectories(userFolder) || !FolderWritable(userFolder))
            throw Exception("Cannot create the data folder \"" + userFolder + "\"");
        chosen = userFolder;
    }
    chosen = WithTrailingBackslash(NativePath(chosen));
    for (const auto& name : ProgramDataFiles()) {
        if (FileExists(chosen + name))
            continue;
        for (const auto& shipped : shippedFolders) {
            if (shipped.empty())
                continue;
            std::string source = WithTrailingBackslash(NativePath(shipped)) + name;
            if (FileExists(source) && CopyFileReplace(source, chosen + name))
                break;
        }
    }
    return chosen;
}

} // namespace wpe
