#include "catalogue/CatalogueText.h"

#include "util/FastStrings.h"

#include <algorithm>

namespace wpe {

namespace {

unsigned char AsciiUp(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 32 : c; }

bool IsLowerLetter(unsigned char c) { return UpCase(c) != c; }

} // namespace

bool SameAsciiCaseless(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiUp(static_cast<unsigned char>(a[i])) != AsciiUp(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string AsciiUpper(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(AsciiUp(static_cast<unsigned char>(c)));
    return out;
}

bool StartsAsciiCaseless(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && SameAsciiCaseless(text.substr(0, prefix.size()), prefix);
}

size_t FindAsciiCaseless(std::string_view pattern, std::string_view text)
{
    if (pattern.empty() || pattern.size() > text.size())
        return 0;
    const unsigned char first = AsciiUp(static_cast<unsigned char>(pattern[0]));
    for (size_t i = 0; i + pattern.size() <= text.size(); ++i) {
        if (AsciiUp(static_cast<unsigned char>(text[i])) != first)
            continue;
        if (SameAsciiCaseless(text.substr(i, pattern.size()), pattern))
            return i + 1;
    }
    return 0;
}

std::string AnsiUpper(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(UpCase(static_cast<unsigned char>(c)));
    return out;
}

int CompareNoCase(std::string_view a, std::string_view b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int x = UpCase(static_cast<unsigned char>(a[i]));
        const int y = UpCase(static_cast<unsigned char>(b[i]));
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
    for (size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (x != y)
            return IsLowerLetter(x) ? -1 : (IsLowerLetter(y) ? 1 : (x < y ? -1 : 1));
    }
    return 0;
}

std::vector<std::string> SplitCategoryPath(std::string_view path)
{
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= path.size()) {
        size_t slash = path.find('/', start);
        if (slash == std::string_view::npos)
            slash = path.size();
        if (slash > start)
            names.emplace_back(path.substr(start, slash - start));
        start = slash + 1;
    }
    return names;
}

std::string JoinCategoryPath(const std::vector<std::string>& names)
{
    std::string out;
    for (size_t i = 0; i < names.size(); ++i) {
        if (i > 0)
            out += '/';
        out += names[i];
    }
    return out;
}

} // namespace wpe
