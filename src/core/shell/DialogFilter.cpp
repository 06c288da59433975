#include "shell/DialogFilter.h"
#include "util/Text.h"

namespace wpe {
namespace {

std::string_view Trim(std::string_view s)
{
    return TrimChars(s, " \t");
}

} // namespace

std::vector<FilterEntry> ParseDialogFilter(std::string_view filter)
{
    std::vector<FilterEntry> entries;
    if (Trim(filter).empty())
        return entries;
    auto parts = SplitAll(filter, '|');
    for (std::size_t i = 0; i < parts.size(); i += 2) {
        FilterEntry e;
        e.caption = std::string(Trim(parts[i]));
        if (i + 1 < parts.size()) {
            for (auto p : SplitAll(parts[i + 1], ';')) {
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
