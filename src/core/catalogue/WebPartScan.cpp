#include "catalogue/WebPartScan.h"

#include "skin/TagParser.h"
#include "util/Errors.h"
#include "util/FastStrings.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace wpe {

namespace {

// WebPart, the fields in the order of TPartField, Category.
constexpr std::string_view kNames[] = {"WebPart",    "Title",        "Description", "Language",
                                       "Popularity", "LastModified", "Zone",        "Category"};

constexpr std::string_view kCDataOpen = "<![CDATA[";
constexpr std::string_view kCDataClose = "]]>";

// CDATA markers are matched without case, through the same folding as the
// parser's caseless search; the table spares a call per byte.
struct FoldTable {
    unsigned char up[256];
    FoldTable()
    {
        for (int c = 0; c < 256; ++c)
            up[c] = UpCase(static_cast<unsigned char>(c));
    }
};

const unsigned char* foldTable()
{
    static const FoldTable table;
    return table.up;
}

bool sameFolded(const unsigned char* fold, const char* p, std::string_view pattern)
{
    for (std::size_t i = 0; i < pattern.size(); ++i)
        if (fold[static_cast<unsigned char>(p[i])] != fold[static_cast<unsigned char>(pattern[i])])
            return false;
    return true;
}

template <typename Positions>
std::size_t lastAtOrBefore(const Positions& v, std::size_t p)
{
    auto it = std::upper_bound(v.begin(), v.end(), p);
    return it == v.begin() ? 0 : *(it - 1);
}

template <typename Positions>
std::size_t firstAtOrAfter(const Positions& v, std::size_t p)
{
    auto it = std::lower_bound(v.begin(), v.end(), p);
    return it == v.end() ? 0 : *it;
}

// p lies in a section when an opener starts before it, no closer starts
// between that opener and p (p included), and a closer starts at or after p.
template <typename Positions>
bool inside(const Positions& opens, const Positions& closes, std::size_t p)
{
    const std::size_t c = lastAtOrBefore(opens, p);
    if (c == 0 || c >= p)
        return false;
    const std::size_t d = lastAtOrBefore(closes, p);
    if (d != 0 && d > c)
        return false;
    return firstAtOrAfter(closes, p) != 0;
}

// DecodeEntities for the common text whose only entity is "&amp;": each
// becomes '&', which must not then start "&apos;" or "&quot;" (the decoding
// takes those after "&amp;"). False, leaving out unusable, for any other
// text.
bool decodeAmpersandsOnly(std::string_view s, std::string& out)
{
    const unsigned char* fold = foldTable();
    out.clear();
    std::size_t from = 0;
    for (std::size_t amp = s.find('&'); amp != std::string_view::npos; amp = s.find('&', from)) {
        if (s.compare(amp, 5, "&amp;") != 0)
            return false;
        if (amp + 5 < s.size()) {
            const unsigned char next = fold[static_cast<unsigned char>(s[amp + 5])];
            if (next == fold[static_cast<unsigned char>('a')] || next == fold[static_cast<unsigned char>('q')])
                return false;
        }
        out.append(s.substr(from, amp + 1 - from));
        from = amp + 5;
    }
    out.append(s.substr(from));
    return true;
}

} // namespace

// One pass over the text, stopping at each '<' (tags and section openers)
// and '>' (section closers).
void TWebPartScan::build(std::string_view text)
{
    text_ = text;
    cdataOpens_.clear();
    cdataCloses_.clear();
    commentOpens_.clear();
    commentCloses_.clear();
    for (auto& v : starts_)
        v.clear();
    for (auto& v : closings_)
        v.clear();

    const unsigned char* fold = foldTable();
    const char* s = text.data();
    const std::size_t n = text.size();
    auto visit = [&](std::size_t i) {
        const char* p = s + i;
        const std::size_t r = i + 1;  // 1-based
        if (*p == '>') {
            if (i < 2)
                return;
            if (sameFolded(fold, p - 2, kCDataClose))
                cdataCloses_.push_back(static_cast<std::uint32_t>(r - 2));
            else if (p[-2] == '-' && p[-1] == '-')
                commentCloses_.push_back(static_cast<std::uint32_t>(r - 2));
            return;
        }
        const std::size_t rest = n - r;  // bytes after the '<'
        if (rest == 0)
            return;
        if (fold[static_cast<unsigned char>(p[1])] == fold[static_cast<unsigned char>('!')]) {
            if (rest >= kCDataOpen.size() - 1 && sameFolded(fold, p, kCDataOpen))
                cdataOpens_.push_back(static_cast<std::uint32_t>(r));
            if (rest >= 3 && p[1] == '!' && p[2] == '-' && p[3] == '-')
                commentOpens_.push_back(static_cast<std::uint32_t>(r));
            return;
        }
        if (p[1] == '/') {
            for (std::size_t k = 0; k < kNameCount; ++k) {
                const std::string_view name = kNames[k];
                if (rest >= name.size() + 2 && p[2] == name[0] && p[name.size() + 2] == '>' &&
                    std::memcmp(p + 2, name.data(), name.size()) == 0) {
                    closings_[k].push_back(static_cast<std::uint32_t>(r));
                    return;
                }
            }
            return;
        }
        for (std::size_t k = 0; k < kNameCount; ++k) {
            const std::string_view name = kNames[k];
            if (rest >= name.size() + 1 && p[1] == name[0] && std::memcmp(p + 1, name.data(), name.size()) == 0) {
                const char after = p[name.size() + 1];
                if (after == '/' || after == '>' || after == ' ')
                    starts_[k].push_back(static_cast<std::uint32_t>(r));
                return;
            }
        }
    };

    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i lt = _mm_set1_epi8('<'), gt = _mm_set1_epi8('>');
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        unsigned mask = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, lt), _mm_cmpeq_epi8(v, gt))));
        while (mask != 0) {
            visit(i + static_cast<std::size_t>(__builtin_ctz(mask)));
            mask &= mask - 1;
        }
    }
#endif
    for (; i < n; ++i)
        if (s[i] == '<' || s[i] == '>')
            visit(i);

    // A start tag inside a CDATA section is no tag at all.
    if (!cdataOpens_.empty())
        for (auto& v : starts_)
            v.erase(std::remove_if(v.begin(), v.end(), [this](std::uint32_t r) { return insideCData(r); }), v.end());
}

bool TWebPartScan::insideCData(std::size_t p) const { return inside(cdataOpens_, cdataCloses_, p); }

bool TWebPartScan::insideSection(std::size_t p) const
{
    return inside(cdataOpens_, cdataCloses_, p) || inside(commentOpens_, commentCloses_, p);
}

// First start tag at or after from (and, when before is set, at or before it).
std::size_t TWebPartScan::findStart(std::size_t name, std::size_t from, std::size_t before) const
{
    const std::size_t r = firstAtOrAfter(starts_[name], from);
    return before != 0 && r > before ? 0 : r;
}

// The element a search for the name finds from `from` on: its start tag may
// not sit in a comment either (the byte after its '<' is what counts).
std::size_t TWebPartScan::findElement(std::size_t name, std::size_t from) const
{
    if (from > text_.size())
        return 0;
    const Positions& v = starts_[name];
    for (auto it = std::lower_bound(v.begin(), v.end(), from); it != v.end(); ++it)
        if (!insideSection(*it + 1))
            return *it;
    return 0;
}

// The closing tag paired with a start tag before from: one closing tag is
// skipped for each start tag of the name met before it, the count starting
// afresh after each skipped one.
std::size_t TWebPartScan::findClosing(std::size_t name, std::size_t from) const
{
    std::size_t d = from > 0 ? from - 1 : 0;
    for (;;) {
        const std::size_t b = d + 1 > text_.size() ? 0 : firstAtOrAfter(closings_[name], d + 1);
        if (b == 0)
            return 0;
        const std::size_t c = findStart(name, d + 2, b);
        if (c == 0 || c >= b)
            return b;
        d = b;
    }
}

std::size_t TWebPartScan::findClosingOutside(std::size_t name, std::size_t from) const
{
    if (from > text_.size())
        return 0;
    for (;;) {
        const std::size_t r = findClosing(name, from);
        if (r == 0 || !insideSection(r + 1))
            return r;
        from = r + 1;
    }
}

// The '>' that ends a start tag whose name begins at from, past a bracketed
// part; from itself when there is none.
std::size_t TWebPartScan::tagEnd(std::size_t from) const
{
    const std::size_t n = text_.size();
    if (from >= n)
        return from;
    // 1-based position of c in from..to (inclusive), or 0.
    auto find = [this](char c, std::size_t lo, std::size_t hi) -> std::size_t {
        if (lo < 1 || lo > hi || hi > text_.size())
            return 0;
        const void* hit = std::memchr(text_.data() + lo - 1, c, hi - lo + 1);
        return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - text_.data()) + 1 : 0;
    };
    std::size_t a = find('>', from, n);
    if (a == 0)
        return from;
    const std::size_t open = find('[', from, a - 1);
    if (open != 0) {
        const std::size_t close = find(']', open + 1, n);
        if (close == 0)
            RaiseErrorFmt(kErrTagNotClosed, '[');
        a = find('>', close + 1, n);
    }
    return a != 0 ? a : from;
}

// The inner text of the element whose start tag is at pos, CDATA markers
// removed and entities decoded.
void TWebPartScan::readValue(std::size_t name, std::size_t pos, Value& out) const
{
    std::string_view inner;
    const std::size_t b = tagEnd(pos + 1);
    const bool selfClosing = b >= 2 && b <= text_.size() && text_[b - 1] == '>' && text_[b - 2] == '/';
    if (!selfClosing) {
        const std::size_t c = findClosingOutside(name, pos);
        if (c < 1)
            RaiseErrorFmt(kErrTagNotClosed, kNames[name]);
        if (c > b + 1)
            inner = text_.substr(b, c - b - 1);
    }
    out.found = true;
    out.owned = false;
    if (inner.find(kCDataOpen) != std::string_view::npos) {
        out.own = StripCData(inner);
        if (out.own.find('&') != std::string::npos)
            out.own = DecodeEntities(out.own);
        out.owned = true;
    } else if (inner.find('&') != std::string_view::npos) {
        if (!decodeAmpersandsOnly(inner, out.own))
            out.own = DecodeEntities(inner);
        out.owned = true;
    } else {
        out.view = inner;
    }
}

void TWebPartScan::Scan(std::string_view text)
{
    build(text);
    for (Value& field : fields_) {
        field.found = false;
        field.owned = false;
        field.view = {};
    }
    categoryCount_ = 0;
    isWebPart_ = findElement(0, 1) != 0;
    if (!isWebPart_)
        return;
    for (std::size_t k = 0; k < kPartFieldCount; ++k)
        if (const std::size_t pos = findElement(k + 1, 1))
            readValue(k + 1, pos, fields_[k]);
    for (std::size_t pos = findElement(kCategoryName, 1); pos != 0; pos = findElement(kCategoryName, pos + 1)) {
        if (categoryCount_ == categories_.size())
            categories_.emplace_back();
        readValue(kCategoryName, pos, categories_[categoryCount_]);
        ++categoryCount_;
    }
}

} // namespace wpe
