#pragma once
// What the web part editor's preview shows for a part's content: the
// content itself, the content rendered by the part's XSL, or a page that
// says why there is nothing to render. Texts are UTF-8.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace wpe {

// text with "&lt;", "&gt;" and "&quot;" turned into '<', '>' and '"';
// nothing else is decoded (the part's own way of writing markup in a field).
std::string DecodePreviewEntities(std::string_view text);

// The HTML shown for content without XSL: the content trimmed, without a
// leading "<![CDATA[" and the first "]]>" after it when it begins with one;
// otherwise the content unchanged.
std::string ContentPreviewHtml(std::string_view content);

// A page that states, styled as an error, that the preview could not be
// made: the heading, then each line of details (the engine's messages).
std::string PreviewErrorPage(std::string_view heading, std::string_view details);

// html with a notice of the engine's warnings above it, styled as an error;
// html unchanged when there are none.
std::string WithPreviewWarnings(std::string_view html, std::string_view warnings);

// The XSLT engine: the output of stylesheet xsl applied to xml; what it
// warned of on a run that still gave an output goes to warnings. Raises on
// failure, with the engine's messages.
using PreviewGenerator = std::function<std::string(const std::string& xml, const std::string& xsl, std::string* warnings)>;

// What the preview shows for a part's content and XSL: nothing new for empty
// content (the preview keeps what it showed); with XSL the generator's output
// for both texts with DecodePreviewEntities applied, with its warnings above
// it, or an error page with its messages when it fails; without XSL the
// ContentPreviewHtml of the content.
std::optional<std::string> PreviewHtml(const std::string& content, const std::string& xsl,
                                       const PreviewGenerator& generator);

// Put before the details whenever the engine refused a file or network
// access, so the user learns that this is the preview's rule, not a fault.
inline constexpr const char* kPreviewSandboxNote =
    "A preview may not read or write files outside the portal folder, nor use the network.";

} // namespace wpe
