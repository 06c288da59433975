#pragma once
// What the "Add to the Start Page" command reads from the catalogue frame:
// the web part selected on its active tab, with the zone the part prefers.
// The frame implements it; the zone designer sets the command it runs.

#include <functional>
#include <optional>
#include <string>

namespace wpe {

struct TSelectedPart {
    std::string filePath;
    std::string zone;  // the part's Zone text as the catalogue read it
};

class ICatalogueSelection {
public:
    virtual ~ICatalogueSelection() = default;
    // The web part selected on the Browse tab (a web part node) or the
    // Search tab (a list item); nothing on the Categories tab or without one.
    virtual std::optional<TSelectedPart> SelectedPart() const = 0;

    // Run by both "Add to the Start Page" buttons; empty until the zone
    // designer sets it.
    std::function<void()> addToStartPage;
};

} // namespace wpe
