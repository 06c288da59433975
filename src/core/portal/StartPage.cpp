#include "portal/StartPage.h"

#include "util/Exception.h"
#include "util/Files.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <memory>

namespace wpe {

namespace {

struct TDocFree {
    void operator()(xmlDocPtr doc) const { xmlFreeDoc(doc); }
};
using TDoc = std::unique_ptr<xmlDoc, TDocFree>;

const xmlChar* x(const char* text)
{
    return reinterpret_cast<const xmlChar*>(text);
}

// Libxml2 prints parse errors of its own unless told otherwise; a broken web
// part is reported on the page instead.
constexpr int kReadOptions = XML_PARSE_NONET | XML_PARSE_NOCDATA | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

std::string childrenXml(xmlDocPtr doc, xmlNodePtr node)
{
    std::string out;
    xmlBufferPtr buffer = xmlBufferCreate();
    for (xmlNodePtr child = node->children; child != nullptr; child = child->next)
        xmlNodeDump(buffer, doc, child, 0, 0);
    out.assign(reinterpret_cast<const char*>(xmlBufferContent(buffer)), static_cast<std::size_t>(xmlBufferLength(buffer)));
    xmlBufferFree(buffer);
    return out;
}

xmlNodePtr childNamed(xmlNodePtr node, const char* name)
{
    for (xmlNodePtr child = node->children; child != nullptr; child = child->next)
        if (child->type == XML_ELEMENT_NODE && xmlStrEqual(child->name, x(name)))
            return child;
    return nullptr;
}

std::string escapeHtml(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        default: out += c;
        }
    }
    return out;
}

// Puts the web part of a container into it, rendered where it has its own XSL.
void addWebPart(const TPortalBase& base, xmlDocPtr page, xmlNodePtr container, const std::string& id)
{
    std::string file;
    try {
        file = base.fileNameFromId(id);
    } catch (const Exception&) {
        return;
    }
    TDoc part(xmlReadFile(file.c_str(), nullptr, kReadOptions));
    xmlNodePtr root = part ? xmlDocGetRootElement(part.get()) : nullptr;
    if (root == nullptr || !xmlStrEqual(root->name, x("WebPart")))
        return;
    xmlNodePtr copy = xmlDocCopyNode(root, page, 1);
    xmlSetProp(copy, x("ID"), x(id.c_str()));
    xmlAddChild(container, copy);

    xmlNodePtr content = childNamed(root, "Content");
    xmlNodePtr xsl = childNamed(root, "XSL");
    if (content == nullptr || xsl == nullptr || xmlFirstElementChild(xsl) == nullptr)
        return;
    std::string rendered;
    try {
        rendered = base.generator().transform(childrenXml(part.get(), content), childrenXml(part.get(), xsl));
    } catch (const Exception& e) {
        rendered = "<div class=\"webpart-error\">" + escapeHtml(e.message()) + "</div>";
    }
    xmlNewTextChild(copy, nullptr, x("Rendered"), x(rendered.c_str()));
}

} // namespace

std::string StartPageSource(const TPortalBase& base)
{
    TDoc page(xmlNewDoc(x("1.0")));
    xmlNodePtr desks = xmlNewNode(nullptr, x("desks"));
    xmlDocSetRootElement(page.get(), desks);
    xmlNodePtr desk = xmlNewChild(desks, nullptr, x("desk"), nullptr);
    xmlSetProp(desk, x("ID"), x(base.currentDesk().c_str()));
    for (int zone = 1; zone <= kZoneCount; ++zone) {
        xmlNodePtr zoneNode = xmlNewChild(desk, nullptr, x("zone"), nullptr);
        xmlSetProp(zoneNode, x("ID"), x(std::to_string(zone).c_str()));
        for (const std::string& id : base.zoneWebParts(zone)) {
            // The desk element as stored, with whatever attributes it carries.
            const std::string element = base.tag("desk/container:" + id);
            TDoc stored(xmlReadMemory(element.data(), static_cast<int>(element.size()), nullptr, "UTF-8", kReadOptions));
            xmlNodePtr container = stored ? xmlDocCopyNode(xmlDocGetRootElement(stored.get()), page.get(), 1) : nullptr;
            if (container == nullptr)
                continue;
            xmlAddChild(zoneNode, container);
            addWebPart(base, page.get(), container, id);
        }
    }
    xmlChar* text = nullptr;
    int length = 0;
    xmlDocDumpMemoryEnc(page.get(), &text, &length, "UTF-8");
    std::string out(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length));
    xmlFree(text);
    return out;
}

std::string RenderStartPage(const TPortalBase& base)
{
    const std::string skin = base.currentSkin();
    const std::string stylesheet = FindFileNoCase(base.absolutePath("SKINS/" + skin), "skin.xsl");
    if (stylesheet.empty())
        throw Exception("The skin \"" + skin + "\" has no skin.xsl: build the skin first");
    return base.generator().transformFileTexts(StartPageSource(base), ReadWholeFile(stylesheet), stylesheet);
}

std::string BuildStartPage(const TPortalBase& base)
{
    const std::string html = RenderStartPage(base);
    const std::string file = base.absolutePath("PORTAL") + "desk.html";
    WriteWholeFile(file, html);
    return file;
}

} // namespace wpe
