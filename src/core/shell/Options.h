#pragma once
// The five user options of the Settings dialog and how they are stored.

#include <string>

namespace wpe {

class ISettingsStore;

// Sub-key that holds the options under the settings key.
inline constexpr const char* kOptionsSubKey = "Options";

struct TOptions {
    bool restoreFiles = true;          // "Latest opened files"
    bool restoreFolder = true;         // "Last opened folder"
    std::string htmlEditor;            // "HTML editor:"
    std::string cssEditor;             // "CSS editor:"
    bool createWebletArchive = false;  // "Create Weblet archive file"

    friend bool operator==(const TOptions&, const TOptions&) = default;
};

// The stored options; a value that is missing or unreadable keeps its default.
TOptions LoadOptions(const ISettingsStore& store);
// Writes all five values ("optRestoreFiles.Checked", ...).
void SaveOptions(ISettingsStore& store, const TOptions& options);

} // namespace wpe
