#include "portal/XslGenerator.h"
#include "util/Text.h"

#include "util/Exception.h"
#include "util/Files.h"
#include "util/Paths.h"

#include <libexslt/exslt.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/uri.h>
#include <libxml/xmlIO.h>
#include <libxml/xmlerror.h>
#include <libxslt/security.h>
#include <libxslt/transform.h>
#include <libxslt/xslt.h>
#include <libxslt/xsltInternals.h>
#include <libxslt/xsltutils.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <memory>
#include <mutex>

namespace wpe {

namespace {

// ---- error collection -------------------------------------------------------

struct TErrorLog {
    std::string text;

    void addLine(const std::string& line)
    {
        if (!text.empty() && text.back() != '\n')
            text += "\n";
        text += line + "\n";
    }
};

void genericError(void* ctx, const char* format, ...)
{
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    // libxslt sends some messages in pieces; tidyLog splits the whole at line ends.
    static_cast<TErrorLog*>(ctx)->text += buffer;
}

void structuredError(void* ctx, xmlErrorPtr error)
{
    if (error == nullptr || error->message == nullptr)
        return;
    auto* log = static_cast<TErrorLog*>(ctx);
    if (!log->text.empty() && log->text.back() != '\n')
        log->text += "\n";
    if (error->line > 0)
        log->text += "line " + std::to_string(error->line) + ": ";
    log->text += error->message;
    log->text += "\n";
}

std::string tidyLog(const TErrorLog& log)
{
    std::string out;
    std::size_t start = 0;
    while (start <= log.text.size()) {
        std::size_t end = log.text.find('\n', start);
        if (end == std::string::npos)
            end = log.text.size();
        std::string line = log.text.substr(start, end - start);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        if (!line.empty()) {
            if (!out.empty())
                out += "\n";
            out += line;
        }
        start = end + 1;
    }
    return out;
}

// ---- the load policy --------------------------------------------------------

struct TLoadPolicy {
    std::string folder;     // with a trailing delimiter, or empty
    std::string dtdPrefix;
    TErrorLog* log = nullptr;
};

thread_local const TLoadPolicy* activePolicy = nullptr;

// The last name of a reference, after "/" or "\" (also when escaped as %5C).
std::string lastName(const char* reference)
{
    std::string text = reference ? reference : "";
    if (char* unescaped = xmlURIUnescapeString(text.c_str(), 0, nullptr)) {
        text = unescaped;
        xmlFree(unescaped);
    }
    const std::size_t cut = text.find_last_of("/\\");
    std::string name = cut == std::string::npos ? text : text.substr(cut + 1);
    const std::size_t query = name.find_first_of("?#");
    if (query != std::string::npos)
        name.erase(query);
    return name;
}

// The file of the allowed folder that a reference names, by its last name only,
// so neither "..", absolute paths nor other folders can reach outside it.
std::string allowedFile(const char* reference)
{
    const TLoadPolicy* policy = activePolicy;
    if (policy == nullptr || policy->folder.empty())
        return {};
    const std::string name = lastName(reference);
    if (name.empty() || name == "." || name == "..")
        return {};
    return FindFileNoCase(policy->folder, name);
}

xmlParserInputPtr restrictedLoader(const char* url, const char* id, xmlParserCtxtPtr ctxt)
{
    const std::string path = allowedFile(url);
    if (path.empty()) {
        if (activePolicy != nullptr && activePolicy->log != nullptr)
            activePolicy->log->addLine(std::string("Loading \"") + (url ? url : "") +
                                       "\" is not allowed: only files of the portal folder can be used");
        return nullptr;
    }
    if (SameAsciiCaseless(ExtractFileName(path), "main.dtd") && !activePolicy->dtdPrefix.empty()) {
        std::string content;
        try {
            content = activePolicy->dtdPrefix + ReadWholeFile(path);
        } catch (const std::exception&) {
            return nullptr;
        }
        xmlParserInputBufferPtr buffer = xmlParserInputBufferCreateMem(content.data(), static_cast<int>(content.size()),
                                                                       XML_CHAR_ENCODING_NONE);
        if (buffer == nullptr)
            return nullptr;
        xmlParserInputPtr input = xmlNewIOInputStream(ctxt, buffer, XML_CHAR_ENCODING_NONE);
        if (input == nullptr) {
            xmlFreeParserInputBuffer(buffer);
            return nullptr;
        }
        input->filename = reinterpret_cast<const char*>(xmlStrdup(reinterpret_cast<const xmlChar*>(path.c_str())));
        return input;
    }
    return xmlNewInputFromFile(ctxt, path.c_str());
}

void logRefusal(const char* what, const char* value)
{
    if (activePolicy != nullptr && activePolicy->log != nullptr)
        activePolicy->log->addLine(std::string(what) + " \"" + (value ? value : "") +
                                   "\" is not allowed: a stylesheet may not reach files or the network here");
}

int allowRead(xsltSecurityPrefsPtr, xsltTransformContextPtr, const char* value)
{
    if (!allowedFile(value).empty())
        return 1;
    logRefusal("Reading", value);
    return 0;
}

int forbidWrite(xsltSecurityPrefsPtr, xsltTransformContextPtr, const char* value)
{
    logRefusal("Writing", value);
    return 0;
}

int forbidNetwork(xsltSecurityPrefsPtr, xsltTransformContextPtr, const char* value)
{
    logRefusal("Reaching", value);
    return 0;
}

// Installs our error handlers, entity loader and security preferences for one
// run and puts the previous ones back afterwards.
class TRunGuard {
public:
    TRunGuard(const TLoadPolicy& policy, TErrorLog& log)
        : oldPolicy_(activePolicy),
          oldLoader_(xmlGetExternalEntityLoader()),
          oldStructured_(xmlStructuredError),
          oldStructuredCtx_(xmlStructuredErrorContext),
          oldGeneric_(xmlGenericError),
          oldGenericCtx_(xmlGenericErrorContext),
          oldXsltGeneric_(xsltGenericError),
          oldXsltGenericCtx_(xsltGenericErrorContext),
          oldPrefs_(xsltGetDefaultSecurityPrefs()),
          prefs_(xsltNewSecurityPrefs())
    {
        activePolicy = &policy;
        xmlSetExternalEntityLoader(restrictedLoader);
        xmlSetStructuredErrorFunc(&log, structuredError);
        xmlSetGenericErrorFunc(&log, genericError);
        xsltSetGenericErrorFunc(&log, genericError);
        xsltSetSecurityPrefs(prefs_, XSLT_SECPREF_READ_FILE, allowRead);
        xsltSetSecurityPrefs(prefs_, XSLT_SECPREF_WRITE_FILE, forbidWrite);
        xsltSetSecurityPrefs(prefs_, XSLT_SECPREF_CREATE_DIRECTORY, forbidWrite);
        xsltSetSecurityPrefs(prefs_, XSLT_SECPREF_READ_NETWORK, forbidNetwork);
        xsltSetSecurityPrefs(prefs_, XSLT_SECPREF_WRITE_NETWORK, forbidNetwork);
        // Imports and includes are checked against the default preferences.
        xsltSetDefaultSecurityPrefs(prefs_);
    }

    ~TRunGuard()
    {
        xsltSetDefaultSecurityPrefs(oldPrefs_);
        xsltFreeSecurityPrefs(prefs_);
        xsltSetGenericErrorFunc(oldXsltGenericCtx_, oldXsltGeneric_);
        xmlSetGenericErrorFunc(oldGenericCtx_, oldGeneric_);
        xmlSetStructuredErrorFunc(oldStructuredCtx_, oldStructured_);
        xmlSetExternalEntityLoader(oldLoader_);
        activePolicy = oldPolicy_;
    }

    TRunGuard(const TRunGuard&) = delete;
    TRunGuard& operator=(const TRunGuard&) = delete;

    xsltSecurityPrefsPtr prefs() const { return prefs_; }

private:
    const TLoadPolicy* oldPolicy_;
    xmlExternalEntityLoader oldLoader_;
    xmlStructuredErrorFunc oldStructured_;
    void* oldStructuredCtx_;
    xmlGenericErrorFunc oldGeneric_;
    void* oldGenericCtx_;
    xmlGenericErrorFunc oldXsltGeneric_;
    void* oldXsltGenericCtx_;
    xsltSecurityPrefsPtr oldPrefs_;
    xsltSecurityPrefsPtr prefs_;
};

struct TDocFree {
    void operator()(xmlDocPtr doc) const { xmlFreeDoc(doc); }
};
struct TStyleFree {
    void operator()(xsltStylesheetPtr style) const { xsltFreeStylesheet(style); }
};
struct TContextFree {
    void operator()(xsltTransformContextPtr ctxt) const { xsltFreeTransformContext(ctxt); }
};
using TDoc = std::unique_ptr<xmlDoc, TDocFree>;
using TStyle = std::unique_ptr<xsltStylesheet, TStyleFree>;
using TContext = std::unique_ptr<xsltTransformContext, TContextFree>;

[[noreturn]] void fail(const std::string& what, const TErrorLog& log)
{
    const std::string details = tidyLog(log);
    throw Exception(details.empty() ? what : what + ":\n" + details);
}

constexpr int kParseOptions = XSLT_PARSE_OPTIONS | XML_PARSE_NONET;

// Skin stylesheets name their DTD the Windows way ("..\\..\\main.dtd"), which is
// no valid URI reference; the system literal of the document type declaration
// gets "/" instead so that the DTD can be found at all.
std::string withPortableDoctype(std::string_view xsl)
{
    std::string text(xsl);
    const std::size_t doctype = text.find("<!DOCTYPE");
    if (doctype == std::string::npos)
        return text;
    // Only the prolog's declaration: no element may start before it.
    for (std::size_t at = text.find('<'); at < doctype; at = text.find('<', at + 1))
        if (at + 1 < text.size() && std::isalpha(static_cast<unsigned char>(text[at + 1])))
            return text;
    const std::size_t declarationEnd = text.find_first_of(">[", doctype);
    const std::size_t system = text.find("SYSTEM", doctype);
    if (system == std::string::npos || system > declarationEnd)
        return text;
    const std::size_t open = text.find_first_of("\"'", system);
    if (open == std::string::npos || open > declarationEnd)
        return text;
    const std::size_t close = text.find(text[open], open + 1);
    for (std::size_t i = open + 1; i < close && i < text.size(); ++i)
        if (text[i] == '\\')
            text[i] = '/';
    return text;
}

} // namespace

TXslGenerator::TXslGenerator(std::string includeFolder)
{
    setIncludeFolder(std::move(includeFolder));
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        exsltRegisterAll();
    });
}

void TXslGenerator::setIncludeFolder(std::string includeFolder)
{
    includeFolder_ = includeFolder.empty() ? std::string() : WithTrailingBackslash(NativePath(includeFolder));
}

void TXslGenerator::setDtdPrefix(std::string declarations)
{
    dtdPrefix_ = std::move(declarations);
}

std::string TXslGenerator::transform(std::string_view xml, std::string_view xsl, std::string* warnings) const
{
    return run(xml, xsl, "UTF-8", includeFolder_.empty() ? std::string() : includeFolder_ + "stylesheet.xsl",
               warnings);
}

std::string TXslGenerator::transformFileTexts(std::string_view xml, std::string_view xsl,
                                              const std::string& baseUrl) const
{
    return run(xml, xsl, nullptr, baseUrl, nullptr);
}

std::string TXslGenerator::run(std::string_view xml, std::string_view xsl, const char* encoding,
                               const std::string& baseUrl, std::string* warnings) const
{
    TErrorLog log;
    TLoadPolicy policy{includeFolder_, dtdPrefix_, &log};
    TRunGuard guard(policy, log);

    const std::string styleText = withPortableDoctype(xsl);
    // Without a name of its own the engine leaves the line out of its
    // messages; "XSL" names the field the stylesheet comes from. Relative
    // references resolve as they would without it, to nothing allowed.
    const std::string styleUrl = baseUrl.empty() ? std::string("XSL") : baseUrl;
    TDoc styleDoc(xmlReadMemory(styleText.data(), static_cast<int>(styleText.size()), styleUrl.c_str(), encoding,
                                kParseOptions));
    if (!styleDoc)
        fail("The XSL is not well-formed XML", log);
    // The stylesheet takes over the document once it is parsed, also on error.
    TStyle style(xsltParseStylesheetDoc(styleDoc.get()));
    if (!style) {
        // On failure libxslt leaves the document with us.
        fail("The XSL is not a valid stylesheet", log);
    }
    (void)styleDoc.release();
    if (style->errors > 0)
        fail("The XSL is not a valid stylesheet", log);

    TDoc source(xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, encoding, kParseOptions));
    if (!source)
        fail("The XML content is not well-formed", log);

    TContext ctxt(xsltNewTransformContext(style.get(), source.get()));
    if (!ctxt || xsltSetCtxtSecurityPrefs(guard.prefs(), ctxt.get()) != 0)
        fail("The transformation cannot be prepared", log);
    TDoc result(xsltApplyStylesheetUser(style.get(), source.get(), nullptr, nullptr, nullptr, ctxt.get()));
    if (!result || ctxt->state == XSLT_STATE_ERROR || ctxt->state == XSLT_STATE_STOPPED)
        fail("The transformation failed", log);

    if (encoding != nullptr) {
        // Our texts are UTF-8, whatever output encoding the stylesheet asks for.
        if (style->encoding != nullptr)
            xmlFree(style->encoding);
        style->encoding = xmlStrdup(reinterpret_cast<const xmlChar*>("UTF-8"));
    }
    xmlChar* buffer = nullptr;
    int length = 0;
    if (xsltSaveResultToString(&buffer, &length, result.get(), style.get()) != 0)
        fail("The output cannot be written", log);
    std::string output;
    if (buffer != nullptr) {
        output.assign(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(length));
        xmlFree(buffer);
    }
    if (warnings != nullptr)
        *warnings = tidyLog(log);
    return output;
}

} // namespace wpe
