#pragma once
// The file dialogs' filter texts in their classic "Caption|*.a; *.b|..." form.

#include <string>
#include <string_view>
#include <vector>

namespace wpe {

struct FilterEntry {
    std::string caption;                // "WebPart (*.xml; *.dwp; *.cwp)"
    std::vector<std::string> patterns;  // "*.xml", "*.dwp", "*.cwp"
};

// The caption and pattern pairs of filter; a trailing caption without
// patterns gets "*". Blank patterns are dropped.
std::vector<FilterEntry> ParseDialogFilter(std::string_view filter);

inline constexpr const char* kOpenDocumentFilter = "WebPart (*.xml; *.dwp; *.cwp)|*.xml; *.dwp; *.cwp|Skin (*.cso)|*.cso";
inline constexpr const char* kSaveWebPartFilter = "XML Documents (*.xml; *.xsl)|*.xml; *.xsl";
inline constexpr const char* kHtmlTemplateFilter = "HTML Documents (*.htm*)|*.htm*|All Files|*.*";
inline constexpr const char* kStyleSheetFilter = "Style Sheets (*.css)|*.css|All Files|*.*";

} // namespace wpe
