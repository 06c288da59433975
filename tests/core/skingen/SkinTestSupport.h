#pragma once
// Shared pieces of the skin generator tests: a skin inside a private copy of
// the sample portal, and independent libxml2 checks of what the generator
// wrote.

#include "core/portal/PortalTestSupport.h"

#include "portal/PortalBase.h"
#include "portal/StartPage.h"
#include "skingen/SkinGenerator.h"
#include "util/Paths.h"

#include <libxml/HTMLparser.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <functional>
#include <map>
#include <set>

namespace wpe::test {

// The skin stylesheet parsed by libxml2 with the portal's entities declared
// inline (its DTD reference is a Windows path), so a parse error means the
// stylesheet is not well-formed. Returns libxml2's first error, or "".
inline std::string StylesheetError(const std::string& xsl, const fs::path& mainDtd)
{
    const std::string dtd = ReadFileBytes(mainDtd);
    const std::size_t start = xsl.find("<!DOCTYPE");
    const std::size_t end = xsl.find('>', start);
    if (start == std::string::npos || end == std::string::npos)
        return "no document type declaration";
    const std::string text =
        xsl.substr(0, start) + "<!DOCTYPE xsl:stylesheet [" + dtd + "]>" + xsl.substr(end + 1);
    xmlResetLastError();
    xmlDocPtr doc = xmlReadMemory(text.data(), static_cast<int>(text.size()), "skin.xsl", nullptr,
                                  XML_PARSE_NOENT | XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    std::string error;
    if (!doc) {
        const xmlError* e = xmlGetLastError();
        error = e && e->message ? e->message : "not well-formed";
    }
    xmlFreeDoc(doc);
    return error;
}

// Every value of a reference attribute (href, src, background, src1, src2)
// in an HTML page, read by libxml2's HTML parser.
inline std::vector<std::string> HtmlReferences(const std::string& html)
{
    std::vector<std::string> refs;
    htmlDocPtr doc = htmlReadMemory(html.data(), static_cast<int>(html.size()), "page.html", "UTF-8",
                                    HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
    std::function<void(xmlNodePtr)> walk = [&](xmlNodePtr node) {
        for (; node; node = node->next) {
            if (node->type == XML_ELEMENT_NODE) {
                for (xmlAttrPtr a = node->properties; a; a = a->next) {
                    const std::string name = reinterpret_cast<const char*>(a->name);
                    if (name == "href" || name == "src" || name == "background" || name == "src1" || name == "src2") {
                        xmlChar* v = xmlNodeListGetString(doc, a->children, 1);
                        refs.emplace_back(v ? reinterpret_cast<const char*>(v) : "");
                        xmlFree(v);
                    }
                }
            }
            walk(node->children);
        }
    };
    if (doc)
        walk(xmlDocGetRootElement(doc));
    xmlFreeDoc(doc);
    return refs;
}

// True for a reference that names no local file: an address with a scheme,
// a protocol-relative or in-page address, or an empty one.
inline bool IsRemoteReference(const std::string& ref)
{
    if (ref.empty() || ref[0] == '#' || ref.rfind("//", 0) == 0)
        return true;
    const std::size_t colon = ref.find(':');
    const std::size_t slash = ref.find('/');
    return colon != std::string::npos && colon > 1 && (slash == std::string::npos || colon < slash);
}

// Where a rendered page reaches a skin's files, as the portal renders it.
inline std::string PageSkinPrefix(const std::string& skin)
{
    return TStartPageOptions{}.skinsPath + skin + "/";
}

// The portal's own script and the endpoints its page calls: served by the
// portal, no files of a skin.
inline bool IsPortalReference(const std::string& ref)
{
    return ref == "portal.js" || ref.find('?') != std::string::npos;
}

// Every file below folder with its size and change time, to show that a run
// wrote nothing there.
inline std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> FolderSnapshot(const fs::path& folder)
{
    std::map<std::string, std::pair<std::uintmax_t, fs::file_time_type>> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        files[entry.path().string()] = {entry.is_regular_file() ? entry.file_size() : 0, entry.last_write_time()};
    return files;
}

// A portal copy with an empty skin folder "SKINS/<name>/" to build into.
class SkinBuildTest : public PortalCopyTest {
protected:
    std::string makeSkinFolder(const std::string& name)
    {
        const fs::path folder = root_ / "SKINS" / name;
        fs::create_directories(folder);
        WriteFileBytes(folder / (name + ".cso"),
                       "<?xml version=\"1.0\" encoding=\"WINDOWS-1251\" ?>\r\n<skin><name>" + name + "</name></skin>");
        return WithTrailingBackslash(folder.string());
    }
    fs::path mainDtd() const { return root_ / "PORTAL" / "main.dtd"; }
};

} // namespace wpe::test
