#include "tidy/Tidy.h"

#include "util/Exception.h"
#include "util/FastStrings.h"
#include "util/Files.h"

#include <libxml/HTMLparser.h>
#include <tidy/tidy.h>
#include <tidy/tidybuffio.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace wpe {

namespace {

// ---- encodings ----

bool isNameChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           c == '.' || c == ':';
}

std::string upper(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        c = static_cast<char>(UpCase(static_cast<unsigned char>(c)));
    return r;
}

// The value after "name" in text from pos: optional blanks, "=", optional
// blanks and quote, then a run of name characters.
std::string valueAfter(std::string_view text, std::size_t pos)
{
    auto skipBlanks = [&] {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t' || text[pos] == '\r' || text[pos] == '\n'))
            ++pos;
    };
    skipBlanks();
    if (pos >= text.size() || text[pos] != '=')
        return {};
    ++pos;
    skipBlanks();
    if (pos < text.size() && (text[pos] == '"' || text[pos] == '\''))
        ++pos;
    const std::size_t start = pos;
    while (pos < text.size() && isNameChar(text[pos]))
        ++pos;
    return upper(text.substr(start, pos - start));
}

// Tidy's name for the encoding it should read and write. Encodings Tidy does
// not know (Windows-1251 above all) go through as raw bytes, which keeps
// every byte as it is.
const char* tidyEncodingFor(const std::string& declared)
{
    if (declared == "UTF-8" || declared == "UTF8")
        return "utf8";
    if (declared == "UTF-16LE")
        return "utf16le";
    if (declared == "UTF-16BE")
        return "utf16be";
    if (declared.rfind("UTF-16", 0) == 0)
        return "utf16";
    return "raw";
}

// ---- conversion ----

struct DocDeleter {
    void operator()(TidyDoc doc) const { tidyRelease(doc); }
};
using DocHandle = std::unique_ptr<std::remove_pointer_t<TidyDoc>, DocDeleter>;

struct Collector {
    std::vector<TidyErrorMessage>* errors;
    std::string prefix;
};

Bool TIDY_CALL collectMessage(::TidyMessage message)
{
    auto* collector = static_cast<Collector*>(tidyGetAppData(tidyGetMessageDoc(message)));
    const TidyReportLevel level = tidyGetMessageLevel(message);
    if (collector && (level == ::TidyError || level == TidyBadDocument || level == TidyFatal)) {
        TidyErrorMessage m;
        m.line = tidyGetMessageLine(message);
        m.column = tidyGetMessageColumn(message);
        const char* out = tidyGetMessageOutput(message);
        m.text = collector->prefix + (out ? out : "");
        while (!m.text.empty() && (m.text.back() == '\n' || m.text.back() == '\r'))
            m.text.pop_back();
        collector->errors->push_back(std::move(m));
    }
    return no; // nothing goes to Tidy's own error sink
}

void applyOptions(TidyDoc doc, TidyMode mode, const char* encoding)
{
    tidyOptSetValue(doc, TidyDoctype, "omit");
    tidySetCharEncoding(doc, encoding);
    tidyOptSetBool(doc, TidyQuiet, yes);
    tidyOptSetBool(doc, TidyMark, no);
    tidyOptSetInt(doc, TidyWrapLen, 0);
    tidyOptSetInt(doc, TidyShowErrors, 1000000);
    tidyOptSetBool(doc, TidyShowWarnings, no);
    tidyOptSetBool(doc, TidyShowInfo, no);
    // References are the generator's business: no URI escaping, no entity
    // decoding (a decoded character would be written as a byte of the wrong
    // code page), no added name attributes.
    tidyOptSetBool(doc, TidyFixUri, no);
    tidyOptSetBool(doc, TidyPreserveEntities, yes);
    tidyOptSetBool(doc, TidyAnchorAsName, no);
    tidyOptSetBool(doc, TidyFixBackslash, no);
    // A stylesheet with errors is still shown; a template with errors must
    // not become a skin.
    tidyOptSetBool(doc, TidyForceOutput, mode == TidyMode::Xml ? yes : no);
    if (mode == TidyMode::HtmlToXhtml) {
        tidyOptSetBool(doc, TidyXhtmlOut, yes);
        // Markers are empty divs and spans nested in one another: merging or
        // dropping them would lose the skin's structure.
        tidyOptSetBool(doc, TidyDropEmptyElems, no);
        tidyOptSetBool(doc, TidyDropEmptyParas, no);
        tidyOptSetInt(doc, TidyMergeDivs, TidyNoState);
        tidyOptSetInt(doc, TidyMergeSpans, TidyNoState);
        tidyOptSetInt(doc, TidyIndentContent, TidyNoState);
    } else {
        tidyOptSetBool(doc, TidyXmlTags, yes);
        tidyOptSetBool(doc, TidyXmlOut, yes);
        tidyOptSetInt(doc, TidyIndentContent, TidyAutoState);
    }
}

// ---- module state ----

struct State {
    int errorCount = 0;
    std::vector<TidyErrorMessage> errors;
};

State& state()
{
    static State s;
    return s;
}

TidyResult convertFile(const std::string& input, TidyMode mode)
{
    const std::string text = ReadWholeFile(input); // raises before the state changes
    TidyResult result = TidyText(text, mode, input);
    state().errorCount = static_cast<int>(result.errors.size());
    state().errors = result.errors;
    return result;
}

// Length of a well-formed XML declaration at text[at] ("<?xml", then
// pseudo-attributes name="value" or name='value' without "<" or ">", then
// "?>"), or 0.
std::size_t xmlDeclarationLength(std::string_view text, std::size_t at)
{
    auto blank = [&](std::size_t i) {
        return i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n');
    };
    std::size_t i = at + 5;
    for (;;) {
        while (blank(i))
            ++i;
        if (text.substr(i, 2) == "?>")
            return i + 2 - at;
        const std::size_t name = i;
        while (i < text.size() && isNameChar(text[i]))
            ++i;
        if (i == name)
            return 0;
        while (blank(i))
            ++i;
        if (i >= text.size() || text[i] != '=')
            return 0;
        ++i;
        while (blank(i))
            ++i;
        if (i >= text.size() || (text[i] != '"' && text[i] != '\''))
            return 0;
        const char quote = text[i++];
        while (i < text.size() && text[i] != quote && text[i] != '<' && text[i] != '>')
            ++i;
        if (i >= text.size() || text[i] != quote)
            return 0;
        ++i;
    }
}

// The first XML declaration ("<?xml" and a blank) that is not well-formed,
// as a 1-based line and column; {0, 0} when there is none. libtidy 5.6 loses
// memory on several broken forms, and no page can mean one, so it is refused
// before Tidy sees it.
std::pair<int, int> brokenXmlDeclaration(std::string_view text)
{
    for (std::size_t at = text.find("<?xml"); at != std::string_view::npos; at = text.find("<?xml", at + 1)) {
        if (at + 5 >= text.size() || !(text[at + 5] == ' ' || text[at + 5] == '\t' || text[at + 5] == '\r' ||
                                       text[at + 5] == '\n'))
            continue;
        if (xmlDeclarationLength(text, at) == 0) {
            const std::string_view before = text.substr(0, at);
            const int line = 1 + static_cast<int>(std::count(before.begin(), before.end(), '\n'));
            const std::size_t lineStart = before.rfind('\n');
            const int column = static_cast<int>(at - (lineStart == std::string_view::npos ? 0 : lineStart + 1)) + 1;
            return {line, column};
        }
    }
    return {0, 0};
}

} // namespace

std::string DeclaredEncoding(std::string_view text)
{
    if (text.size() >= 3 && text.substr(0, 3) == "\xEF\xBB\xBF")
        return "UTF-8";
    if (text.size() >= 2 && text.substr(0, 2) == "\xFF\xFE")
        return "UTF-16LE";
    if (text.size() >= 2 && text.substr(0, 2) == "\xFE\xFF")
        return "UTF-16BE";
    const std::string_view head = text.substr(0, std::min<std::size_t>(text.size(), 8192));
    if (head.substr(0, 5) == "<?xml") {
        const std::size_t end = head.find("?>");
        const std::string_view decl = head.substr(0, end);
        const std::size_t at = decl.find("encoding");
        if (at != std::string_view::npos)
            return valueAfter(decl, at + 8);
    }
    for (std::size_t from = 1; (from = FindPos("charset", head, false, true, from)) != 0; ++from) {
        std::string v = valueAfter(head, from - 1 + 7);
        if (!v.empty())
            return v;
    }
    return {};
}

std::string NumericCharacterReferences(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t amp = text.find('&', i);
        if (amp == std::string_view::npos)
            break;
        out.append(text.substr(i, amp - i));
        std::size_t end = amp + 1;
        while (end < text.size() && end - amp <= 32 &&
               ((text[end] >= 'A' && text[end] <= 'Z') || (text[end] >= 'a' && text[end] <= 'z') ||
                (text[end] >= '0' && text[end] <= '9')))
            ++end;
        const std::string name(text.substr(amp + 1, end - amp - 1));
        const htmlEntityDesc* entity = nullptr;
        if (end < text.size() && text[end] == ';' && !name.empty() && name != "amp" && name != "lt" &&
            name != "gt" && name != "quot" && name != "apos")
            entity = htmlEntityLookup(reinterpret_cast<const xmlChar*>(name.c_str()));
        if (entity) {
            out += "&#" + std::to_string(entity->value) + ";";
            i = end + 1;
        } else {
            out += '&';
            i = amp + 1;
        }
    }
    out.append(text.substr(std::min(i, text.size())));
    return out;
}

TidyResult TidyText(std::string_view text, TidyMode mode, std::string_view fileName, const TTidyFormat* format)
{
    TidyResult result;
    Collector collector{&result.errors, fileName.empty() ? std::string() : std::string(fileName) + ": "};
    if (const auto [line, column] = brokenXmlDeclaration(text); line > 0) {
        result.errors.push_back({line, column,
                                 collector.prefix + "line " + std::to_string(line) + " column " +
                                     std::to_string(column) + " - Error: malformed XML declaration"});
        return result;
    }
    DocHandle doc(tidyCreate());
    tidySetAppData(doc.get(), &collector);
    tidySetMessageCallback(doc.get(), collectMessage);
    applyOptions(doc.get(), mode, tidyEncodingFor(DeclaredEncoding(text)));
    if (format) {
        static constexpr TidyTriState kIndent[] = {TidyNoState, TidyYesState, TidyAutoState};
        tidyOptSetInt(doc.get(), TidyIndentContent, kIndent[std::clamp(format->indent, 0, 2)]);
        tidyOptSetInt(doc.get(), TidyWrapLen, static_cast<ulong>(std::clamp(format->wrapAt, 1, 999)));
        tidyOptSetInt(doc.get(), TidyIndentSpaces, static_cast<ulong>(std::clamp(format->spacing, 1, 999)));
    }

    // Tidy reads from a buffer it does not own; the bytes are not changed.
    std::string input(text);
    TidyBuffer in;
    tidyBufInit(&in);
    tidyBufAttach(&in, reinterpret_cast<byte*>(input.data()), static_cast<uint>(input.size()));
    int rc = tidyParseBuffer(doc.get(), &in);
    tidyBufDetach(&in);
    if (rc >= 0)
        rc = tidyCleanAndRepair(doc.get());
    if (rc >= 0) {
        TidyBuffer out;
        tidyBufInit(&out);
        if (tidySaveBuffer(doc.get(), &out) >= 0 && out.bp)
            result.output.assign(reinterpret_cast<const char*>(out.bp), out.size);
        tidyBufFree(&out);
    }
    if (rc < 0 && result.errors.empty())
        result.errors.push_back({0, 0, collector.prefix + "Tidy could not read the document"});
    if (mode == TidyMode::HtmlToXhtml)
        result.output = NumericCharacterReferences(result.output);
    return result;
}

void TidyFileToFile(const std::string& input, const std::string& output, TidyMode mode)
{
    const TidyResult result = convertFile(input, mode);
    if (!result.output.empty())
        WriteWholeFile(output, result.output);
}

std::string TidyFileToText(const std::string& input, TidyMode mode)
{
    return convertFile(input, mode).output;
}

int TidyErrorCount()
{
    return state().errorCount;
}

std::string TidyErrorText()
{
    std::string text;
    for (const TidyErrorMessage& m : state().errors)
        text += m.text + "\r\n";
    return text;
}

bool RegisterTidyLibrary()
{
    return true;
}

} // namespace wpe
