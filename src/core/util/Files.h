#pragma once
// File and folder helpers over the file system. Paths may use "/" or "\"
// (Paths.h); they are turned into native paths before use.

#include "util/Exception.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wpe {

// A file over the size its reader accepts; the message is the file's name.
class FileTooLarge : public Exception {
public:
    using Exception::Exception;
};

// True if a regular file (or a link to one) exists at path.
bool FileExists(std::string_view path);
// True if a folder exists at path.
bool FolderExists(std::string_view path);
// Creates the folder and every missing parent; true if it exists afterwards.
bool ForceDirectories(std::string_view path);
// The system folder for temporary files, ending with a delimiter.
std::string TempFolder();

// Deletes every file below folder; with removeFolders the sub-folders and the
// folder itself go too, otherwise the sub-folders are emptied but stay.
// Entries whose names begin with "." are left alone (so a folder holding
// one is not removed). Goes on after a failure; true only if every deletion
// succeeded. A missing folder gives false.
bool DeleteFolderTree(std::string_view folder, bool removeFolders);

// The file's bytes, unchanged. Raises code 5 (empty name or no such file),
// 41 (cannot be opened, after retries while it stays busy) or 42 (the read
// fails), each with the file name.
std::string ReadWholeFile(std::string_view fileName);
// As ReadWholeFile, for a file that must be a regular file of at most
// maxSize bytes: a folder, pipe or device raises code 42, a larger file
// raises FileTooLarge (carrying the name) before anything is read.
std::string ReadWholeFile(std::string_view fileName, std::uintmax_t maxSize);
// The same into bytes, whose memory is reused (many files read in a row).
void ReadWholeFileInto(std::string_view fileName, std::uintmax_t maxSize, std::string& bytes);
// Replaces the file's content with text, atomically: a temporary file in the
// same folder is written and renamed over the old one, so a failure leaves
// the old file intact and no partial file behind. Raises code 41 with the
// name when the file cannot be written. An empty name does nothing.
void WriteWholeFile(std::string_view fileName, std::string_view text);
// Copies a file over target (replacing it atomically); false on failure,
// leaving target as it was.
bool CopyFileReplace(std::string_view source, std::string_view target);

// A fresh name for a temporary file in target's folder, hidden from listings
// that skip dot files and unique within this run of this process.
std::string TemporarySiblingName(std::string_view target);
// Renames a finished temporary file over target (following target when it is
// a link), retrying while target is busy; false leaves target as it was.
bool ReplaceFile(std::string_view temporary, std::string_view target);

// A regular file directly in a folder: its name (not path) and byte size.
struct TFileEntry {
    std::string name;
    std::uint64_t size = 0;
};
// The regular files directly in folder with their sizes, sorted byte-wise by
// name. A missing or unreadable folder gives an empty list.
std::vector<TFileEntry> ListFileEntries(std::string_view folder);

// Names (not paths) of the regular files directly in folder, sorted byte-wise.
// A missing folder gives an empty list.
std::vector<std::string> ListFiles(std::string_view folder);
// The full path of the entry of folder whose name equals name without regard
// to ASCII case, preferring an exact match; "" when there is none.
std::string FindFileNoCase(std::string_view folder, std::string_view name);

} // namespace wpe
