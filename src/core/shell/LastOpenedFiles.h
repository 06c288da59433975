#pragma once
// The record of the documents open at the last exit: one value per document
// tab in the sub-key "LastOpenedFiles", named by the tab's position.

#include <string>
#include <vector>

namespace wpe {

class ISettingsStore;

inline constexpr const char* kLastOpenedFilesKey = "LastOpenedFiles";
inline constexpr const char* kLastDirValue = "LastDir";

// Records the document of the tab at position tabIndex (1 = first document tab).
void RecordOpenedFile(ISettingsStore& store, int tabIndex, const std::string& path);
// The recorded paths in the order to reopen them: by tab position, left to
// right, whatever order the store lists the names in (a store that sorts
// names as text would otherwise put "10" before "2"). Names that are not
// positions follow in reverse store order; empty paths are skipped.
std::vector<std::string> FilesToRestore(const ISettingsStore& store);

} // namespace wpe
