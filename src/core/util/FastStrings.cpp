#include "util/FastStrings.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>
#include <vector>

// Sixteen windows at a time on x86-64, where SSE2 is always there; a plain
// loop elsewhere gives the same answers.
#if (defined(__SSE2__) || defined(_M_X64)) && (defined(__GNUC__) || defined(__clang__))
#define WPE_PAIR_SSE2 1
#include <emmintrin.h>
#else
#define WPE_PAIR_SSE2 0
#endif

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

// The other byte with the same upper-case form (the byte itself when it has
// none). The table pairs every letter with one other byte only, which lets a
// caseless compare test two values.
constexpr FoldTable makePartnerTable()
{
    FoldTable t{};
    for (int c = 0; c < 256; ++c)
        t[c] = static_cast<unsigned char>(c);
    for (int c = 0; c < 256; ++c)
        if (kFold[c] != c)
            t[c] = kFold[c], t[kFold[c]] = static_cast<unsigned char>(c);
    return t;
}

constexpr FoldTable kPartner = makePartnerTable();

constexpr bool atMostTwoPerFold()
{
    for (int c = 0; c < 256; ++c) {
        int members = 0;
        for (int r = 0; r < 256; ++r)
            members += kFold[r] == kFold[c];
        if (members > 2)
            return false;
    }
    return true;
}
static_assert(atMostTwoPerFold(), "a caseless compare tests two byte values");

// ---- Byte rarity ------------------------------------------------------------

// How common each byte is in pages, feeds and web parts (0 rarest, 255 most
// common), counted over real files. The search anchors on the two rarest bytes
// of a pattern, so that few windows need a full compare.
constexpr unsigned char kRank[256] = {
    252, 217, 199, 192, 195, 173, 202, 187, 172, 176, 235,  54, 120, 191, 189, 135,
    164, 175, 146, 165, 196, 186, 181, 128,  82,  86, 193,  94, 154, 167, 129,  57,
    255, 198, 221, 205, 136, 131, 211, 152, 201, 179, 184,  90, 206, 254, 243, 218,
    244, 250, 241, 238, 236, 249, 232, 225, 228, 227, 229, 220, 213, 214, 215,  77,
    200, 190, 115, 142, 169, 183, 177,  76, 139, 178,  69,  41, 166, 203, 163,  62,
    185, 144, 104, 160, 188,  96,  40,  38,  25, 123, 150, 145, 161, 159,  72, 130,
     17, 245, 224, 234, 237, 251, 223, 226, 231, 247, 180, 208, 240, 230, 242, 248,
    233, 219, 246, 239, 253, 222, 216, 209, 212, 207, 197, 210,  15, 204,  16,   4,
    194, 124,  97,  58,   2,  21,  55,  50,  46,  81, 122,  60,  67, 162, 118,  43,
     51, 119, 101, 151,  14,  18,  74,  27,  22,  78, 174,  79,  35,  85,  64, 103,
    182,  42, 132, 107,  73,  39, 141,  83, 147, 114,  65,  28,  36, 126, 138,  48,
     10,  89,  23,  92,  95, 156,  31,  84, 113, 143,  87,  68,  13, 121,   7,   3,
     24,   9,   0,  99,  47,  80, 108, 111,  75,  29,   5,  52,  26, 148,  71, 127,
    116, 105, 117, 149, 157,  32, 125, 155,  11,  49, 134,  91, 137,  93,  45,  19,
     59,  56, 171, 102,  53, 112, 106, 100, 110, 140,  66,  70,  37, 168, 153,  63,
      6,  61,  44,  34,  30,  20,  88, 133,   1,   8,  33,  98,  12, 109, 158, 170,
};

// Windows-1251 Cyrillic letters are common in Russian texts, whatever the
// counted files held.
constexpr unsigned char rankOf(unsigned char c)
{
    return c >= 0xC0 ? static_cast<unsigned char>(200) : kRank[c];
}

// ---- Search by a rare pair --------------------------------------------------

// Finds a pattern by testing two of its bytes (the rarest two) at every
// window, sixteen windows at a time where the processor allows it, and
// comparing the whole window only where both agree. The answer is that of any
// exact search: the first (or last) window equal to the pattern. Building one
// costs a pass over the pattern and no tables, which matters to the tag
// parser's many searches of short texts.
class PairSearch {
public:
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    PairSearch(std::string_view pattern, bool caseSensitive) : pattern_(pattern), caseSensitive_(caseSensitive)
    {
        if (!caseSensitive_)
            for (char& c : pattern_)
                c = static_cast<char>(kFold[static_cast<unsigned char>(c)]);
        chooseAnchors();
    }

    // 0-based start of the first window at or after from that equals the
    // pattern, or npos.
    std::size_t first(std::string_view text, std::size_t from) const
    {
        const std::size_t m = pattern_.size();
        const std::size_t n = text.size();
        if (m == 0 || from > n || n - from < m)
            return npos;
        const auto* t = reinterpret_cast<const unsigned char*>(text.data());
        const std::size_t last = n - m;
        std::size_t i = from;
#if WPE_PAIR_SSE2
        const Scan scan = twoValues_ ? firstBlocks<true>(t, i, last) : firstBlocks<false>(t, i, last);
        if (scan.hit)
            return scan.at;
        i = scan.at;
#endif
        for (; i <= last; ++i)
            if (anchorsAt(t + i) && equalAt(t + i))
                return i;
        return npos;
    }

    // 0-based start of the last window that starts at or before from and
    // equals the pattern, or npos. The caller leaves room for a window at from.
    std::size_t last(std::string_view text, std::size_t from) const
    {
        if (pattern_.empty())
            return npos;
        const auto* t = reinterpret_cast<const unsigned char*>(text.data());
        std::size_t end = from + 1; // windows start below end
#if WPE_PAIR_SSE2
        const Scan scan = twoValues_ ? lastBlocks<true>(t, end) : lastBlocks<false>(t, end);
        if (scan.hit)
            return scan.at;
        end = scan.at;
#endif
        while (end-- > 0)
            if (anchorsAt(t + end) && equalAt(t + end))
                return end;
        return npos;
    }

private:
    // The rarest byte of the pattern, then the rarest at another position,
    // preferring one of another value: two equal anchors filter little more
    // than one. Ties go to the later position. One pass: the tag parser
    // builds a search for nearly every call.
    void chooseAnchors()
    {
        const std::size_t m = pattern_.size();
        if (m == 0)
            return;
        const auto* p = reinterpret_cast<const unsigned char*>(pattern_.data());
        auto rank = [&](std::size_t i) {
            return caseSensitive_ ? rankOf(p[i]) : std::max(rankOf(p[i]), rankOf(kPartner[p[i]]));
        };
        // best: the rarest; other: the rarest of another value; same: the
        // rarest of the best's value at another position.
        std::size_t best = m - 1, other = m, same = m;
        unsigned bestRank = rank(best);
        for (std::size_t i = m - 1; i-- > 0;) {
            const unsigned r = rank(i);
            if (r < bestRank) {
                if (p[i] != p[best])
                    other = best;
                else if (same == m || rank(best) <= rank(same))
                    same = best;
                best = i;
                bestRank = r;
            } else if (p[i] != p[best]) {
                if (other == m || r < rank(other))
                    other = i;
            } else if (same == m || r < rank(same)) {
                same = i;
            }
        }
        offset_[0] = best;
        offset_[1] = other != m ? other : same != m ? same : best;
        for (int k = 0; k < 2; ++k) {
            const unsigned char c = p[offset_[k]];
            value_[k][0] = c;
            value_[k][1] = caseSensitive_ ? c : kPartner[c];
            twoValues_ = twoValues_ || value_[k][0] != value_[k][1];
        }
    }

    bool anchorsAt(const unsigned char* w) const
    {
        const unsigned char a = w[offset_[0]], b = w[offset_[1]];
        return (a == value_[0][0] || a == value_[0][1]) && (b == value_[1][0] || b == value_[1][1]);
    }

    bool equalAt(const unsigned char* w) const
    {
        const auto* p = reinterpret_cast<const unsigned char*>(pattern_.data());
        const std::size_t m = pattern_.size();
        if (caseSensitive_)
            return std::memcmp(w, p, m) == 0;
        for (std::size_t i = 0; i < m; ++i)
            if (kFold[w[i]] != p[i])
                return false;
        return true;
    }

#if WPE_PAIR_SSE2
    struct Scan {
        std::size_t at; // the match, or where the plain loop goes on
        bool hit;
    };

    // Bit k set when the anchors agree for the window at w + k, k < 16.
    template <bool kTwoValues>
    unsigned anchorMask(const unsigned char* w) const
    {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(w + offset_[0]));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(w + offset_[1]));
        __m128i ex = _mm_cmpeq_epi8(x, _mm_set1_epi8(static_cast<char>(value_[0][0])));
        __m128i ey = _mm_cmpeq_epi8(y, _mm_set1_epi8(static_cast<char>(value_[1][0])));
        if constexpr (kTwoValues) {
            ex = _mm_or_si128(ex, _mm_cmpeq_epi8(x, _mm_set1_epi8(static_cast<char>(value_[0][1]))));
            ey = _mm_or_si128(ey, _mm_cmpeq_epi8(y, _mm_set1_epi8(static_cast<char>(value_[1][1]))));
        }
        return static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(ex, ey)));
    }

    // Windows i .. i + 15 all fit while i + 15 <= last; so do the loads,
    // whose last byte is at most last + m - 1.
    template <bool kTwoValues>
    Scan firstBlocks(const unsigned char* t, std::size_t i, std::size_t last) const
    {
        // Two blocks a turn: one branch for thirty-two windows.
        for (; last >= 31 && i <= last - 31; i += 32) {
            std::uint32_t mask = anchorMask<kTwoValues>(t + i) | (anchorMask<kTwoValues>(t + i + 16) << 16);
            for (; mask != 0; mask &= mask - 1) {
                const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(mask));
                if (equalAt(t + at))
                    return {at, true};
            }
        }
        for (; last >= 15 && i <= last - 15; i += 16) {
            for (unsigned mask = anchorMask<kTwoValues>(t + i); mask != 0; mask &= mask - 1) {
                const std::size_t at = i + static_cast<std::size_t>(__builtin_ctz(mask));
                if (equalAt(t + at))
                    return {at, true};
            }
        }
        return {i, false};
    }

    template <bool kTwoValues>
    Scan lastBlocks(const unsigned char* t, std::size_t end) const
    {
        for (; end >= 16; end -= 16) {
            const std::size_t base = end - 16;
            for (unsigned mask = anchorMask<kTwoValues>(t + base); mask != 0;) {
                const int bit = 31 - __builtin_clz(mask);
                if (equalAt(t + base + static_cast<std::size_t>(bit)))
                    return {base + static_cast<std::size_t>(bit), true};
                mask &= ~(1u << bit);
            }
        }
        return {end, false};
    }
#endif

    std::string pattern_;
    bool caseSensitive_;
    bool twoValues_ = false;
    std::size_t offset_[2] = {0, 0};
    unsigned char value_[2][2] = {{0, 0}, {0, 0}};
};

} // namespace

unsigned char UpCase(unsigned char c)
{
    return kFold[c];
}

const unsigned char* UpCaseTable()
{
    return kFold.data();
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
        const std::size_t hit = PairSearch(pattern, caseSensitive).first(text, from);
        return hit == PairSearch::npos ? 0 : hit + 1;
    }
    // Backward: the rightmost match that begins at or before the start.
    const std::size_t from = (start == 0 || start + m > n) ? n - m : start - 1;
    const std::size_t hit = PairSearch(pattern, caseSensitive).last(text, from);
    return hit == PairSearch::npos ? 0 : hit + 1;
}

std::vector<std::size_t> FindAllPos(std::string_view pattern, std::string_view text, bool caseSensitive)
{
    std::vector<std::size_t> found;
    if (pattern.empty() || pattern.size() > text.size())
        return found;
    const PairSearch search(pattern, caseSensitive);
    for (std::size_t hit = search.first(text, 0); hit != PairSearch::npos; hit = search.first(text, hit + 1))
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

    const PairSearch search(find, caseSensitive);
    std::size_t pos = 0;
    while (n - pos >= m) {
        const std::size_t hit = search.first(text, pos);
        if (hit == PairSearch::npos)
            break;
        result.append(text.data() + pos, hit - pos);
        result.append(replacement);
        pos = hit + m;
    }
    result.append(text.data() + pos, n - pos);
    return result;
}

} // namespace wpe
