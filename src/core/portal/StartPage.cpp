#include "portal/StartPage.h"
#include "util/Text.h"

#include "portal/ContentCache.h"
#include "util/Exception.h"
#include "util/Files.h"
#include "util/Paths.h"
#include "xml/XXmlDom.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cctype>
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

std::string trimmed(std::string text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.pop_back();
    std::size_t start = 0;
    while (start < text.size() && std::isspace(static_cast<unsigned char>(text[start])))
        ++start;
    return text.substr(start);
}

std::string childText(xmlNodePtr node, const char* name)
{
    xmlNodePtr child = childNamed(node, name);
    if (child == nullptr)
        return {};
    xmlChar* content = xmlNodeGetContent(child);
    std::string text = content ? reinterpret_cast<const char*>(content) : "";
    xmlFree(content);
    return trimmed(text);
}

// True when the element holds an element or some text that is not blank.
bool hasSubstance(xmlNodePtr node)
{
    if (node == nullptr)
        return false;
    for (xmlNodePtr child = node->children; child != nullptr; child = child->next) {
        if (child->type == XML_ELEMENT_NODE)
            return true;
        if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
            xmlChar* content = xmlNodeGetContent(child);
            const bool blank = trimmed(content ? reinterpret_cast<const char*>(content) : "").empty();
            xmlFree(content);
            if (!blank)
                return true;
        }
    }
    return false;
}

bool hasElementChild(xmlNodePtr node)
{
    return node != nullptr && xmlFirstElementChild(node) != nullptr;
}

// An empty link, or the editor's default "http://", names nothing.
bool usableLink(const std::string& link)
{
    return !link.empty() && !(link.size() == 7 && StartsAsciiCaseless(link, "http://"));
}

class TPartRenderer {
public:
    TPartRenderer(const TPortalBase& base, const TStartPageOptions& options)
        : base_(base), cache_(options.cache), onError_(options.onPartError)
    {
    }

    // Puts the web part of a container into it, producing <Rendered> where
    // the part's output has to be made here.
    void Add(xmlDocPtr page, xmlNodePtr container, const std::string& id) const
    {
        std::string file;
        try {
            file = base_.fileNameFromId(id);
        } catch (const Exception&) {
            addPlaceholder(page, container, id, "its file is not in the storage folder");
            return;
        }
        TDoc part(xmlReadFile(file.c_str(), nullptr, kReadOptions));
        xmlNodePtr root = part ? xmlDocGetRootElement(part.get()) : nullptr;
        if (root == nullptr) {
            addPlaceholder(page, container, id, "its file is not well-formed XML");
            return;
        }
        if (!xmlStrEqual(root->name, x("WebPart"))) {
            addPlaceholder(page, container, id, "its file is not a web part");
            return;
        }
        xmlNodePtr copy = xmlDocCopyNode(root, page, 1);
        xmlSetProp(copy, x("ID"), x(id.c_str()));
        xmlAddChild(container, copy);

        std::string rendered;
        try {
            if (!render(part.get(), root, id, rendered))
                return;
        } catch (const Exception& e) {
            rendered = errorBox(id, e.message());
        }
        xmlNewTextChild(copy, nullptr, x("Rendered"), x(rendered.c_str()));
    }

private:
    // False when the part's own Content is shown as it is.
    bool render(xmlDocPtr doc, xmlNodePtr root, const std::string& id, std::string& out) const
    {
        xmlNodePtr content = childNamed(root, "Content");
        xmlNodePtr xsl = childNamed(root, "XSL");
        const std::string contentLink = childText(root, "ContentLink");
        const std::string xslLink = childText(root, "XSLLink");
        const TCachePolicy policy =
            TCachePolicy::FromTexts(childText(root, "CacheBehavior"), childText(root, "CacheTimeout"));
        const bool isXml = childText(root, "ContentType") == "3" || hasElementChild(xsl);

        if (!isXml) {
            if (hasSubstance(content) || !usableLink(contentLink))
                return false;
            out = linkedContent(root, id, contentLink, policy);
            return true;
        }
        std::string contentXml;
        if (hasSubstance(content))
            contentXml = childrenXml(doc, content);
        else if (usableLink(contentLink)) {
            bool fallback = false;
            contentXml = linkedContent(root, id, contentLink, policy, &fallback);
            if (fallback) {
                out = contentXml;
                return true;
            }
        }
        else
            throw Exception("it has no content (Content and ContentLink are empty)");
        std::string xslText;
        if (hasElementChild(xsl))
            xslText = childrenXml(doc, xsl);
        else if (usableLink(xslLink))
            xslText = linked(id, xslLink, policy, "XSL");
        else
            throw Exception("its content is XML but it has no XSL (XSL and XSLLink are empty)");
        out = base_.generator().transform(contentXml, xslText);
        return true;
    }

    // The content behind a link; when it cannot be had, the part's own
    // NoContent stands in for it (the failure still goes to the log).
    std::string linkedContent(xmlNodePtr root, const std::string& id, const std::string& link,
                              const TCachePolicy& policy, bool* fallback = nullptr) const
    {
        try {
            return linked(id, link, policy, "content");
        } catch (const Exception& e) {
            xmlNodePtr noContent = childNamed(root, "NoContent");
            if (!hasSubstance(noContent))
                throw;
            if (onError_)
                onError_(id, e.message());
            if (fallback != nullptr)
                *fallback = true;
            xmlChar* text = xmlNodeGetContent(noContent);
            std::string out = text ? reinterpret_cast<const char*>(text) : "";
            xmlFree(text);
            return out;
        }
    }

    // What a link names: an address is downloaded through the cache, anything
    // else is the name of a file in the part's own folder (STORAGE/<id>/).
    std::string linked(const std::string& id, const std::string& link, const TCachePolicy& policy,
                       const std::string& what) const
    {
        if (StartsAsciiCaseless(link, "http://") || StartsAsciiCaseless(link, "https://")) {
            if (cache_ == nullptr)
                throw Exception("its " + what + " at " + link + " is not downloaded here");
            return cache_->Get(link, policy);
        }
        if (link.find_first_of("/\\:") != std::string::npos || link == "." || link == "..")
            throw Exception("its " + what + " link \"" + link + "\" is neither an address nor a file of its folder");
        const std::string folder = base_.absolutePath("STORAGE") + id;
        const std::string file = FindFileNoCase(folder, link);
        if (file.empty() || !FileExists(file))
            throw Exception("its " + what + " file \"" + link + "\" is not in the folder " + NativePath(folder));
        return ReadWholeFile(file);
    }

    void addPlaceholder(xmlDocPtr page, xmlNodePtr container, const std::string& id, const std::string& reason) const
    {
        xmlNodePtr part = xmlNewChild(container, nullptr, x("WebPart"), nullptr);
        xmlSetProp(part, x("ID"), x(id.c_str()));
        xmlNewTextChild(part, nullptr, x("Title"), x(id.c_str()));
        xmlNewTextChild(part, nullptr, x("HasFrame"), x("1"));
        xmlNewTextChild(part, nullptr, x("Rendered"), x(errorBox(id, reason).c_str()));
        (void)page;
    }

    std::string errorBox(const std::string& id, const std::string& reason) const
    {
        if (onError_)
            onError_(id, reason);
        return WebPartErrorBox(id, reason);
    }

    const TPortalBase& base_;
    TContentCache* cache_;
    std::function<void(const std::string&, const std::string&)> onError_;
};

} // namespace

std::string WebPartErrorBox(const std::string& id, const std::string& reason)
{
    return "<div class=\"webpart-error\" style=\"border:1px solid #c0392b;background:#fdecea;color:#922;"
           "padding:4px 6px;font-size:small;white-space:pre-wrap\"><b>The web part \"" +
           XmlEscape(id) + "\" cannot be shown:</b> " + XmlEscape(reason) + "</div>";
}

std::string StartPageSource(const TPortalBase& base, const TStartPageOptions& options)
{
    const TPartRenderer renderer(base, options);
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
            renderer.Add(page.get(), container, id);
        }
    }
    xmlChar* text = nullptr;
    int length = 0;
    xmlDocDumpMemoryEnc(page.get(), &text, &length, "UTF-8");
    std::string out(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length));
    xmlFree(text);
    return out;
}

std::string RenderStartPage(const TPortalBase& base, const TStartPageOptions& options)
{
    const std::string skin = base.currentSkin();
    const std::string stylesheet = FindFileNoCase(base.absolutePath("SKINS/" + skin), "skin.xsl");
    if (stylesheet.empty())
        throw Exception("The skin \"" + skin + "\" has no skin.xsl: build the skin first");
    const std::string source = StartPageSource(base, options);
    // The first declaration of an entity wins, so these go ahead of the portal's.
    TXslGenerator generator = base.generator();
    generator.setDtdPrefix("<!ENTITY SkinsPath \"" + DtdEntityValue(options.skinsPath) + "\">\n<!ENTITY Server \"" +
                           DtdEntityValue(options.server) + "\">\n" + generator.dtdPrefix());
    return generator.transformFileTexts(source, ReadWholeFile(stylesheet), stylesheet);
}

std::string BuildStartPage(const TPortalBase& base, const TStartPageOptions& options)
{
    const std::string html = RenderStartPage(base, options);
    const std::string file = base.absolutePath("PORTAL") + "desk.html";
    WriteWholeFile(file, html);
    return file;
}

} // namespace wpe
