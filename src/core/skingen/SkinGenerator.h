#pragma once
// The skin generator: turns a page template, plain HTML with agreed element
// ids, into a skin.
//
// A skin folder holds the template, "skin.css" (the template's style sheet),
// "files/" (every other local file the template references, flat) and the
// generated stylesheet "skin.xsl". The template marks where the portal puts
// things with div or span elements whose id is one of the markers below
// (compared without regard to case); inside a zone marker, "ZONE<n>_HAS_BORDER"
// and "ZONE<n>_NO_BORDER" show how a web part with and without a frame looks,
// and "WEBPART_CONTENT", "BORDER_TITLE", "BORDER_MENU", "ICON_EDIT" and
// "ICON_STATE" mark its parts.
//
// Stylesheet generation reads XHTML (the template after TemplateToXhtml) and
// writes the portal's entities ("&SkinsPath;", "&CurrentSkin;", "&Server;",
// ...) and named templates ("DrawContent", ...) as text; the portal's own
// stylesheet and DTD give them meaning.
//
// Local references are resolved against the template's (or skin's) folder,
// or taken as they are when absolute; never against the working folder.
// Folder arguments may end with a delimiter or not.

#include "xml/XXmlDom.h"

#include <string>
#include <string_view>
#include <vector>

namespace wpe {

// Marker ids by index: 0 header, 1 to 5 the zones, 6 footer.
inline constexpr const char* kSkinMarkers[] = {"STARTPAGE_HEADER", "ZONE1", "ZONE2", "ZONE3",
                                               "ZONE4", "ZONE5", "STARTPAGE_FOOTER"};
inline constexpr int kSkinMarkerCount = 7;
// How the generated stylesheet reaches a file of the skin's "files/" folder.
inline constexpr const char* kSkinFileRef = "&SkinsPath;&CurrentSkin;/files/";
// The skin's own style sheet, in the skin folder.
inline constexpr const char* kSkinCss = "skin.css";

// The marker index of node (a div or span whose id is a marker), or -1.
int MarkerIndex(const TXmlDNode* node);

// What an import did, for the caller to show or check.
struct TSkinImport {
    struct Copy {
        std::string source;  // the file the template referenced
        std::string target;  // its reference in the skin: "skin.css" or "files/<name>"
    };
    std::string templateCopy;              // path of the template's copy in the skin folder
    std::vector<Copy> copies;              // one per distinct file, in order of first reference
    std::vector<std::string> unresolved;   // references left as written (remote, missing)
};

// Copies the template into skinFolder (as targetName, or its own name when
// empty) and every local file it references (link href, script src, img
// src, background, src1, src2) into the skin, rewriting the references to
// point there:
// - the first style sheet link becomes "skin.css" in the skin folder; further
//   style sheets, scripts and other links go to filesName + "/" + their name,
//   replacing an older copy of that name;
// - pictures go to filesName + "/" + their name; a picture already there with
//   the same bytes is reused.
// Two different files of one name never overwrite each other: the later one
// gets "name-2.ext" (then -3, ...). A reference that names no existing file
// is left as written. The files folder is created when missing ("Cannot
// create <path>" when that fails); a template that cannot be copied raises;
// a referenced file that cannot be copied is left as written. The copy of the
// template is saved even when the tag parser fails, then its error passes on.
TSkinImport ImportTemplate(const std::string& templateFile, const std::string& skinFolder,
                           const std::string& targetName = {}, const std::string& filesName = "files");

namespace detail {
// The reference-rewriting steps of ImportTemplate over the template's copy.
// batched false is the plain way (every change made in the text at once);
// true gives the same text in time linear in its size. For tests.
TSkinImport RewriteTemplateCopy(const std::string& copy, const std::string& sourceFolder,
                                const std::string& skinFolder, const std::string& filesName, bool batched);
} // namespace detail

// The reference as the generated stylesheet writes it: kSkinFileRef + the
// file name, when reference names an existing local file (relative to
// skinFolder, or absolute); the file is copied into skinFolder's "files/"
// unless it already lives there. Any other reference comes back unchanged.
std::string RewriteFileRef(const std::string& reference, const std::string& skinFolder);

// Rewrites the reference attribute of node with RewriteFileRef: href of
// link, src of script and img, background of any other element (when
// present and not empty). The attribute changes only when it named a local
// file; the result says whether it did.
bool RewriteLinks(TXmlDNode* node, const std::string& skinFolder);

// The desk template: the body of the XHTML file with references rewritten,
// the header and zone markers emptied and given the calls of the portal's
// templates, and the footer's content passed to the portal's onload script
// when it holds both "$1" and "$2". A file without body raises.
std::string GenerateDeskTemplate(const std::string& xhtmlFile, const std::string& skinFolder);

// For every marker in document order: the templates of its framed and
// frameless web part variants and of its edit and state icons. "" when the
// document has no body.
std::string GenerateZoneTemplates(const std::string& xhtmlFile, const std::string& skinFolder);

// The whole skin stylesheet ("skin.xsl"): the build header, the desk and zone
// templates, passed through UnescapeStylesheet so that the entity references
// the generator wrote come back from their escaped form. Lines of the header end with CR LF.
std::string GenerateSkinXsl(const std::string& xhtmlFile, const std::string& skinFolder);

// The serialised stylesheet text with its escapes undone: "&lt;", "&gt;",
// "&quot;", "&apos;" decode, and "&amp;" becomes "&" where an entity or
// character reference follows ("&amp;SkinsPath;", "&amp;#160;"). A lone
// "&amp;" (the template's own "&" in text or an address) stays escaped, so
// the stylesheet stays well-formed.
std::string UnescapeStylesheet(std::string_view text);

// The stylesheet a new skin holds before its first build.
std::string InitialSkinXsl();

// Converts the template to XHTML into xhtmlFile. When Tidy reports errors,
// raises "Skin template \"<file>\" cannot be converted to XHTML:" followed by
// Tidy's first messages, and xhtmlFile is not written.
void TemplateToXhtml(const std::string& templateFile, const std::string& xhtmlFile);

} // namespace wpe
