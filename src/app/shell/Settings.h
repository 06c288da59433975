#pragma once
// The per-user settings key: QSettings("Orlendt", "WebParts Editor") (the
// registry on Windows, an INI file under the user's config folder here).
// Sub-keys are groups; all values are strings.

#include "shell/SettingsStore.h"

#include <string>
#include <vector>

namespace wpe {

// ISettingsStore over QSettings("Orlendt", "WebParts Editor").
class QtSettingsStore final : public ISettingsStore {
public:
    std::string Read(const std::string& name, const std::string& subKey) const override;
    void Write(const std::string& name, const std::string& value, const std::string& subKey) override;
    bool Exists(const std::string& name, const std::string& subKey) const override;
    void DeleteKey(const std::string& subKey) override;
    std::vector<std::string> ValueNames(const std::string& subKey) const override;
};

// The program's settings store.
ISettingsStore& SettingsStore();

// The string value, or "" when the key or the value does not exist.
std::string ReadSetting(const std::string& name, const std::string& subKey = {});
// Creates the key when missing and writes the string.
void WriteSetting(const std::string& name, const std::string& value, const std::string& subKey = {});
// Deletes the sub-key with its values.
void DeleteSettingsKey(const std::string& subKey);
// Fills list with the value names of the sub-key; a missing key leaves the
// list untouched.
void ReadSettingNames(const std::string& subKey, std::vector<std::string>& list);

} // namespace wpe
