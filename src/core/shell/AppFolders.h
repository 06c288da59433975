#pragma once
// The application folders every part of the program forms its paths from,
// computed once at start-up right after the portal base library started.

#include <functional>
#include <string>
#include <vector>

namespace wpe {

struct TAppFolders {
    std::string ProgramDir;        // folder with the program's data files
    std::string BinDir;
    std::string PortalDir;
    std::string SkinsDir;
    std::string StorageDir;
    std::string CacheDir;
    std::string SkinTemplatePath;  // ProgramDir + "skin template.html"
    std::string CommentFilePath;   // ProgramDir + "WPComment.xml"
};

// The files that ship next to the program; two of them are rewritten by it.
const std::vector<std::string>& ProgramDataFiles();

// The folders for programDir and the portal folders that absolutePath gives
// for "BIN\", "PORTAL\", "SKINS\", "STORAGE\" and "CACHE\". Every folder uses
// native delimiters and ends with one.
TAppFolders ComputeAppFolders(const std::string& programDir,
                              const std::function<std::string(const std::string&)>& absolutePath);

// The folder to use as ProgramDir: programFolder when it already holds one
// of the data files and files can be written there, else userFolder
// (created when missing). Data files missing from the
// chosen folder are copied from the first of shippedFolders that has them;
// files already there are never replaced. Raises when no folder is usable.
std::string PrepareProgramDir(const std::string& programFolder, const std::string& userFolder,
                              const std::vector<std::string>& shippedFolders);

// True when a file can be created in folder (checked by creating one).
bool FolderWritable(const std::string& folder);

} // namespace wpe
