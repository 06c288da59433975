#include "webpart/Preview.h"

#include "util/FastStrings.h"
#include "util/Text.h"
#include "xml/XXmlDom.h"

namespace wpe {

namespace {

const char* const kErrorStyle =
    "font-family:sans-serif;font-size:13px;color:#8a1010;background:#fff0f0;"
    "border:1px solid #d04040;border-radius:4px;padding:8px 12px;margin:8px";

// The details as escaped lines, with the sandbox note when a refusal is among them.
std::string detailsHtml(std::string_view details) {
    std::string out;
    if (details.find("is not allowed") != std::string_view::npos)
        out += std::string("<p><b>") + kPreviewSandboxNote + "</b></p>";
    if (!TrimBlanks(details).empty())
        out += "<pre style=\"white-space:pre-wrap;margin:4px 0 0 0\">" + XmlEscape(TrimBlanks(details)) + "</pre>";
    return out;
}

} // namespace

std::string DecodePreviewEntities(std::string_view text) {
    std::string r = ReplaceAll(text, "&lt;", "<", true);
    r = ReplaceAll(r, "&gt;", ">", true);
    return ReplaceAll(r, "&quot;", "\"", true);
}

std::string ContentPreviewHtml(std::string_view content) {
    constexpr std::string_view kOpen = "<![CDATA[";
    std::string_view t = TrimBlanks(content);
    if (t.substr(0, kOpen.size()) != kOpen) return std::string(content);
    std::string html(t.substr(kOpen.size()));
    std::size_t end = html.find("]]>");
    if (end != std::string::npos) html.erase(end, 3);
    return html;
}

std::string PreviewErrorPage(std::string_view heading, std::string_view details) {
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Preview</title></head><body>"
           "<div class=\"wpe-preview-error\" style=\"" + std::string(kErrorStyle) + "\"><b>" +
           XmlEscape(heading) + "</b>" + detailsHtml(details) + "</div></body></html>";
}

std::optional<std::string> PreviewHtml(const std::string& content, const std::string& xsl,
                                       const PreviewGenerator& generator) {
    if (content.empty()) return std::nullopt;
    if (xsl.empty()) return ContentPreviewHtml(content);
    // What went wrong is shown in the preview itself, never a blank page.
    try {
        std::string warnings;
        std::string html = generator(DecodePreviewEntities(content), DecodePreviewEntities(xsl), &warnings);
        return WithPreviewWarnings(html, warnings);
    } catch (const std::exception& e) {
        return PreviewErrorPage("The preview cannot be shown", e.what());
    }
}

std::string WithPreviewWarnings(std::string_view html, std::string_view warnings) {
    if (TrimBlanks(warnings).empty()) return std::string(html);
    return "<div class=\"wpe-preview-error\" style=\"" + std::string(kErrorStyle) +
           "\"><b>The preview may be incomplete:</b>" + detailsHtml(warnings) + "</div>" + std::string(html);
}

} // namespace wpe
