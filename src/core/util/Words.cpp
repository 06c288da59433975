#include "util/Words.h"

namespace wpe {

namespace {

bool isDelim(const CharSet& delims, char c)
{
    return delims.test(static_cast<unsigned char>(c));
}

} // namespace

CharSet MakeCharSet(std::string_view chars)
{
    CharSet set;
    for (char c : chars)
        set.set(static_cast<unsigned char>(c));
    return set;
}

std::size_t CountWords(std::string_view text, const CharSet& delims)
{
    std::size_t count = 0;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        while (i < n && isDelim(delims, text[i]))
            ++i;
        if (i < n) {
            ++count;
            while (i < n && !isDelim(delims, text[i]))
                ++i;
        }
    }
    return count;
}

std::size_t WordStart(std::size_t n, std::string_view text, const CharSet& delims)
{
    if (n == 0)
        return 0;
    std::size_t count = 0;
    std::size_t i = 0;
    const std::size_t len = text.size();
    while (i < len) {
        while (i < len && isDelim(delims, text[i]))
            ++i;
        if (i < len) {
            if (++count == n)
                return i + 1;
            while (i < len && !isDelim(delims, text[i]))
                ++i;
        }
    }
    return 0;
}

std::string GetWord(std::size_t n, std::string_view text, const CharSet& delims)
{
    const std::size_t start = WordStart(n, text, delims);
    if (start == 0)
        return {};
    std::size_t end = start - 1;
    while (end < text.size() && !isDelim(delims, text[end]))
        ++end;
    return std::string(text.substr(start - 1, end - (start - 1)));
}

std::string Unquote(std::string_view text)
{
    if (text.size() > 1 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front())
        return std::string(text.substr(1, text.size() - 2));
    return std::string(text);
}

} // namespace wpe
