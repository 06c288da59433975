#pragma once
// The text search as first written: a Boyer-Moore-Horspool scan forward and a
// plain scan backward, kept as the answer the fast search must give. Shared by
// the unit tests and the fuzz target.

#include "util/FastStrings.h"

#include <array>
#include <cstddef>
#include <string_view>

namespace wpe::reference {

inline unsigned char fold(unsigned char c, bool caseSensitive) { return caseSensitive ? c : UpCase(c); }

inline bool equalAt(std::string_view pattern, std::string_view text, std::size_t at, bool caseSensitive)
{
    for (std::size_t j = 0; j < pattern.size(); ++j)
        if (fold(static_cast<unsigned char>(text[at - 1 + j]), caseSensitive) !=
            fold(static_cast<unsigned char>(pattern[j]), caseSensitive))
            return false;
    return true;
}

// 1-based positions throughout, as the callers see them.
inline std::size_t FindPos(std::string_view pattern, std::string_view text, bool caseSensitive, bool forward,
                           std::size_t start)
{
    const std::size_t m = pattern.size();
    const std::size_t n = text.size();
    if (m == 0 || m > n)
        return 0;
    if (forward) {
        if (start == 0)
            start = 1;
        std::array<std::size_t, 256> skip;
        skip.fill(m);
        for (std::size_t i = 1; i <= m - 1; ++i)
            skip[fold(static_cast<unsigned char>(pattern[i - 1]), caseSensitive)] = m - i;
        // pos is the text position under the window's last character.
        for (std::size_t pos = start + m - 1; pos <= n;) {
            std::size_t j = m;
            while (j > 0 && fold(static_cast<unsigned char>(text[pos - m + j - 1]), caseSensitive) ==
                                fold(static_cast<unsigned char>(pattern[j - 1]), caseSensitive))
                --j;
            if (j == 0)
                return pos - m + 1;
            pos += skip[fold(static_cast<unsigned char>(text[pos - 1]), caseSensitive)];
        }
        return 0;
    }
    const std::size_t first = (start == 0 || start + m > n) ? n - m + 1 : start;
    for (std::size_t i = first; i >= 1; --i)
        if (fold(static_cast<unsigned char>(text[i - 1]), caseSensitive) ==
                fold(static_cast<unsigned char>(pattern[0]), caseSensitive) &&
            equalAt(pattern, text, i, caseSensitive))
            return i;
    return 0;
}

} // namespace wpe::reference
