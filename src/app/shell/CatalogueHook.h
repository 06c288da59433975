#pragma once
// What the web part editor asks of the catalogue frame. The frame implements
// it; the main window hands the current implementation to the editors.

#include <string>

namespace wpe {

class TWPData;

class ICatalogueHook {
public:
    virtual ~ICatalogueHook() = default;
    // The catalogue entry of a web part file; nullptr when it has none.
    virtual TWPData* FindEntry(const std::string& filePath) = 0;
    // Reads the stored web parts again (after a save).
    virtual void ReloadCatalogue() = 0;
    // True when the category path names a node of the category tree.
    virtual bool FindCategoryNode(const std::string& categoryPath) = 0;
    // Selects the entry's node in the browse tree and shows the Categories tab.
    virtual void ShowEntry(const std::string& filePath) = 0;
};

// Stands in until the catalogue frame exists in the main window: no entry is
// found and nothing is reloaded or shown.
class NoCatalogueYet final : public ICatalogueHook {
public:
    TWPData* FindEntry(const std::string&) override { return nullptr; }
    void ReloadCatalogue() override {}
    bool FindCategoryNode(const std::string&) override { return false; }
    void ShowEntry(const std::string&) override {}
};

} // namespace wpe
