#pragma once
// Finding the stylesheet an HTML page design links to, for importing a skin
// ("Import skin from template...").

#include <string>

namespace wpe {

// The first "link" tag of the HTML file whose "rel" is "stylesheet" (without
// case) and whose "href", resolved against the file's folder, names an
// existing file: that file's path. "" when there is none. Raises when the
// HTML file cannot be read.
std::string FindTemplateStyleSheet(const std::string& htmlPath);

} // namespace wpe
