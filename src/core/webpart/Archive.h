#pragma once
// A saved web part and the files it links to: copying linked local files into
// the part's own folder, and packing the part with that folder into a ".cwp"
// archive (standard ZIP, deflate).

#include <string>
#include <vector>

namespace wpe {

// The link fields whose local files travel with a part, in copying order.
extern const std::vector<std::string> kLinkFieldNames;

// One link field's text before and after copying.
struct LinkField {
    std::string name;   // a name of kLinkFieldNames
    std::string text;   // the field's text; replaced by the bare file name when copied
    bool changed = false;
};

// The part's own folder for the part file partPath: its folder + the file name
// without extension + "/". Empty when that name is empty.
std::string PartFolderOf(const std::string& partPath);

// The archive path for partPath: its folder + name without extension + ".cwp".
// Empty when that name is empty.
std::string ArchivePathOf(const std::string& partPath);

// Copies every existing local file named by a link field into the part's
// folder (created, one level, when missing) and sets the field's text to the
// bare file name. `MasterPartLink` is skipped when it names the part file itself.
// Only absolute paths (or file:// URLs) count as local files, and a file that
// already lies in the part's folder is not copied onto itself.
// Throws "Cannot create directory \"<folder>\"" when the folder cannot be made;
// a failed copy throws with the file named and leaves earlier fields as copied.
void CopyLinkedFiles(const std::string& partPath, std::vector<LinkField>& fields);

// Writes the archive of the part: the part file under its own name (when it
// exists) and every file below the part's folder as "<name>/<path inside>".
// The archive is built next to the old one and renamed over it, so a failure
// leaves any older archive untouched. Returns the archive path.
std::string WritePartArchive(const std::string& partPath);

// The entry names of a ZIP archive, in archive order (for checks and tools).
std::vector<std::string> ArchiveEntryNames(const std::string& archivePath);

// The bytes of one entry of a ZIP archive; throws when it is missing.
std::string ReadArchiveEntry(const std::string& archivePath, const std::string& entryName);

} // namespace wpe
