#pragma once
// The skin package: <skin folder>/<skin name>.zip, a ZIP archive whose root
// is the skin folder. It holds, each only when present, the skin file, the
// generated stylesheet "skin.xsl", "skin.css" and everything below "files".
// The template itself is not packaged.

#include <string>
#include <vector>

namespace wpe {

struct TPackageEntry {
    std::string name;  // entry name inside the archive, "/" between folders
    std::string path;  // the file it comes from
};

// What the package of skinName in skinFolder holds, in a fixed order: the
// skin file (found without regard to case, stored as skinName + ".cso"),
// "skin.xsl", "skin.css", then the files below "files" sorted by name.
std::vector<TPackageEntry> SkinPackageEntries(const std::string& skinFolder, const std::string& skinName);

// The package path: skinFolder + skinName + ".zip".
std::string SkinPackagePath(const std::string& skinFolder, const std::string& skinName);

// Creates or updates the package with deflate at level 9. An existing package
// is updated: an entry is (re)written only when its file is new or newer than
// the entry; every other entry stays as it is. libzip writes the new archive
// beside the old one and renames it over, so a failure leaves the old package
// whole. Returns the number of entries written; throws with the package's name
// when it cannot be written.
int PackageSkin(const std::string& skinFolder, const std::string& skinName);

} // namespace wpe
