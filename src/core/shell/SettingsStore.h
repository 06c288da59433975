#pragma once
// The per-user settings key seen as string values grouped in sub-keys. The
// program stores them with QSettings; the rules that read and write them
// (options, last opened files) live in the core and take this interface.

#include <string>
#include <vector>

namespace wpe {

class ISettingsStore {
public:
    virtual ~ISettingsStore() = default;
    // The value, or "" when the sub-key or the value does not exist.
    // An empty subKey means the key itself.
    virtual std::string Read(const std::string& name, const std::string& subKey) const = 0;
    // Creates the sub-key when missing and writes the value.
    virtual void Write(const std::string& name, const std::string& value, const std::string& subKey) = 0;
    // True when the value exists (an existing empty value counts).
    virtual bool Exists(const std::string& name, const std::string& subKey) const = 0;
    // Deletes the sub-key with all its values.
    virtual void DeleteKey(const std::string& subKey) = 0;
    // The value names of the sub-key in the store's order; empty when missing.
    virtual std::vector<std::string> ValueNames(const std::string& subKey) const = 0;
};

} // namespace wpe
