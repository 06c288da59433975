#include "util/Text.h"

#include "util/FastStrings.h"

#include <algorithm>

namespace wpe {

namespace {

bool isBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

bool isLowerLetter(unsigned char c) { return UpCase(c) != c; }

} // namespace

// ---- ASCII case ---------------------------------------------------------------

char AsciiUpperChar(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

char AsciiLowerChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string AsciiUpper(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = AsciiUpperChar(c);
    return out;
}

std::string AsciiLower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = AsciiLowerChar(c);
    return out;
}

bool SameAsciiCaseless(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return AsciiUpperChar(x) == AsciiUpperChar(y);
           });
}

bool StartsAsciiCaseless(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && SameAsciiCaseless(text.substr(0, prefix.size()), prefix);
}

std::size_t FindAsciiCaseless(std::string_view pattern, std::string_view text)
{
    if (pattern.empty() || pattern.size() > text.size())
        return 0;
    const char first = AsciiUpperChar(pattern[0]);
    for (std::size_t i = 0; i + pattern.size() <= text.size(); ++i) {
        if (AsciiUpperChar(text[i]) != first)
            continue;
        if (SameAsciiCaseless(text.substr(i, pattern.size()), pattern))
            return i + 1;
    }
    return 0;
}

bool LessAsciiLowerCaseless(std::string_view a, std::string_view b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return AsciiLowerChar(x) < AsciiLowerChar(y);
    });
}

// ---- Code page case -----------------------------------------------------------

std::string AnsiUpper(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(UpCase(static_cast<unsigned char>(c)));
    return out;
}

int CompareNoCase(std::string_view a, std::string_view b)
{
    const unsigned char* up = UpCaseTable();
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int x = up[static_cast<unsigned char>(a[i])];
        const int y = up[static_cast<unsigned char>(b[i])];
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool SameNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

int CompareWithCase(std::string_view a, std::string_view b)
{
    if (int r = CompareNoCase(a, b); r != 0)
        return r;
    // Equal without case: the first letter that differs in case decides,
    // lower case first.
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (x != y)
            return isLowerLetter(x) ? -1 : (isLowerLetter(y) ? 1 : (x < y ? -1 : 1));
    }
    return 0;
}

// ---- Trimming -----------------------------------------------------------------

std::string_view TrimBlanks(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    return TrimBlanksRight(s);
}

std::string_view TrimBlanksRight(std::string_view s)
{
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string_view TrimChars(std::string_view s, std::string_view chars)
{
    const std::size_t first = s.find_first_not_of(chars);
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(chars) - first + 1);
}

// ---- Splitting ----------------------------------------------------------------

std::vector<std::string> SplitNonEmpty(std::string_view text, char delim)
{
    std::vector<std::string> parts;
    for (std::string_view part : SplitAll(text, delim))
        if (!part.empty())
            parts.emplace_back(part);
    return parts;
}

std::vector<std::string_view> SplitAll(std::string_view text, char delim)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(delim, start);
        if (end == std::string_view::npos) {
            parts.push_back(text.substr(start));
            return parts;
        }
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

} // namespace wpe
