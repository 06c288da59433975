#include "shell/DialogFilter.h"

namespace wpe {
namespace {

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> Split(std::string_view s, char delim)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        std::size_t end = s.find(delim, start);
        parts.push_back(s.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return parts;
}

} // namespace

std::vector<FilterEntry> ParseDialogFilter(std::string_view filter)
{
    std::vector<FilterEntry> entries;
    if (Trim(filter).empty())
        return entries;
    auto parts = Split(filter, '|');
    for (std::size_t i = 0; i < parts.size(); i += 2) {
        FilterEntry e;
        e.caption = std::string(Trim(parts[i]));
        if (i + 1 < parts.size()) {
            for (auto p : Split(parts[i + 1], ';')) {
                p = Trim(p);
                if (!p.empty())
                    e.patterns.emplace_back(p);
            }
        }
        if (e.patterns.empty())
            e.patterns.emplace_back("*");
        entries.push_back(std::move(e));
    }
    return entries;
}

} // namespace wpe
