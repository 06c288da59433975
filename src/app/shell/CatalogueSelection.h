#pragma once
// What the "Add to the Start Page" command asks of the catalogue frame: the
// web part selected on its active page. The frame implements it.

#include <optional>
#include <string>

namespace wpe {

struct TCatalogueChoice {
    std::string path;  // the web part's file path
    std::string zone;  // its "Zone" value as the catalogue read it
};

class ICatalogueSelection {
public:
    virtual ~ICatalogueSelection() = default;
    // The selected tree node (image index 1) of the "Browse" page, or the
    // selected entry of the "Search" page, when it carries web part data;
    // nullopt otherwise.
    virtual std::optional<TCatalogueChoice> SelectedWebPart() const = 0;
};

} // namespace wpe
