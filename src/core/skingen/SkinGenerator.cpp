#include "skingen/SkinGenerator.h"

#include "portal/PortalText.h"
#include "skin/SkinFolder.h"
#include "skin/TagParser.h"
#include "tidy/Tidy.h"
#include "util/Exception.h"
#include "util/FastStrings.h"
#include "util/Files.h"
#include "util/Paths.h"
#include "util/Text.h"
#include "xml/XmlUtils.h"

#include <cstdio>
#include <filesystem>
#include <map>
#include <system_error>

namespace wpe {

namespace {

// ---- names and references ----

bool isAbsolute(std::string_view path)
{
    if (!path.empty() && IsPathDelimiter(path[0]))
        return true;
    return path.size() >= 3 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
           path[1] == ':' && IsPathDelimiter(path[2]);
}

// The existing local file a reference names: relative to base, or the
// reference itself when it is an absolute path. Unlike ResolveLocalFile,
// a relative name is never looked up in the process's working folder, which
// has nothing to do with the template.
std::string resolveRef(std::string_view reference, const std::string& base)
{
    const std::string r = NativePath(StripScheme(reference));
    if (r.empty())
        return {};
    if (isAbsolute(r))
        return FileExists(r) ? r : std::string();
    const std::string candidate = base + r;
    return FileExists(candidate) ? candidate : std::string();
}

std::string folderOf(const std::string& path)
{
    std::string folder = ExtractFilePath(path);
    if (folder.empty())
        folder = std::string(".") + kPathDelim;
    return WithTrailingBackslash(NativePath(folder));
}

bool sameFile(const std::string& a, const std::string& b)
{
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec);
}

bool sameBytes(const std::string& a, const std::string& b)
{
    std::error_code ec;
    if (std::filesystem::file_size(a, ec) != std::filesystem::file_size(b, ec) || ec)
        return false;
    try {
        return ReadWholeFile(a) == ReadWholeFile(b);
    } catch (const Exception&) {
        return false;
    }
}

// "name.ext" -> "name-<n>.ext"
std::string numberedName(const std::string& name, int n)
{
    const std::string ext = ExtractFileExt(name);
    return name.substr(0, name.size() - ext.size()) + "-" + std::to_string(n) + ext;
}

// ---- import ----

enum class CopyKind { Replace, KeepSame };

class TImporter {
public:
    TImporter(std::string sourceFolder, std::string skinFolder, std::string filesName)
        : source_(std::move(sourceFolder)), skin_(std::move(skinFolder)), filesName_(std::move(filesName)),
          files_(WithTrailingBackslash(skin_ + filesName_))
    {
    }

    TSkinImport report;

    // The new value of the reference when it names a local file (which is
    // then in the skin), else "".
    std::string rewrite(const std::string& value, bool styleSheet, CopyKind kind)
    {
        if (value.empty())
            return {};
        const std::string file = resolveRef(value, source_);
        std::string target;
        if (!file.empty() && styleSheet)
            target = placeStyleSheet(file);
        if (!file.empty() && target.empty())
            target = placeFile(file, kind);
        if (target.empty())
            report.unresolved.push_back(value);
        return target;
    }

private:
    // The first style sheet is the skin's own; later ones are ordinary files.
    std::string placeStyleSheet(const std::string& file)
    {
        if (!styleSheet_.empty())
            return sameFile(styleSheet_, file) ? kSkinCss : std::string();
        if (!CopyFileReplace(file, skin_ + kSkinCss))
            return {};
        styleSheet_ = file;
        report.copies.push_back({file, kSkinCss});
        return kSkinCss;
    }

    std::string placeFile(const std::string& file, CopyKind kind)
    {
        const std::string name = ExtractFileName(file);
        for (int n = 1; n < 10000; ++n) {
            const std::string candidate = n == 1 ? name : numberedName(name, n);
            const std::string key = AnsiUpper(candidate);
            auto claimed = claims_.find(key);
            if (claimed != claims_.end()) {
                if (sameFile(claimed->second.source, file) || sameBytes(claimed->second.source, file))
                    return claimed->second.reference;
                continue; // another file of this import holds the name
            }
            const std::string existing = FindFileNoCase(files_, candidate);
            std::string stored = candidate;
            if (!existing.empty()) {
                stored = ExtractFileName(existing);
                if (!sameBytes(existing, file)) {
                    // An older copy: scripts and style sheets follow their
                    // source; a picture of the same name stays and the new
                    // one takes a free name, so neither is lost.
                    if (kind == CopyKind::KeepSame)
                        continue;
                    if (!CopyFileReplace(file, files_ + stored))
                        return {};
                }
            } else if (!CopyFileReplace(file, files_ + candidate)) {
                return {};
            }
            const std::string reference = filesName_ + "/" + stored;
            claims_[key] = {file, reference};
            report.copies.push_back({file, reference});
            return reference;
        }
        return {};
    }

    struct Claim {
        std::string source;
        std::string reference;
    };

    std::string source_;
    std::string skin_;
    std::string filesName_;
    std::string files_;
    std::string styleSheet_;
    std::map<std::string, Claim> claims_; // upper-cased name in files/ -> who holds it
};

// One pass of the import: for every tag a path finds, the attribute gets the
// value decide() gives (none when it gives ""). In place, each change is
// made with the parser's SetAttribute at once, which moves the rest of the
// text every time; batched, the same new tags are made by SetAttribute on a
// parser over the start tag alone and spliced in together, so a pass costs
// one copy of the text. Both give the same text; batching gives up (false,
// nothing changed) where two changes would overlap, a tag inside another's
// start tag.
class TImportPass {
public:
    TImportPass(TTagParser& parser, bool batched) : parser_(parser), batched_(batched) {}

    template <class Decide>
    bool run(const std::string& path, std::string_view attribute, Decide decide)
    {
        parser_.Reset();
        edits_.clear();
        try {
            while (parser_.Find(path)) {
                const std::string value = decide(parser_.GetAttribute(attribute));
                if (value.empty())
                    continue;
                if (!batched_)
                    parser_.SetAttribute(attribute, value);
                else if (!collect(attribute, value))
                    return false;
            }
        } catch (...) {
            flush();
            throw;
        }
        flush();
        return true;
    }

private:
    struct Edit {
        std::size_t pos;     // 1-based start of the tag
        std::size_t length;  // the tag and the blanks after it
        std::string text;
    };

    bool collect(std::string_view attribute, const std::string& value)
    {
        const std::string& text = parser_.Text();
        const std::size_t pos = parser_.Position();
        const std::string startTag = parser_.GetStartTag();
        if (startTag.empty() || startTag.back() != '>') {
            parser_.SetAttribute(attribute, value); // raises as the in-place pass would
            return true;
        }
        if (!edits_.empty() && pos < edits_.back().pos + edits_.back().length)
            return false;
        TTagParser tag(startTag);
        tag.SetIgnoreCase(parser_.IgnoreCase());
        if (!tag.Find("*") || tag.Position() != 1 || tag.GetStartTag() != startTag)
            return false;
        tag.SetAttribute(attribute, value);
        // As SetAttribute: the blanks and line breaks after the tag go too,
        // but never the text's last character.
        std::size_t q = pos + startTag.size();
        while (q < text.size() && (text[q - 1] == ' ' || text[q - 1] == '\r' || text[q - 1] == '\n'))
            ++q;
        edits_.push_back({pos, q - pos, tag.Text()});
        return true;
    }

    void flush()
    {
        if (edits_.empty())
            return;
        const std::string& text = parser_.Text();
        std::string out;
        out.reserve(text.size() + text.size() / 8);
        std::size_t at = 0;
        for (const Edit& e : edits_) {
            out.append(text, at, e.pos - 1 - at);
            out += e.text;
            at = e.pos - 1 + e.length;
        }
        out.append(text, at, std::string::npos);
        edits_.clear();
        TTagParser rebuilt(std::move(out));
        rebuilt.SetIgnoreCase(parser_.IgnoreCase());
        parser_ = std::move(rebuilt);
    }

    TTagParser& parser_;
    bool batched_;
    std::vector<Edit> edits_;
};


// ---- generation ----

const std::string& tagName(const TXmlDNode* node)
{
    static const std::string none;
    return node && node->NodeType() == ntElement ? node->NodeName() : none;
}

bool isDivOrSpan(const TXmlDNode* node)
{
    const std::string& name = tagName(node);
    return name == "div" || name == "span";
}

TRef<TXmlDDocument> loadXhtml(const std::string& file)
{
    TRef<TXmlDDocument> doc = MakeRef<TXmlDDocument>();
    doc->LoadFromFile(file);
    return doc;
}

TXmlDNode* bodyOf(const TXmlDDocument& doc)
{
    TXmlDElement* root = doc.DocumentElement();
    return root ? root->SelectChild("body") : nullptr;
}

std::string format(std::string_view pattern, std::initializer_list<std::string_view> args)
{
    std::string out;
    auto arg = args.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 's' && arg != args.end()) {
            out += *arg++;
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

void replaceChildren(TXmlDNode* node, std::string_view tag, std::string_view attr, std::string_view value)
{
    node->ClearChildNodes();
    node->AppendChild(TRef<TXmlDNode>(NewElement(tag, attr, value)));
}

TXmlDNode* firstImg(const TXmlDNode* node)
{
    TXmlDNode* first = node->FirstChild();
    return tagName(first) == "img" ? first : nullptr;
}

constexpr std::string_view kEditTemplate =
    "<xsl:template name=\"DrawIconEdit_%s\"><xsl:if test=\"CustomizationLink!=''\"><a sx_link=\"true\">"
    "<xsl:attribute name=\"href\">javascript:showDialog('<xsl:value-of select=\"@ID\"/>', "
    "'&Server;edit?ID=<xsl:value-of select=\"@ID\"/>',<xsl:value-of select=\"CustomizationWidth\"/>,"
    "<xsl:value-of select=\"CustomizationHeight\"/>)</xsl:attribute>%s</a></xsl:if></xsl:template>";
constexpr std::string_view kStateTemplate =
    "<xsl:template name=\"DrawIconState_%s\"><a sx_link=\"true\"><xsl:attribute name=\"href\">"
    "javascript:toggleAndSaveWebpart('<xsl:value-of select='@ID'/>');</xsl:attribute>%s"
    "<xsl:attribute name=\"id\">btn_<xsl:value-of select=\"@ID\"/></xsl:attribute></img></a></xsl:template>";
constexpr std::string_view kFramedTemplate =
    "<xsl:template match=\"zone[@ID='%s']//container[@visible='true']/WebPart[HasFrame='1']\"><div id=\"%s\">";
constexpr std::string_view kFramelessTemplate =
    "<xsl:template match=\"zone[@ID='%s']//container[@visible='true']/WebPart[HasFrame='0']\"><div id=\"%s\">";

// The icon rules; the collected template goes to icons.
void iconEdit(TXmlDNode* element, const std::string& n, const std::string& folder, std::string& icons)
{
    TXmlDNode* img = firstImg(element);
    if (!img)
        return;
    if (GetAttr(img, "alt").empty())
        SetAttr(img, "alt", "&EditWebPart;");
    RewriteLinks(img, folder);
    icons += format(kEditTemplate, {n, img->Xml()});
    replaceChildren(element, "xsl:call-template", "name", "DrawIconEdit_" + n);
}

void iconState(TXmlDNode* element, const std::string& n, const std::string& folder, std::string& icons)
{
    TXmlDNode* img = firstImg(element);
    if (!img)
        return;
    if (GetAttr(img, "alt").empty())
        SetAttr(img, "alt", "&MinimizeWebPart;");
    RewriteLinks(img, folder);
    for (const char* name : {"src1", "src2"}) {
        std::string value = GetAttr(element, name);
        if (value.empty())
            value = GetAttr(img, name);
        SetAttr(img, name, RewriteFileRef(value, folder));
    }
    std::string xml = img->Xml();
    const std::size_t close = xml.find("/>");
    if (close != std::string::npos)
        xml.replace(close, 2, ">");
    icons += format(kStateTemplate, {n, xml});
    replaceChildren(element, "xsl:call-template", "name", "DrawIconState_" + n);
}

std::string zoneTemplates(TXmlDNode* marker, int index, const std::string& folder)
{
    const std::string n = std::to_string(index);
    const std::string framedId = "ZONE" + n + "_HAS_BORDER";
    const std::string framelessId = "ZONE" + n + "_NO_BORDER";
    TXmlDNode* framed = nullptr;
    TXmlDNode* frameless = nullptr;
    std::string icons;
    for (TXmlDNode* node = marker; node; node = NextNodeWithin(node, marker)) {
        if (!isDivOrSpan(node)) {
            RewriteLinks(node, folder);
            continue;
        }
        const std::string id = AnsiUpper(GetAttr(node, "id"));
        if (id == framedId)
            framed = node;
        else if (id == framelessId)
            frameless = node;
        else if (id == "WEBPART_CONTENT")
            replaceChildren(node, "xsl:call-template", "name", "DrawContent");
        else if (id == "BORDER_TITLE")
            replaceChildren(node, "xsl:call-template", "name", "DrawTitle");
        else if (id == "BORDER_MENU")
            replaceChildren(node, "xsl:call-template", "name", "DrawMenu");
        else if (id == "ICON_EDIT")
            iconEdit(node, n, folder, icons);
        else if (id == "ICON_STATE")
            iconState(node, n, folder, icons);
    }
    std::string out;
    if (framed)
        out += format(kFramedTemplate, {n, framedId}) + framed->InnerXml() + "</div></xsl:template>";
    if (frameless)
        out += format(kFramelessTemplate, {n, framelessId}) + frameless->InnerXml() + "</div></xsl:template>";
    return out + icons;
}

// Length of the entity or character reference body at text[at] ("name;",
// "#123;", "#x1F;"), ";" included; 0 when there is none.
std::size_t referenceLength(std::string_view text, std::size_t at)
{
    auto isStart = [](unsigned char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || c >= 0x80;
    };
    auto isName = [&](unsigned char c) { return isStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; };
    auto isDigit = [](unsigned char c) { return c >= '0' && c <= '9'; };
    auto isHex = [&](unsigned char c) { return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); };
    std::size_t i = at;
    if (i < text.size() && text[i] == '#') {
        ++i;
        const bool hex = i < text.size() && text[i] == 'x';
        if (hex)
            ++i;
        const std::size_t digits = i;
        while (i < text.size() && (hex ? isHex(text[i]) : isDigit(text[i])))
            ++i;
        if (i == digits)
            return 0;
    } else {
        if (i >= text.size() || !isStart(text[i]))
            return 0;
        while (i < text.size() && isName(text[i]))
            ++i;
    }
    return i < text.size() && text[i] == ';' ? i + 1 - at : 0;
}

} // namespace

std::string UnescapeStylesheet(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t amp = text.find('&', i);
        if (amp == std::string_view::npos) {
            out.append(text.substr(i));
            break;
        }
        out.append(text.substr(i, amp - i));
        const std::string_view rest = text.substr(amp);
        if (rest.rfind("&amp;", 0) == 0) {
            // "&amp;" turns back into "&" only where a reference follows;
            // a plain "&" of the template's text stays escaped.
            if (referenceLength(text, amp + 5) > 0)
                out += '&';
            else
                out += "&amp;";
            i = amp + 5;
        } else if (rest.rfind("&lt;", 0) == 0) {
            out += '<';
            i = amp + 4;
        } else if (rest.rfind("&gt;", 0) == 0) {
            out += '>';
            i = amp + 4;
        } else if (rest.rfind("&quot;", 0) == 0) {
            out += '"';
            i = amp + 6;
        } else if (rest.rfind("&apos;", 0) == 0) {
            out += '\'';
            i = amp + 6;
        } else {
            out += '&';
            i = amp + 1;
        }
    }
    return out;
}

int MarkerIndex(const TXmlDNode* node)
{
    if (!isDivOrSpan(node))
        return -1;
    const std::string id = AnsiUpper(GetAttr(node, "id"));
    for (int i = 0; i < kSkinMarkerCount; ++i)
        if (id == kSkinMarkers[i])
            return i;
    return -1;
}

TSkinImport ImportTemplate(const std::string& templateFile, const std::string& skinFolder,
                           const std::string& targetName, const std::string& filesName)
{
    const std::string folder = WithTrailingBackslash(NativePath(skinFolder));
    EnsureFolder(WithTrailingBackslash(folder + filesName));

    // Only a name: the copy stays inside the skin folder whatever is passed.
    const std::string copy = folder + ExtractFileName(targetName.empty() ? templateFile : targetName);
    if (!sameFile(templateFile, copy) && !CopyFileReplace(templateFile, copy))
        throw Exception("Cannot copy " + templateFile + " to " + copy);

    TSkinImport report = detail::RewriteTemplateCopy(copy, folderOf(templateFile), folder, filesName, true);
    report.templateCopy = copy;
    return report;
}

namespace detail {

TSkinImport RewriteTemplateCopy(const std::string& copy, const std::string& sourceFolder,
                                const std::string& skinFolder, const std::string& filesName, bool batched)
{
    const std::string original = batched ? ReadWholeFile(copy) : std::string();
    TImporter importer(sourceFolder, skinFolder, filesName);
    TTagParser parser = TTagParser::CreateFromFile(copy);
    parser.SetIgnoreCase(true);
    TImportPass pass(parser, batched);
    bool done = true;
    try {
        for (const char* tag : {"link", "script", "img"}) {
            const bool link = std::string_view(tag) == "link";
            const CopyKind kind = link || std::string_view(tag) == "script" ? CopyKind::Replace : CopyKind::KeepSame;
            done = done && pass.run(tag, link ? "href" : "src", [&](const std::string& value) {
                const bool styleSheet = link && SameNoCase(parser.GetAttribute("rel"), "stylesheet");
                return importer.rewrite(value, styleSheet, kind);
            });
        }
        // Pictures named outside img elements: table and cell backgrounds and
        // the two pictures of the state icon.
        for (const char* attribute : {"background", "src1", "src2"})
            done = done && pass.run(std::string("*[@") + attribute + "!=]", attribute, [&](const std::string& value) {
                return importer.rewrite(value, false, CopyKind::KeepSame);
            });
    } catch (...) {
        WriteWholeFile(copy, parser.Text());
        throw;
    }
    if (!done) {
        // Start again the plain way; the files copied so far are found again
        // with the same bytes, so the names come out the same.
        WriteWholeFile(copy, original);
        return RewriteTemplateCopy(copy, sourceFolder, skinFolder, filesName, false);
    }
    WriteWholeFile(copy, parser.Text());
    return importer.report;
}

} // namespace detail

std::string RewriteFileRef(const std::string& reference, const std::string& skinFolder)
{
    const std::string folder = WithTrailingBackslash(NativePath(skinFolder));
    const std::string file = resolveRef(reference, folder);
    if (file.empty())
        return reference;
    const std::string files = folder + "files" + kPathDelim;
    const std::string name = ExtractFileName(file);
    if (!SameNoCase(ExtractFilePath(file), files)) {
        EnsureFolder(files);
        CopyFileReplace(file, files + name); // a failed copy leaves the reference to a missing file
    }
    return kSkinFileRef + name;
}

bool RewriteLinks(TXmlDNode* node, const std::string& skinFolder)
{
    const std::string& name = tagName(node);
    if (name.empty())
        return false;
    const char* attribute = name == "link" ? "href" : (name == "script" || name == "img") ? "src" : "background";
    const std::string value = GetAttr(node, attribute);
    if (value.empty())
        return false;
    const std::string rewritten = RewriteFileRef(value, skinFolder);
    if (rewritten == value)
        return false;
    SetAttr(node, attribute, rewritten);
    return true;
}

std::string GenerateDeskTemplate(const std::string& xhtmlFile, const std::string& skinFolder)
{
    TRef<TXmlDDocument> doc = loadXhtml(xhtmlFile);
    TXmlDNode* body = bodyOf(*doc);
    if (!body)
        throw Exception("The skin template " + xhtmlFile + " has no body element");
    for (TXmlDNode* node = NextNode(body); node; node = NextNode(node)) {
        RewriteLinks(node, skinFolder);
        const int index = MarkerIndex(node);
        if (index < 0)
            continue;
        const std::string inner = node->InnerXml();
        node->ClearChildNodes();
        if (index == 0) {
            SetAttr(node, "id", "Header");
            node->AppendChild(TRef<TXmlDNode>(NewElement("xsl:apply-templates", "select", "header")));
        } else if (index <= 5) {
            node->AppendChild(TRef<TXmlDNode>(
                NewElement("xsl:apply-templates", "select", "zone[@ID='" + std::to_string(index) + "']")));
        } else {
            SetAttr(node, "id", "footer");
            std::string f;
            if (inner.find("$1") != std::string::npos && inner.find("$2") != std::string::npos)
                f = XmlEscape("&format='" + EncodeForJS(inner) + "'");
            node->AppendChild(TRef<TXmlDNode>(NewElement("script", "src", "&Server;onload?0" + f)));
        }
    }
    return "<xsl:template match=\"desk[@ID='&CurrentDesk;']\">" + body->InnerXml() +
           "<xsl:apply-templates select=\"footer\"/></xsl:template>";
}

std::string GenerateZoneTemplates(const std::string& xhtmlFile, const std::string& skinFolder)
{
    TRef<TXmlDDocument> doc = loadXhtml(xhtmlFile);
    TXmlDNode* body = bodyOf(*doc);
    if (!body)
        return {};
    std::string out;
    for (TXmlDNode* node = body; node; node = NextNode(node)) {
        const int index = MarkerIndex(node);
        if (index >= 0)
            out += zoneTemplates(node, index, skinFolder);
    }
    return out;
}

std::string GenerateSkinXsl(const std::string& xhtmlFile, const std::string& skinFolder)
{
    // The stylesheet carries the template's bytes unchanged, so it declares
    // the template's encoding; a template that names none is Windows-1251.
    std::string encoding = DeclaredEncoding(ReadWholeFile(xhtmlFile));
    if (encoding.empty())
        encoding = "WINDOWS-1251";
    std::string t = "<?xml version=\"1.0\" encoding=\"" + encoding + "\"?>\r\n"
                    "<!DOCTYPE xsl:stylesheet SYSTEM \"..\\..\\main.dtd\">\r\n"
                    "<xsl:stylesheet xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\" version=\"1.0\">\r\n"
                    "<xsl:import href=\"&PortalPath;desk.xsl\"/>\r\n";
    t += GenerateDeskTemplate(xhtmlFile, skinFolder);
    t += GenerateZoneTemplates(xhtmlFile, skinFolder);
    t += "</xsl:stylesheet>";
    return UnescapeStylesheet(t);
}

std::string InitialSkinXsl()
{
    return "<?xml version=\"1.0\" encoding=\"WINDOWS-1251\"?>\r\n"
           "<!DOCTYPE xsl:stylesheet SYSTEM \"..\\..\\main.dtd\">\r\n"
           "<xsl:stylesheet xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\" version=\"1.0\">\r\n"
           "<xsl:import href=\"&BinaryPath;desk.xsl\"/>\r\n"
           "</xsl:stylesheet>";
}

void TemplateToXhtml(const std::string& templateFile, const std::string& xhtmlFile)
{
    const std::string xhtml = TidyFileToText(templateFile, TidyMode::HtmlToXhtml);
    if (TidyErrorCount() > 0 || xhtml.empty()) {
        std::string message = "Skin template \"" + templateFile + "\" cannot be converted to XHTML:";
        std::string text = TidyErrorText();
        int lines = 0;
        std::size_t at = 0;
        while (lines < 5 && at < text.size()) {
            const std::size_t end = text.find("\r\n", at);
            message += "\r\n" + text.substr(at, end - at);
            at = end == std::string::npos ? text.size() : end + 2;
            ++lines;
        }
        if (at < text.size())
            message += "\r\n...";
        throw Exception(message);
    }
    WriteWholeFile(xhtmlFile, xhtml);
}

} // namespace wpe
