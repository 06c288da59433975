#include "portal/ElementFile.h"

#include "util/Exception.h"
#include "util/Files.h"

namespace wpe {

namespace {

bool isNameEnd(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '/' || c == '>';
}

// Offset just after the construct that starts with "<" at i, for the kinds
// that are never elements; npos when i starts an ordinary tag.
std::size_t skipSpecial(std::string_view text, std::size_t i)
{
    auto after = [&](std::string_view close, std::size_t from) {
        const std::size_t at = text.find(close, from);
        return at == std::string_view::npos ? text.size() : at + close.size();
    };
    const std::string_view rest = text.substr(i);
    if (rest.starts_with("<!--"))
        return after("-->", i + 4);
    if (rest.starts_with("<![CDATA["))
        return after("]]>", i + 9);
    if (rest.starts_with("<?"))
        return after("?>", i + 2);
    if (rest.starts_with("<!")) {
        // A declaration, possibly with an internal subset in brackets.
        int brackets = 0;
        char quote = 0;
        for (std::size_t j = i + 2; j < text.size(); ++j) {
            const char c = text[j];
            if (quote != 0) {
                if (c == quote)
                    quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '[') {
                ++brackets;
            } else if (c == ']') {
                --brackets;
            } else if (c == '>' && brackets <= 0) {
                return j + 1;
            }
        }
        return text.size();
    }
    return std::string_view::npos;
}

// Offset of the ">" that ends the tag starting at i (quotes respected); npos if none.
std::size_t tagEnd(std::string_view text, std::size_t i)
{
    char quote = 0;
    for (std::size_t j = i + 1; j < text.size(); ++j) {
        const char c = text[j];
        if (quote != 0) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return j;
        }
    }
    return std::string_view::npos;
}

struct TTag {
    std::size_t start = 0;
    std::size_t end = 0;    // after ">"
    std::string_view name;
    bool closing = false;
    bool selfClosing = false;
};

// The next start or end tag at or after from, passing over comments and the like.
bool nextTag(std::string_view text, std::size_t from, TTag& tag)
{
    std::size_t i = from;
    while ((i = text.find('<', i)) != std::string_view::npos) {
        const std::size_t skipped = skipSpecial(text, i);
        if (skipped != std::string_view::npos) {
            i = skipped;
            continue;
        }
        const std::size_t close = tagEnd(text, i);
        if (close == std::string_view::npos)
            return false;
        tag.start = i;
        tag.end = close + 1;
        tag.closing = i + 1 < text.size() && text[i + 1] == '/';
        std::size_t nameStart = i + (tag.closing ? 2 : 1);
        std::size_t nameEnd = nameStart;
        while (nameEnd < close && !isNameEnd(text[nameEnd]))
            ++nameEnd;
        tag.name = text.substr(nameStart, nameEnd - nameStart);
        tag.selfClosing = !tag.closing && close > i && text[close - 1] == '/';
        return true;
    }
    return false;
}

std::string escapeText(std::string_view value)
{
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string decodeEntities(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            out += text[i];
            continue;
        }
        const std::size_t semi = text.find(';', i);
        if (semi == std::string_view::npos || semi - i > 10) {
            out += '&';
            continue;
        }
        const std::string_view entity = text.substr(i + 1, semi - i - 1);
        int decoded = -1;
        if (entity == "lt") decoded = '<';
        else if (entity == "gt") decoded = '>';
        else if (entity == "amp") decoded = '&';
        else if (entity == "quot") decoded = '"';
        else if (entity == "apos") decoded = '\'';
        else if (entity.size() > 1 && entity[0] == '#') {
            const bool hex = entity[1] == 'x' || entity[1] == 'X';
            const std::string digits(entity.substr(hex ? 2 : 1));
            if (!digits.empty() && digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") ==
                                       std::string::npos) {
                const long code = std::stol(digits, nullptr, hex ? 16 : 10);
                // Only ASCII: anything above depends on the file's encoding.
                if (code > 0 && code < 128)
                    decoded = static_cast<int>(code);
            }
        }
        if (decoded < 0) {
            out += '&';
            continue;
        }
        out += static_cast<char>(decoded);
        i = semi;
    }
    return out;
}

bool isSingleCData(std::string_view inner)
{
    return inner.starts_with("<![CDATA[") && inner.ends_with("]]>") &&
           inner.find("]]>") == inner.size() - 3;
}

} // namespace

TElementSpan FindElement(std::string_view text, std::string_view name)
{
    TElementSpan span;
    TTag tag;
    std::size_t from = 0;
    while (nextTag(text, from, tag)) {
        from = tag.end;
        if (tag.closing || tag.name != name)
            continue;
        span.found = true;
        span.start = tag.start;
        span.innerStart = tag.end;
        if (tag.selfClosing) {
            span.selfClosing = true;
            span.innerEnd = tag.end;
            span.end = tag.end;
            return span;
        }
        int depth = 1;
        while (nextTag(text, from, tag)) {
            from = tag.end;
            if (tag.name != name || tag.selfClosing)
                continue;
            depth += tag.closing ? -1 : 1;
            if (depth == 0) {
                span.innerEnd = tag.start;
                span.end = tag.end;
                return span;
            }
        }
        span.closed = false;
        span.innerEnd = text.size();
        span.end = text.size();
        return span;
    }
    return span;
}

std::string DecodeElementText(std::string_view inner)
{
    std::string out;
    std::size_t i = 0;
    while (i < inner.size()) {
        const std::size_t open = inner.find("<![CDATA[", i);
        if (open == std::string_view::npos) {
            out += decodeEntities(inner.substr(i));
            break;
        }
        out += decodeEntities(inner.substr(i, open - i));
        const std::size_t close = inner.find("]]>", open + 9);
        if (close == std::string_view::npos) {
            out += inner.substr(open + 9);
            break;
        }
        out += inner.substr(open + 9, close - open - 9);
        i = close + 3;
    }
    return out;
}

std::string GetElementFromFile(const std::string& fileName, const std::string& name)
{
    const std::string text = ReadWholeFile(fileName);
    const TElementSpan span = FindElement(text, name);
    if (!span.found)
        return {};
    return DecodeElementText(std::string_view(text).substr(span.innerStart, span.innerEnd - span.innerStart));
}

bool HasElementInFile(const std::string& fileName, const std::string& name)
{
    return FindElement(ReadWholeFile(fileName), name).found;
}

std::string SetElementInText(std::string_view text, std::string_view name, std::string_view value)
{
    if (name.empty())
        throw Exception("An element name is needed to store a value");
    const std::string escaped = escapeText(value);
    const TElementSpan span = FindElement(text, name);
    std::string result;
    if (span.found) {
        if (!span.closed)
            throw Exception("The element <" + std::string(name) + "> is not closed");
        if (span.selfClosing) {
            // "<name a='1' />" becomes "<name a='1'>value</name>".
            std::size_t slash = span.end - 2;
            std::size_t keep = slash;
            while (keep > span.start && (text[keep - 1] == ' ' || text[keep - 1] == '\t'))
                --keep;
            result.append(text.substr(0, keep));
            result += '>';
            result += escaped;
            result += "</" + std::string(name) + ">";
            result.append(text.substr(span.end));
            return result;
        }
        const std::string_view inner = text.substr(span.innerStart, span.innerEnd - span.innerStart);
        std::string content = escaped;
        if (isSingleCData(inner) && value.find("]]>") == std::string_view::npos)
            content = "<![CDATA[" + std::string(value) + "]]>";
        result.append(text.substr(0, span.innerStart));
        result += content;
        result.append(text.substr(span.innerEnd));
        return result;
    }

    // Missing: add it as the root element's last child, on a line of its own
    // when the root's end tag starts a line.
    TTag root;
    std::size_t from = 0;
    bool haveRoot = false;
    while (nextTag(text, from, root)) {
        if (!root.closing) {
            haveRoot = true;
            break;
        }
        from = root.end;
    }
    if (!haveRoot)
        throw Exception("There is no root element to hold <" + std::string(name) + ">");
    const std::string element = "<" + std::string(name) + ">" + escaped + "</" + std::string(name) + ">";
    const TElementSpan rootSpan = FindElement(text.substr(root.start), root.name);
    if (!rootSpan.closed)
        throw Exception("The element <" + std::string(root.name) + "> is not closed");
    const std::string newline = text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
    if (rootSpan.selfClosing) {
        std::string_view rootTag = text.substr(root.start, rootSpan.end);
        std::size_t keep = rootTag.size() - 2;
        while (keep > 0 && (rootTag[keep - 1] == ' ' || rootTag[keep - 1] == '\t'))
            --keep;
        result.append(text.substr(0, root.start));
        result.append(rootTag.substr(0, keep));
        result += ">" + newline + "  " + element + newline + "</" + std::string(root.name) + ">";
        result.append(text.substr(root.start + rootSpan.end));
        return result;
    }
    const std::size_t closeAt = root.start + rootSpan.innerEnd;
    std::size_t lineStart = closeAt;
    while (lineStart > 0 && (text[lineStart - 1] == ' ' || text[lineStart - 1] == '\t'))
        --lineStart;
    const bool ownLine = lineStart == 0 || text[lineStart - 1] == '\n';
    result.append(text.substr(0, ownLine ? lineStart : closeAt));
    if (ownLine)
        result += "  " + element + newline;
    else
        result += element;
    result.append(text.substr(ownLine ? lineStart : closeAt));
    return result;
}

void SetElementInFile(const std::string& fileName, const std::string& name, const std::string& value)
{
    const std::string text = ReadWholeFile(fileName);
    std::string updated;
    try {
        updated = SetElementInText(text, name, value);
    } catch (const Exception& e) {
        throw Exception("Cannot store <" + name + "> in \"" + fileName + "\": " + e.message());
    }
    if (updated != text)
        WriteWholeFile(fileName, updated);
}

} // namespace wpe
