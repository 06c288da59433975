#include "shell/FileList.h"

#include "util/Files.h"
#include "util/Paths.h"
#include "util/Text.h"
#include "xml/XXml.h"
#include "xml/XXmlDom.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <memory>

namespace wpe {

// ---- filters and masks ----

const std::vector<std::string>& FileMasks(TFileFilter filter)
{
    static const std::vector<std::string> webParts = {"*.xml", "*.dwp", "*.cwp"};
    static const std::vector<std::string> skins = {"*.cso"};
    static const std::vector<std::string> allTolvinex = {"*.xml", "*.dwp", "*.cwp", "*.cso"};
    static const std::vector<std::string> all = {"*.*"};
    switch (filter) {
    case TFileFilter::WebParts: return webParts;
    case TFileFilter::Skins: return skins;
    case TFileFilter::AllFiles: return all;
    case TFileFilter::AllTolvinex: break;
    }
    return allTolvinex;
}

TFileFilter FirstCheckedFilter(const std::array<bool, kFileFilterCount>& checked)
{
    for (std::size_t i = 0; i < checked.size(); ++i)
        if (checked[i])
            return static_cast<TFileFilter>(i);
    return TFileFilter::AllTolvinex;
}

namespace {

bool MatchFrom(std::string_view name, std::string_view mask)
{
    // Iterative wildcard match with back-tracking to the last '*'.
    std::size_t n = 0, m = 0, starMask = std::string_view::npos, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || AsciiLowerChar(mask[m]) == AsciiLowerChar(name[n]))) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (starMask != std::string_view::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}

} // namespace

bool MatchesMask(std::string_view name, std::string_view mask)
{
    if (mask == "*.*" || mask == "*")
        return true;
    return MatchFrom(name, mask);
}

// ---- row texts ----

std::string FileSizeText(std::uint64_t bytes)
{
    std::uint64_t kb = bytes == 0 ? 0 : (bytes < 1024 ? 1 : bytes / 1024);
    return std::to_string(kb) + " KB";
}

std::uint64_t SizeTextValue(std::string_view text)
{
    std::size_t k = text.find('K');
    std::string_view number = TrimBlanks(text.substr(0, k));
    std::uint64_t value = 0;
    auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || end != number.data() + number.size() || number.empty())
        return 0;
    return value;
}

bool HasDescriptionExt(std::string_view fileName)
{
    std::string ext = ExtractFileExt(fileName);
    return ext == ".xml" || ext == ".dwp" || ext == ".cwp";
}

// ---- description reader ----

namespace {

bool IsDescriptionName(std::string_view name) { return SameAsciiCaseless(name, "description"); }

// The value of encoding="..." in an XML declaration's data.
std::string DeclaredEncoding(std::string_view data)
{
    std::size_t at = data.find("encoding");
    if (at == std::string_view::npos)
        return {};
    at = data.find_first_of("\"'", at);
    if (at == std::string_view::npos)
        return {};
    std::size_t end = data.find(data[at], at + 1);
    if (end == std::string_view::npos)
        return {};
    return std::string(data.substr(at + 1, end - at - 1));
}

TDescription Scan(TXmlReader& reader)
{
    TDescription result;
    // The reader keeps its own stack but does not expose it; the innermost
    // element's name is all the scan needs.
    std::vector<std::string> open;
    try {
        for (;;) {
            switch (reader.Next()) {
            case tkProcessingInstruction:
                if (reader.Name() == "xml" && result.encoding.empty())
                    result.encoding = DeclaredEncoding(reader.Value());
                break;
            case tkStartTag: open.push_back(reader.Name()); break;
            case tkEndTag:
                if (!open.empty())
                    open.pop_back();
                break;
            case tkText:
                if (!open.empty() && IsDescriptionName(open.back())) {
                    result.text = std::string(TrimBlanks(XmlUnescape(reader.Value())));
                    return result;
                }
                break;
            case tkEndOfInput: return result;
            default: break;
            }
        }
    } catch (const std::exception&) {
        // Not XML past this point: no description.
    }
    return result;
}

} // namespace

TDescription ReadDescriptionFromText(std::string_view xml)
{
    TXmlReader reader;
    reader.Open(xml);
    return Scan(reader);
}

TDescription ReadDescription(const std::string& path)
{
    try {
        auto stream = std::make_unique<std::ifstream>(NativePath(path), std::ios::binary);
        if (!*stream)
            return {};
        TXmlReader reader;
        reader.Open(stream.release(), true);
        return Scan(reader);
    } catch (const std::exception&) {
        return {};
    }
}

// ---- listing ----

std::vector<TFileRow> ListFileRows(const std::string& folder, const std::vector<std::string>& masks,
                                   const std::function<void(const std::string&)>& progress,
                                   const TTitleDecoder& decodeTitle)
{
    std::vector<TFileRow> rows;
    if (masks.empty())
        return rows;
    const std::vector<TFileEntry> entries = ListFileEntries(folder);
    const std::string base = WithTrailingBackslash(NativePath(folder));
    for (const std::string& mask : masks) {
        for (const TFileEntry& entry : entries) {
            if (!MatchesMask(entry.name, mask))
                continue;
            TFileRow row;
            row.name = entry.name;
            row.path = base + entry.name;
            row.sizeText = FileSizeText(entry.size);
            if (HasDescriptionExt(entry.name)) {
                TDescription d = ReadDescription(row.path);
                row.title = decodeTitle ? decodeTitle(d) : d.text;
            }
            if (progress)
                progress(row.path);
            rows.push_back(std::move(row));
        }
    }
    return rows;
}

// ---- sorting ----

namespace {

// The next character of UTF-8 text; a byte that does not start a valid
// sequence stands for itself.
char32_t NextChar(std::string_view s, std::size_t& i)
{
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const int extra = (c >= 0xC2 && c < 0xE0) ? 1 : (c >= 0xE0 && c < 0xF0) ? 2 : (c >= 0xF0 && c < 0xF5) ? 3 : 0;
    if (extra > 0 && i + extra < s.size()) {
        char32_t cp = c & (0x3F >> extra);
        bool ok = true;
        for (int k = 1; k <= extra && ok; ++k) {
            const unsigned char t = static_cast<unsigned char>(s[i + k]);
            ok = (t & 0xC0) == 0x80;
            cp = (cp << 6) | (t & 0x3F);
        }
        if (ok) {
            i += extra + 1;
            return cp;
        }
    }
    ++i;
    return c;
}

char32_t FoldCase(char32_t c)
{
    if (c >= 'A' && c <= 'Z')
        return c + 32;
    if (c < 0xC0)
        return c;
    if (c <= 0xDE && c != 0xD7)
        return c + 0x20;
    if (c >= 0x100 && c <= 0x17F) {
        bool pairEven = (c <= 0x137) || (c >= 0x14A && c <= 0x177);
        if (pairEven)
            return (c % 2 == 0) ? c + 1 : c;
        if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
            return (c % 2 == 1) ? c + 1 : c;
        return c;
    }
    if (c >= 0x391 && c <= 0x3A9 && c != 0x3A2)
        return c + 0x20;
    if (c >= 0x410 && c <= 0x42F)
        return c + 0x20;
    if (c >= 0x400 && c <= 0x40F)
        return c + 0x50;
    return c;
}

} // namespace

int CompareTextNoCase(std::string_view a, std::string_view b)
{
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        char32_t x = FoldCase(NextChar(a, i));
        char32_t y = FoldCase(NextChar(b, j));
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    return 0;
}

void TFileSort::ClickHeader(int clicked)
{
    if (clicked == column) {
        ascending = !ascending;
    } else {
        column = clicked;
        ascending = true;
    }
}

int CompareFileRows(const TFileRow& a, const TFileRow& b, int column)
{
    switch (column) {
    case 0: return CompareTextNoCase(a.name, b.name);
    case 1: return CompareTextNoCase(a.title, b.title);
    case 2: {
        std::uint64_t x = SizeTextValue(a.sizeText), y = SizeTextValue(b.sizeText);
        return x < y ? -1 : (x > y ? 1 : 0);
    }
    default: return 0;
    }
}

void SortFileRows(std::vector<TFileRow>& rows, const TFileSort& sort)
{
    std::stable_sort(rows.begin(), rows.end(), [&](const TFileRow& a, const TFileRow& b) {
        int r = CompareFileRows(a, b, sort.column);
        return sort.ascending ? r < 0 : r > 0;
    });
}

} // namespace wpe
