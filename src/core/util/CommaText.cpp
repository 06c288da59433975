#include "util/CommaText.h"

namespace wpe {
namespace {

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

} // namespace

std::vector<std::string> SplitCommaText(std::string_view text)
{
    std::vector<std::string> entries;
    std::size_t i = 0;
    const std::size_t n = text.size();
    auto skipBlanks = [&] {
        while (i < n && IsBlank(text[i]))
            ++i;
    };
    skipBlanks();
    while (i < n) {
        std::string entry;
        if (text[i] == '"') {
            ++i;
            while (i < n) {
                if (text[i] == '"') {
                    if (i + 1 < n && text[i + 1] == '"') {
                        entry += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                entry += text[i++];
            }
        } else {
            while (i < n && !IsBlank(text[i]) && text[i] != ',')
                entry += text[i++];
        }
        entries.push_back(std::move(entry));
        skipBlanks();
        if (i < n && text[i] == ',') {
            if (i + 1 == n)
                entries.emplace_back();
            ++i;
            skipBlanks();
        }
    }
    return entries;
}

std::vector<std::string> SplitLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

} // namespace wpe
