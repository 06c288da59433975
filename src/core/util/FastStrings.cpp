#include "util/FastStrings.h"

#include <array>
#include <bitset>
#include <vector>
#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>

namespace wpe {

// ---- Case-folding table ----------------------------------------------------

namespace {

using FoldTable = std::array<unsigned char, 256>;

// Windows-1251 upper-casing, as CharUpperBuffA gives it on a Russian system:
// besides ASCII and the Cyrillic block, the Serbian, Macedonian, Ukrainian and
// Belarusian letters have their capitals elsewhere in the page.
constexpr FoldTable makeFoldTable()
{
    FoldTable t{};
    for (int c = 0; c < 256; ++c)
        t[c] = static_cast<unsigned char>(c);
    for (int c = 'a'; c <= 'z'; ++c)
        t[c] = static_cast<unsigned char>(c - 'a' + 'A');
    for (int c = 0xE0; c <= 0xFF; ++c)
        t[c] = static_cast<unsigned char>(c - 0x20);
    constexpr std::pair<int, int> kOthers[] = {
        {0x83, 0x81}, {0x90, 0x80}, {0x9A, 0x8A}, {0x9C, 0x8C}, {0x9D, 0x8D}, {0x9E, 0x8E},
        {0x9F, 0x8F}, {0xA2, 0xA1}, {0xB3, 0xB2}, {0xB4, 0xA5}, {0xB8, 0xA8}, {0xBA, 0xAA},
        {0xBC, 0xA3}, {0xBE, 0xBD}, {0xBF, 0xAF},
    };
    for (auto [lower, upper] : kOthers)
        t[lower] = static_cast<unsigned char>(upper);
    return t;
}

constexpr FoldTable kFold = makeFoldTable();

// For each folded byte, the raw bytes that fold to it (at most a few).
struct UnfoldTable {
    std::array<std::vector<unsigned char>, 256> raws;
    UnfoldTable()
    {
        for (int c = 0; c < 256; ++c)
            raws[kFold[c]].push_back(static_cast<unsigned char>(c));
    }
    const std::vector<unsigned char>& operator[](unsigned char key) const { return raws[key]; }
};
const UnfoldTable& Unfold()
{
    static const UnfoldTable table;
    return table;
}

// ---- Forward search ---------------------------------------------------------

// Boyer-Moore-Horspool over one pattern, reusable across searches so that
// ReplaceAll builds its tables once. Without case, the pattern is stored
// folded and the skip table is indexed by raw text bytes (entry c holds the
// shift of the folded c), which saves a lookup per step.
class ForwardSearch {
public:
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    ForwardSearch(std::string_view pattern, bool caseSensitive)
        : pattern_(pattern), caseSensitive_(caseSensitive)
    {
        // Searches of short texts are dominated by this set-up, so the tables
        // are built straight from the pattern rather than over all 256 bytes.
        const std::size_t m = pattern_.size();
        const auto full = static_cast<std::uint32_t>(m);
        skip_.fill(full);
        if (!caseSensitive_)
            for (char& c : pattern_)
                c = static_cast<char>(kFold[static_cast<unsigned char>(c)]);
        const auto setSkip = [&](unsigned char key, std::uint32_t value) {
            if (caseSensitive_) {
                skip_[key] = value;
                return;
            }
            // Every raw byte that folds to key shares its shift.
            for (unsigned char raw : Unfold()[key])
                skip_[raw] = value;
        };
        for (std::size_t i = 0; i + 1 < m; ++i)
            setSkip(static_cast<unsigned char>(pattern_[i]), static_cast<std::uint32_t>(m - 1 - i));
        fastSkip_ = skip_;
        const unsigned char last = m ? static_cast<unsigned char>(pattern_[m - 1]) : 0;
        if (m) {
            if (caseSensitive_)
                fastSkip_[last] = 0;
            else
                for (unsigned char raw : Unfold()[last])
                    fastSkip_[raw] = 0;
        }
        // Few different pattern bytes leave most text bytes at the full shift.
        std::bitset<256> seen;
        std::size_t rawBytes = 0;
        for (char ch : pattern_) {
            const auto c = static_cast<unsigned char>(ch);
            if (seen[c])
                continue;
            seen.set(c);
            rawBytes += caseSensitive_ ? 1 : Unfold()[c].size();
        }
        fewDistinct_ = rawBytes <= kFewDistinct;
    }

    // 0-based index of the first match at or after from, or npos.
    std::size_t find(std::string_view text, std::size_t from) const
    {
        const std::size_t m = pattern_.size();
        const std::size_t n = text.size();
        if (m == 0 || from > n || n - from < m)
            return npos;
        const auto* t = reinterpret_cast<const unsigned char*>(text.data());
        const std::size_t end = n - m + 1; // one past the last window start
        return fewDistinct_ ? scanMostlyFullShifts(t, from, end) : scan(t, from, end);
    }

private:
    // Patterns with at most this many different bytes leave most bytes of a
    // text out of the skip table.
    static constexpr int kFewDistinct = 4;

    // A Horspool scan of the windows that begin in [first, end); the window's
    // last byte is at pos. Returns the first match or npos.
    std::size_t scan(const unsigned char* t, std::size_t first, std::size_t end) const
    {
        const std::size_t m = pattern_.size();
        std::size_t pos = first + m - 1;
        const std::size_t stop = end + m - 1;
        // Below this bound three full shifts cannot pass stop.
        const std::size_t fastLimit = stop > 3 * m ? stop - 3 * m : 0;
        for (;;) {
            while (pos < fastLimit) {
                std::uint32_t k = fastSkip_[t[pos]];
                if (k == 0)
                    goto candidate;
                pos += k;
                k = fastSkip_[t[pos]];
                if (k == 0)
                    goto candidate;
                pos += k;
                k = fastSkip_[t[pos]];
                if (k == 0)
                    goto candidate;
                pos += k;
            }
            if (pos >= stop)
                return npos;
            if (fastSkip_[t[pos]] != 0) {
                pos += skip_[t[pos]];
                continue;
            }
        candidate:
            if (matchesBefore(t + pos + 1 - m, m - 1))
                return pos + 1 - m;
            pos += skip_[t[pos]];
        }
    }

    // The same scan for a pattern of few different bytes: most bytes of a
    // text then have the full shift. Testing for that, rather than adding
    // the looked-up shift, lets the processor run ahead on a predicted branch
    // instead of waiting for each lookup.
    std::size_t scanMostlyFullShifts(const unsigned char* t, std::size_t first, std::size_t end) const
    {
        const std::size_t m = pattern_.size();
        const std::uint32_t full = static_cast<std::uint32_t>(m);
        std::size_t pos = first + m - 1;
        const std::size_t stop = end + m - 1;
        // Below this bound four full shifts cannot pass stop.
        const std::size_t fastLimit = stop > 4 * m ? stop - 4 * m : 0;
        for (;;) {
            while (pos < fastLimit) {
                if (fastSkip_[t[pos]] != full)
                    break;
                pos += m;
                if (fastSkip_[t[pos]] != full)
                    break;
                pos += m;
                if (fastSkip_[t[pos]] != full)
                    break;
                pos += m;
                if (fastSkip_[t[pos]] != full)
                    break;
                pos += m;
            }
            if (pos >= stop)
                return npos;
            const unsigned char c = t[pos];
            if (fastSkip_[c] == 0 && matchesBefore(t + pos + 1 - m, m - 1))
                return pos + 1 - m;
            pos += skip_[c];
        }
    }

    // Whether the first count bytes of the window equal the pattern's.
    bool matchesBefore(const unsigned char* window, std::size_t count) const
    {
        const auto* p = reinterpret_cast<const unsigned char*>(pattern_.data());
        if (caseSensitive_)
            return std::memcmp(window, p, count) == 0;
        for (std::size_t i = count; i-- > 0;)
            if (kFold[window[i]] != p[i])
                return false;
        return true;
    }

    std::string pattern_;
    bool caseSensitive_;
    bool fewDistinct_;
    std::array<std::uint32_t, 256> skip_;
    std::array<std::uint32_t, 256> fastSkip_;
};

bool equalAt(const unsigned char* window, std::string_view pattern, bool caseSensitive)
{
    const auto* p = reinterpret_cast<const unsigned char*>(pattern.data());
    if (caseSensitive)
        return window[0] == p[0] && std::memcmp(window + 1, p + 1, pattern.size() - 1) == 0;
    for (std::size_t i = 0; i < pattern.size(); ++i)
        if (kFold[window[i]] != kFold[p[i]])
            return false;
    return true;
}

} // namespace

unsigned char UpCase(unsigned char c)
{
    return kFold[c];
}

std::size_t FindPos(std::string_view pattern, std::string_view text, bool caseSensitive, bool forward,
                    std::size_t start)
{
    const std::size_t m = pattern.size();
    const std::size_t n = text.size();
    if (m == 0 || m > n)
        return 0;
    if (forward) {
        const std::size_t from = start == 0 ? 0 : start - 1;
        if (from >= n)
            return 0;
        // One byte needs no tables; the tag parser looks for "<" and ">" all the time.
        if (m == 1 && caseSensitive) {
            const void* hit = std::memchr(text.data() + from, pattern[0], n - from);
            return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text.data()) + 1 : 0;
        }
        const std::size_t hit = ForwardSearch(pattern, caseSensitive).find(text, from);
        return hit == ForwardSearch::npos ? 0 : hit + 1;
    }
    // Backward: a plain scan from the starting position down to 1.
    const std::size_t first = (start == 0 || start + m > n) ? n - m + 1 : start;
    const auto* t = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t i = first; i >= 1; --i)
        if (equalAt(t + i - 1, pattern, caseSensitive))
            return i;
    return 0;
}

std::vector<std::size_t> FindAllPos(std::string_view pattern, std::string_view text, bool caseSensitive)
{
    std::vector<std::size_t> found;
    if (pattern.empty() || pattern.size() > text.size())
        return found;
    const ForwardSearch search(pattern, caseSensitive);
    for (std::size_t hit = search.find(text, 0); hit != ForwardSearch::npos; hit = search.find(text, hit + 1))
        found.push_back(hit + 1);
    return found;
}

std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view replacement,
                       bool caseSensitive)
{
    if (text.empty())
        return {};
    if (find.empty())
        return std::string(text);
    const std::size_t n = text.size();
    const std::size_t m = find.size();

    std::string result;
    // One allocation at the worst-case size, unless that size is far beyond
    // what a typical replacement needs; then the string grows as it goes.
    std::size_t worst = n;
    if (replacement.size() > m) {
        const std::size_t perHit = replacement.size();
        worst = (n / m) * perHit + (n % m) * perHit / m;
    }
    const std::size_t cap = 4 * n + 65536;
    try {
        result.reserve(worst <= cap ? worst : n + replacement.size());
    } catch (const std::bad_alloc&) {
        result.reserve(n + n / 2);
    } catch (const std::length_error&) {
        result.reserve(n + n / 2);
    }

    const ForwardSearch search(find, caseSensitive);
    std::size_t pos = 0;
    while (n - pos >= m) {
        const std::size_t hit = search.find(text, pos);
        if (hit == ForwardSearch::npos)
            break;
        result.append(text.data() + pos, hit - pos);
        result.append(replacement);
        pos = hit + m;
    }
    result.append(text.data() + pos, n - pos);
    return result;
}

} // namespace wpe
