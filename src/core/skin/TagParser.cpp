#include "skin/TagParser.h"
#include "util/Text.h"

#include <algorithm>
#include <atomic>
#include <limits>
#include <initializer_list>
#include <map>
#include <tuple>

#include "util/Errors.h"
#include "util/Exception.h"
#include "util/FastStrings.h"
#include "util/Files.h"
#include "util/Words.h"

namespace wpe {

namespace {

constexpr std::string_view kCDataOpen = "<![CDATA[";
constexpr std::string_view kCDataClose = "]]>";
constexpr std::string_view kCommentOpen = "<!--";
constexpr std::string_view kCommentClose = "-->";
constexpr std::string_view kNoCurrentTag = "Current tag is not set!";
constexpr std::string_view kUnsupportedAttribute = "UnsupportedTag";

// ---- character classes ----------------------------------------------------

bool isQuote(char c) { return c == '"' || c == '\''; }

bool isTagNameChar(char c) {
    return c == '!' || c == '#' || c == '$' || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == ':' ||
           c == '?' || (c >= 'A' && c <= 'Z') || c == '_' || (c >= 'a' && c <= 'z');
}

bool isPredicateNameChar(char c) {
    return c == '-' || (c >= '0' && c <= '9') || c == '@' || (c >= 'A' && c <= 'Z') || c == '_' ||
           (c >= 'a' && c <= 'z');
}

bool isOperatorChar(char c) { return c == '!' || c == '<' || c == '=' || c == '>'; }

bool isTagTailChar(char c) { return c == 8 || c == 9 || c == 10 || c == 13 || c == '/' || c == '>' || c == '?'; }

bool isBlankOrLineBreak(char c) { return c == ' ' || c == '\r' || c == '\n'; }

const CharSet& operatorChars() {
    static const CharSet set = MakeCharSet("!<=>");
    return set;
}

// ---- 1-based access and search -----------------------------------------------

// The character at a 1-based position, or NUL outside the text.
char at(std::string_view s, std::size_t pos) { return pos >= 1 && pos <= s.size() ? s[pos - 1] : '\0'; }

std::size_t findForward(std::string_view pattern, std::string_view text, bool caseSensitive, std::size_t from) {
    if (from < 1)
        from = 1;
    if (from > text.size())
        return 0;
    return FindPos(pattern, text, caseSensitive, true, from);
}

// Last match starting at or before from; 0 when from is 0 (FindPos would
// read a start of 0 as "from the end").
std::size_t findBackward(std::string_view pattern, std::string_view text, bool caseSensitive, std::size_t from) {
    if (from < 1)
        return 0;
    return FindPos(pattern, text, caseSensitive, false, from);
}

std::vector<std::size_t> occurrences(std::string_view pattern, std::string_view text, bool caseSensitive) {
    return FindAllPos(pattern, text, caseSensitive);
}

// The run of tag-name characters at pos, after leading blanks.
std::string readTagName(std::string_view s, std::size_t pos) {
    while (at(s, pos) == ' ')
        ++pos;
    std::size_t end = pos;
    while (isTagNameChar(at(s, end)))
        ++end;
    return pos <= s.size() ? std::string(s.substr(pos - 1, end - pos)) : std::string();
}

std::string concat(std::initializer_list<std::string_view> parts) {
    std::string r;
    for (std::string_view part : parts)
        r.append(part);
    return r;
}


// ---- start tags ----------------------------------------------------------------

bool isSelfClosing(std::string_view text, std::size_t tagEnd) {
    return at(text, tagEnd) == '>' && at(text, tagEnd - 1) == '/';
}

// Runs of blanks collapse to one and blanks around '=' go, so attribute
// lookups see one spelling.
std::string normalizeTag(std::string_view tag) {
    // Most tags are already in that form; spare them the copies.
    if (tag.find("  ") == std::string_view::npos && tag.find(" =") == std::string_view::npos &&
        tag.find("= ") == std::string_view::npos)
        return std::string(tag);
    std::string t(tag);
    while (t.find("  ") != std::string::npos)
        t = ReplaceAll(t, "  ", " ", true);
    t = ReplaceAll(t, " =", "=", true);
    return ReplaceAll(t, "= ", "=", true);
}

// The value starting at p (just after '='); p ends on the closing quote, or
// on the blank or '>' after an unquoted value. The tag's last character is
// never part of a value.
std::string readAttributeValue(std::string_view tag, std::size_t& p) {
    while (at(tag, p) == ' ')
        ++p;
    if (p > tag.size())
        return {};
    if (isQuote(at(tag, p))) {
        std::size_t q = p + 1;
        while (q <= tag.size() && !isQuote(tag[q - 1]))
            ++q;
        if (q > tag.size())
            q = tag.size();  // unclosed quote: up to the last character
        std::string value = q > p + 1 ? std::string(tag.substr(p, q - p - 1)) : std::string();
        p = q;
        return value;
    }
    std::size_t q = p;
    while (q < tag.size() && tag[q - 1] != ' ' && tag[q - 1] != '>')
        ++q;
    std::string value(tag.substr(p - 1, q - p));
    p = q;
    return value;
}

// ---- path steps ------------------------------------------------------------------

struct Step {
    enum class Kind { Plain, Index, Predicate };
    std::string text;
    std::string name;
    Kind kind = Kind::Plain;
    std::size_t index = 0;
    std::string attribute;
    std::string op;
    std::string value;

    bool star() const { return name == "*"; }
    bool hasBracket() const { return text.find('[') != std::string::npos; }
};

std::size_t parseIndex(std::string_view digits) {
    std::size_t n = 0;
    for (char c : digits) {
        std::size_t d = static_cast<std::size_t>(c - '0');
        if (n > (std::numeric_limits<std::size_t>::max() - d) / 10)
            return std::numeric_limits<std::size_t>::max();
        n = n * 10 + d;
    }
    return n;
}

Step parseStep(std::string_view s) {
    Step step;
    step.text = std::string(s);
    std::size_t open = s.find('[');
    step.name = std::string(s.substr(0, open));
    if (open == std::string_view::npos)
        return step;

    std::size_t close = s.rfind(']');
    std::string_view inner =
        close != std::string_view::npos && close > open ? s.substr(open + 1, close - open - 1) : s.substr(open + 1);
    if (!inner.empty() && std::all_of(inner.begin(), inner.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        step.kind = Step::Kind::Index;
        step.index = parseIndex(inner);
        return step;
    }

    step.kind = Step::Kind::Predicate;
    std::size_t atSign = s.find("[@");
    if (atSign != std::string_view::npos) {
        std::string_view rest = s.substr(atSign + 2);
        std::size_t firstClose = rest.find(']');
        if (firstClose != std::string_view::npos)
            rest = rest.substr(0, firstClose + 1);
        step.attribute = GetWord(1, rest, operatorChars());
    } else {
        step.attribute = std::string(kUnsupportedAttribute);
    }
    std::size_t i = 0;
    while (i < inner.size() && isPredicateNameChar(inner[i]))
        ++i;
    std::size_t opStart = i;
    while (i < inner.size() && isOperatorChar(inner[i]))
        ++i;
    step.op = std::string(inner.substr(opStart, i - opStart));
    step.value = Unquote(GetWord(2, inner, operatorChars()));
    return step;
}

std::vector<Step> parsePath(std::string_view path) {
    std::vector<Step> steps;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t slash = path.find('/', start);
        std::size_t end = slash == std::string_view::npos ? path.size() : slash;
        if (end > start)
            steps.push_back(parseStep(path.substr(start, end - start)));
        start = end + 1;
    }
    return steps;
}

bool compareValues(std::string_view actual, std::string_view op, std::string_view literal) {
    if (op == "=")
        return actual == literal;
    if (op == "!=")
        return actual != literal;
    if (op == ">")
        return actual > literal;
    if (op == "<")
        return actual < literal;
    return false;
}

// A closing "]]>" inside a CDATA value would end the section early; it is
// split over two sections so the value reads back unchanged.
std::string wrapCData(std::string_view value) {
    return concat({kCDataOpen, ReplaceAll(value, "]]>", "]]]]><![CDATA[>", true), kCDataClose});
}

} // namespace

// ---- SectionIndex ------------------------------------------------------------------

PatternOccurrences::PatternOccurrences(std::string_view text, std::string pattern, bool caseSensitive)
    : pattern_(std::move(pattern)), caseSensitive_(caseSensitive), positions_(occurrences(pattern_, text, caseSensitive)) {}

void PatternOccurrences::Edit(std::string_view newText, std::size_t pos, std::size_t removed, std::size_t inserted) {
    const std::size_t m = pattern_.size();
    if (m == 0)
        return;
    // Matches that overlapped the replaced bytes or straddled pos are gone;
    // those after the replaced bytes move; new ones can only start from
    // m - 1 bytes before pos up to the last inserted byte.
    const std::size_t first = pos >= m ? pos - m + 1 : 1;
    auto dropBegin = std::lower_bound(positions_.begin(), positions_.end(), first);
    auto dropEnd = std::lower_bound(dropBegin, positions_.end(), pos + removed);
    for (auto it = dropEnd; it != positions_.end(); ++it)
        *it = *it - removed + inserted;
    std::vector<std::size_t> found;
    const std::size_t last = pos + inserted;  // one past the last new start
    if (last > first && first <= newText.size()) {
        std::string_view window = newText.substr(first - 1, std::min(newText.size() - (first - 1), last - first + m - 1));
        for (std::size_t p : occurrences(pattern_, window, caseSensitive_))
            found.push_back(p + first - 1);
    }
    std::size_t at = static_cast<std::size_t>(dropBegin - positions_.begin());
    positions_.erase(dropBegin, dropEnd);
    positions_.insert(positions_.begin() + static_cast<std::ptrdiff_t>(at), found.begin(), found.end());
}

std::size_t PatternOccurrences::LastAtOrBefore(std::size_t limit) const {
    auto after = std::upper_bound(positions_.begin(), positions_.end(), limit);
    return after == positions_.begin() ? 0 : *std::prev(after);
}

std::size_t PatternOccurrences::FirstAtOrAfter(std::size_t from) const {
    auto it = std::lower_bound(positions_.begin(), positions_.end(), from);
    return it == positions_.end() ? 0 : *it;
}

SectionIndex::SectionIndex(std::string_view text, std::string_view open, std::string_view close, bool caseSensitive)
    : opens_(text, std::string(open), caseSensitive), closes_(text, std::string(close), caseSensitive), length_(text.size()) {}

void SectionIndex::Edit(std::string_view newText, std::size_t pos, std::size_t removed, std::size_t inserted) {
    opens_.Edit(newText, pos, removed, inserted);
    closes_.Edit(newText, pos, removed, inserted);
    length_ = newText.size();
}

bool SectionIndex::Inside(std::size_t lo, std::size_t hi, std::size_t p) const {
    const std::size_t openLength = opens_.PatternLength(), closeLength = closes_.PatternLength();
    if (p < lo || lo < 1 || hi > length_ || openLength == 0 || closeLength == 0)
        return false;
    // Markers count only when they lie wholly inside lo..hi.
    if (hi + 1 < lo + openLength || hi + 1 < lo + closeLength)
        return false;
    const std::size_t lastOpenStart = hi + 1 - openLength;
    const std::size_t lastCloseStart = hi + 1 - closeLength;
    std::size_t c = opens_.LastAtOrBefore(std::min(p, lastOpenStart));
    if (c < lo || c >= p)
        return false;
    std::size_t d = closes_.LastAtOrBefore(std::min(p, lastCloseStart));
    if (d >= lo && d > c)
        return false;
    const std::vector<std::size_t>& closes = closes_.Positions();
    auto e = std::lower_bound(closes.begin(), closes.end(), p);
    return e != closes.end() && *e <= lastCloseStart;
}

bool IsInsideSection(std::string_view text, std::string_view open, std::string_view close, std::size_t p,
                     bool caseSensitive) {
    if (p == 0)
        return false;
    std::size_t c = findBackward(open, text, caseSensitive, p);
    std::size_t d = findBackward(close, text, caseSensitive, p);
    std::size_t e = findForward(close, text, caseSensitive, p);
    return c > 0 && e > 0 && c < p && d <= c;
}

// ---- entity helpers -------------------------------------------------------------------

std::string StripCData(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    std::size_t pos = 1;
    for (;;) {
        std::size_t open = findForward(kCDataOpen, s, true, pos);
        if (open == 0)
            break;
        std::size_t close = findForward(kCDataClose, s, true, open + kCDataOpen.size());
        if (close == 0)
            RaiseErrorFmt(kErrTagNotClosed, kCDataOpen);
        out.append(s.substr(pos - 1, open - pos));
        std::size_t contentStart = open + kCDataOpen.size();
        out.append(s.substr(contentStart - 1, close - contentStart));
        pos = close + kCDataClose.size();
    }
    if (pos <= s.size())
        out.append(s.substr(pos - 1));
    return out;
}

std::string DecodeEntities(std::string_view s) {
    if (s.find('&') == std::string_view::npos)
        return std::string(s);
    std::string r = ReplaceAll(s, "&lt;", "<", false);
    r = ReplaceAll(r, "&gt;", ">", false);
    r = ReplaceAll(r, "&amp;", "&", false);
    r = ReplaceAll(r, "&apos;", "'", false);
    return ReplaceAll(r, "&quot;", "\"", false);
}

std::string EscapeAmpersands(std::string_view s) {
    // Inserting "amp;" neither makes nor breaks a section marker, so
    // sections found in the original text hold for every step.
    SectionIndex cdata(s, kCDataOpen, kCDataClose, true);
    SectionIndex comments(s, kCommentOpen, kCommentClose, true);
    // nextSemicolon[i]: index of the first ';' after index i (npos if none).
    std::vector<std::size_t> nextSemicolon(s.size(), std::string_view::npos);
    std::size_t seen = std::string_view::npos;
    for (std::size_t i = s.size(); i-- > 0;) {
        nextSemicolon[i] = seen;
        if (s[i] == ';')
            seen = i;
    }
    std::string out;
    out.reserve(s.size() + s.size() / 8);
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '&' || i + 1 >= s.size()) {
            out += s[i];
            continue;
        }
        std::size_t semicolon = nextSemicolon[i];
        std::size_t nextAmp = s.find('&', i + 1);
        bool stray = semicolon == std::string_view::npos || (nextAmp != std::string_view::npos && nextAmp < semicolon);
        bool inSection = cdata.Inside(i + 1) || comments.Inside(i + 1);
        out += stray && !inSection ? "&amp;" : "&";
    }
    return out;
}

std::string EncodeText(std::string_view s) {
    // Every section opener starts with '<', and the first '<' of a text is
    // never inside a section; so the '<' pass escapes every opener, and no
    // section is left for the later passes to respect.
    std::string r = EscapeAmpersands(s);
    r = ReplaceAll(r, "<", "&lt;", true);
    r = ReplaceAll(r, ">", "&gt;", true);
    r = ReplaceAll(r, "'", "&apos;", true);
    return ReplaceAll(r, "\"", "&quot;", true);
}

static std::atomic<TagIndexing> gIndexing{TagIndexing::Auto};
// Below this many bytes a whole rescan is cheap enough to do every time.
constexpr std::size_t kShortText = 16 * 1024;

void SetTagIndexing(TagIndexing mode) { gIndexing = mode; }

// ---- TTagParser: state ----------------------------------------------------------------

struct TTagParser::Sections {
    SectionIndex cdata;
    SectionIndex comments;
};

// The closing-tag search over one scope, answered for every "</name>" in it
// at once. Once a search has skipped its first closing tag it goes from one
// closing tag to the next, and which one it stops at no longer depends on
// where it began, so that answer is worked out once per closing tag.
// Positions are the scope's.
struct TTagParser::ClosingChain {
    static constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
    std::vector<std::size_t> closes;   // every "</name>"
    std::vector<std::size_t> starts;   // every start tag findTagStart accepts
    std::vector<std::size_t> next;     // findClosingTag from closes[j] + 1, as an index
    std::vector<std::size_t> settled;  // the same, skipping those inside sections

    bool hasStartIn(std::size_t lo, std::size_t hi) const {
        auto it = std::lower_bound(starts.begin(), starts.end(), lo);
        return it != starts.end() && *it < hi;
    }
    std::size_t indexOf(std::size_t close) const {
        return static_cast<std::size_t>(std::lower_bound(closes.begin(), closes.end(), close) - closes.begin());
    }
    // findClosingTag(from) over the scope.
    std::size_t find(std::size_t from) const {
        const std::size_t d = from > 0 ? from - 1 : 0;
        const std::size_t j = indexOf(d + 1);
        if (j == closes.size())
            return 0;
        if (!hasStartIn(d + 2, closes[j]))
            return closes[j];
        return next[j] == kNone ? 0 : closes[next[j]];
    }
    // What findTag makes of a found closing tag that lies inside a section.
    std::size_t settledAfter(std::size_t close) const {
        const std::size_t s = settled[indexOf(close)];
        return s == kNone ? 0 : closes[s];
    }
};

// Every path step below the first looks up its parent again, with the same
// backward searches and closing-tag searches, on each Find; while the text
// stays the same their answers do too.
struct TTagParser::Memo {
    // Start positions of a pattern in text_, by pattern and case sensitivity.
    std::map<std::pair<std::string, bool>, PatternOccurrences> occurrences;
    // End of the element starting at a position, by position, name and case.
    std::map<std::tuple<std::size_t, std::string, bool>, std::size_t> outerEnds;
    // How often a pattern was searched forward, by pattern and case
    // sensitivity: after a few searches it is worth a list of occurrences.
    std::map<std::pair<std::string, bool>, unsigned> forwardSearches;
    // Closing-tag pairings by name, case sensitivity and scope (start and
    // length), and how often each was asked for before it had one.
    using ChainKey = std::tuple<std::string, bool, std::size_t, std::size_t>;
    std::map<ChainKey, ClosingChain> chains;
    std::map<ChainKey, unsigned> closingSearches;
};

// A part of Text that a search runs over; base is its offset in Text.
struct TTagParser::Scope {
    std::string_view text;
    std::size_t base = 0;
};

TTagParser::TTagParser(std::string text) : text_(std::move(text)) {
    if (text_.empty())
        RaiseErrorFmt(kErrInit, "Incorrect XML string " + text_);
    Reset();
}

TTagParser TTagParser::CreateFromFile(const std::string& fileName) {
    if (fileName.empty() || !FileExists(fileName))
        RaiseErrorFmt(kErrFileNotFound, fileName);
    std::string content = ReadWholeFile(fileName);
    if (content.size() < 7)
        RaiseErrorFmt(kErrInit, "Incorrect xml file " + fileName);
    TTagParser parser(std::move(content));
    parser.fileName_ = fileName;
    return parser;
}

TTagParser::TTagParser(const TTagParser& other)
    : text_(other.text_),
      ignoreCase_(other.ignoreCase_),
      position_(other.position_),
      tagName_(other.tagName_),
      fileName_(other.fileName_),
      lastPath_(other.lastPath_),
      freshSearch_(other.freshSearch_) {}

TTagParser& TTagParser::operator=(const TTagParser& other) {
    if (this != &other) {
        TTagParser copy(other);
        *this = std::move(copy);
    }
    return *this;
}

TTagParser::TTagParser(TTagParser&& other) noexcept = default;
TTagParser& TTagParser::operator=(TTagParser&& other) noexcept = default;
TTagParser::~TTagParser() = default;

void TTagParser::Reset() {
    position_ = 0;
    freshSearch_ = true;
    tagName_.clear();
    lastPath_.clear();
}

const TTagParser::Sections& TTagParser::sections() const {
    if (!sections_)
        sections_.reset(new Sections{SectionIndex(text_, kCDataOpen, kCDataClose, false),
                                     SectionIndex(text_, kCommentOpen, kCommentClose, true)});
    return *sections_;
}

TTagParser::Memo& TTagParser::memo() const {
    if (!memo_)
        memo_ = std::make_unique<Memo>();
    return *memo_;
}

const PatternOccurrences& TTagParser::occurrencesOf(const std::string& pattern, bool caseSensitive) const {
    auto key = std::make_pair(pattern, caseSensitive);
    auto& occurrencesByKey = memo().occurrences;
    auto it = occurrencesByKey.find(key);
    if (it == occurrencesByKey.end())
        it = occurrencesByKey.emplace(key, PatternOccurrences(text_, pattern, caseSensitive)).first;
    return it->second;
}

// A few plain searches cost less than listing every occurrence; past that,
// repeated searches from many places would scan the same text again and again.
// Short texts (a web part file) never repay the book-keeping.
bool TTagParser::worthIndexing(const std::string& pattern, bool caseSensitive) const {
    constexpr unsigned kPlainSearches = 8;
    const TagIndexing mode = gIndexing;
    if (mode != TagIndexing::Auto)
        return mode == TagIndexing::Always;
    if (text_.size() < kShortText)
        return false;
    Memo& m = memo();
    auto key = std::make_pair(pattern, caseSensitive);
    return m.occurrences.count(key) != 0 || ++m.forwardSearches[key] > kPlainSearches;
}

// The same answer as a backward FindPos over text_, from a list of all
// occurrences made on first use.
std::size_t TTagParser::findBackwardIndexed(const std::string& pattern, std::size_t from) const {
    if (from < 1)
        return 0;
    return occurrencesOf(pattern, !ignoreCase_).LastAtOrBefore(from);
}

// The same answer as a forward FindPos over the scope, which must be a part
// of text_.
std::size_t TTagParser::findForwardIn(const Scope& scope, const std::string& pattern, bool caseSensitive,
                                      std::size_t from) const {
    if (from < 1)
        from = 1;
    if (from > scope.text.size())
        return 0;
    if (!worthIndexing(pattern, caseSensitive))
        return findForward(pattern, scope.text, caseSensitive, from);
    const std::size_t r = occurrencesOf(pattern, caseSensitive).FirstAtOrAfter(scope.base + from);
    if (r == 0 || r - scope.base - 1 + pattern.size() > scope.text.size())
        return 0;
    return r - scope.base;
}

// The '>' that ends a tag whose name starts at from; a bracketed part
// ("<!DOCTYPE x [ ... ]>") is skipped first. from itself when there is no '>'.
std::size_t TTagParser::tagEnd(const Scope& scope, std::size_t from) const {
    if (from >= scope.text.size())
        return from;
    std::size_t a = findForwardIn(scope, ">", true, from);
    if (a == 0)
        return from;
    // Only a '[' before that '>' counts; look no further for one.
    const Scope beforeEnd{scope.text.substr(0, a - 1), scope.base};
    std::size_t open = findForwardIn(beforeEnd, "[", true, from);
    if (open != 0) {
        std::size_t close = findForwardIn(scope, "]", true, open + 1);
        if (close == 0)
            RaiseErrorFmt(kErrTagNotClosed, '[');
        a = findForwardIn(scope, ">", true, close + 1);
    }
    return a != 0 ? a : from;
}

// Null while plain searches are cheaper, and for names the chain cannot
// follow exactly (a '<' inside the name changes how findTagStart skips).
const TTagParser::ClosingChain* TTagParser::closingChain(std::string_view name, const Scope& scope) const {
    constexpr unsigned kPlainSearches = 4;
    const TagIndexing mode = gIndexing;
    if (name.find('<') != std::string_view::npos || mode == TagIndexing::Never ||
        (mode == TagIndexing::Auto && text_.size() < kShortText))
        return nullptr;
    Memo& m = memo();
    Memo::ChainKey key{std::string(name), ignoreCase_, scope.base, scope.text.size()};
    if (auto it = m.chains.find(key); it != m.chains.end())
        return &it->second;
    if (mode == TagIndexing::Auto && ++m.closingSearches[key] <= kPlainSearches)
        return nullptr;

    // Matches that lie wholly inside the scope, in the scope's positions.
    const bool caseSensitive = !ignoreCase_;
    auto inScope = [&](const std::string& pattern) {
        const std::vector<std::size_t>& all = occurrencesOf(pattern, caseSensitive).Positions();
        std::vector<std::size_t> found;
        if (pattern.size() > scope.text.size())
            return found;
        const std::size_t lastStart = scope.base + scope.text.size() - pattern.size() + 1;
        for (auto it = std::lower_bound(all.begin(), all.end(), scope.base + 1); it != all.end() && *it <= lastStart; ++it)
            found.push_back(*it - scope.base);
        return found;
    };
    ClosingChain c;
    c.closes = inScope(concat({"</", name, ">"}));
    for (std::size_t r : inScope(concat({"<", name}))) {
        const char next = at(scope.text, r + name.size() + 1);
        if ((next == '/' || next == '>' || next == ' ') && !insideCData(scope, r))
            c.starts.push_back(r);
    }
    const std::size_t count = c.closes.size();
    c.next.assign(count, ClosingChain::kNone);
    c.settled.assign(count, ClosingChain::kNone);
    for (std::size_t j = count; j-- > 0;) {
        if (j + 1 < count)
            c.next[j] = c.hasStartIn(c.closes[j] + 2, c.closes[j + 1]) ? c.next[j + 1] : j + 1;
        const std::size_t n = c.next[j];
        if (n != ClosingChain::kNone)
            c.settled[j] = !insideSection(scope, c.closes[n] + 1) ? n : c.settled[n];
    }
    return &m.chains.emplace(std::move(key), std::move(c)).first->second;
}

void TTagParser::replaceRange(std::size_t pos, std::size_t count, std::string_view with) {
    text_.replace(pos - 1, count, with);
    // Markers and tags away from the change stay where they were, only
    // shifted; element ends may depend on anything after them.
    if (sections_) {
        sections_->cdata.Edit(text_, pos, count, with.size());
        sections_->comments.Edit(text_, pos, count, with.size());
    }
    if (memo_) {
        for (auto& [key, found] : memo_->occurrences)
            found.Edit(text_, pos, count, with.size());
        memo_->outerEnds.clear();
        memo_->chains.clear();
    }
}

void TTagParser::requireCurrentTag() const {
    if (tagName_.empty())
        throw Exception(std::string(kNoCurrentTag));
}

// ---- TTagParser: low-level scanning ------------------------------------------------------

bool TTagParser::insideCData(const Scope& scope, std::size_t p) const {
    return sections().cdata.Inside(scope.base + 1, scope.base + scope.text.size(), scope.base + p);
}

bool TTagParser::insideSection(const Scope& scope, std::size_t p) const {
    const Sections& s = sections();
    std::size_t lo = scope.base + 1, hi = scope.base + scope.text.size();
    return s.cdata.Inside(lo, hi, scope.base + p) || s.comments.Inside(lo, hi, scope.base + p);
}

std::size_t TTagParser::findTagStart(std::string_view name, const Scope& scope, std::size_t from,
                                     std::size_t before) const {
    const std::string pattern = concat({"<", name});
    // Only starts before `before` matter to the caller; keep the search short.
    Scope searched = scope;
    if (before != 0)
        searched.text = searched.text.substr(0, std::min(searched.text.size(), before - 1 + pattern.size()));
    auto search = [&](std::size_t at) { return findForwardIn(searched, pattern, !ignoreCase_, at); };
    std::size_t r = search(from);
    while (r != 0) {
        char next = at(scope.text, r + name.size() + 1);
        if ((next == '/' || next == '>' || next == ' ') && !insideCData(scope, r))
            return r;
        r = search(r + name.size() + 1);
    }
    return 0;
}

// Pairs a closing tag with its start tag by skipping one closing tag for each
// start tag of the same name met before it, restarting after each skipped
// one. This is not a full nesting count; callers depend on exactly this.
std::size_t TTagParser::findClosingTag(std::string_view name, const Scope& scope, std::size_t from) const {
    if (const ClosingChain* chain = closingChain(name, scope))
        return chain->find(from);
    const std::string pattern = concat({"</", name, ">"});
    std::size_t d = from > 0 ? from - 1 : 0;
    for (;;) {
        std::size_t b = findForwardIn(scope, pattern, !ignoreCase_, d + 1);
        if (b == 0)
            return 0;
        std::size_t c = findTagStart(name, scope, d + 2, b);
        if (c == 0 || c >= b)
            return b;
        d = b;
    }
}

std::size_t TTagParser::findTag(const Scope& scope, std::size_t from, bool closing, std::string_view name) const {
    if (scope.text.size() < from)
        return 0;
    if (name != "*") {
        for (;;) {
            std::size_t r = closing ? findClosingTag(name, scope, from) : findTagStart(name, scope, from);
            if (r == 0 || !insideSection(scope, r + 1))
                return r;
            // The closing tags that follow are already paired up.
            if (const ClosingChain* chain = closing ? closingChain(name, scope) : nullptr)
                return chain->settledAfter(r);
            from = r + 1;
        }
    }
    if (closing) {
        std::size_t r = findForward("</", scope.text, true, from);
        while (r != 0 && insideSection(scope, r))
            r = findForward("</", scope.text, true, r + 1);
        return r;
    }
    for (;;) {
        std::size_t r = findForward("<", scope.text, true, from);
        if (r == 0 || r == scope.text.size())
            return r;
        char next = at(scope.text, r + 1);
        if (r + 1 == scope.text.size() || next == '/' || next == '!' || at(scope.text, r + 2) == '-' ||
            insideSection(scope, r)) {
            from = r + 1;
            continue;
        }
        return r;
    }
}

// "<name>" anywhere before wins over a nearer "<name ...".
std::size_t TTagParser::findParentStart(std::string_view name, std::size_t from) const {
    std::size_t r = findBackwardIndexed(concat({"<", name, ">"}), from);
    if (r == 0)
        r = findBackwardIndexed(concat({"<", name, " "}), from);
    return r;
}

std::size_t TTagParser::startTagEnd(std::size_t pos) const { return tagEnd(Scope{text_, 0}, pos + 1); }

std::size_t TTagParser::outerEnd(std::size_t pos, std::string_view name) const {
    auto key = std::make_tuple(pos, std::string(name), ignoreCase_);
    auto& ends = memo().outerEnds;
    if (auto it = ends.find(key); it != ends.end())
        return it->second;
    std::size_t b = startTagEnd(pos);
    std::size_t end = b;
    if (at(text_, pos + 1) != '?' && !isSelfClosing(text_, b)) {
        std::size_t c = findTag(Scope{text_, 0}, b + 1, true, name);
        end = c != 0 ? findForward(">", text_, true, c) : 0;
    }
    ends.emplace(std::move(key), end);
    return end;
}

std::size_t TTagParser::findAttributeValuePos(std::string_view tag, std::string_view name) const {
    std::size_t r;
    if (ignoreCase_)
        r = findForward(AsciiUpper(name) + "=", AsciiUpper(tag), true, 1);
    else
        r = findForward(std::string(name) + "=", tag, true, 1);
    return r != 0 ? r + name.size() + 1 : 0;
}

std::string TTagParser::rawAttribute(std::string_view tag, std::string_view name) const {
    std::string t = normalizeTag(tag);
    std::size_t p = findAttributeValuePos(t, name);
    return p != 0 ? readAttributeValue(t, p) : std::string();
}

// ---- TTagParser: Find ------------------------------------------------------------------------

bool TTagParser::Find(std::string_view path) {
    if (path.empty())
        RaiseErrorFmt(kErrUnknownAddress, "");
    const std::vector<Step> steps = parsePath(path);
    const std::size_t n = steps.size();
    std::size_t k;
    if (lastPath_ != path) {
        k = 1;
        lastPath_ = std::string(path);
    } else {
        k = n > 0 && steps[n - 1].hasBracket() ? 1 : n;
    }
    if (n == 0)
        return false;

    Scope scope{text_, 0};
    std::size_t p = 0;
    bool descend = true;
    bool backtracked = false;
    while (k <= n) {
        const Step& step = steps[k - 1];
        if (descend) {
            if (k == 1) {
                scope = Scope{text_, 0};
                p = position_;
            } else {
                const std::string& parentName = steps[k - 2].name;
                if (parentName.empty())
                    throw Exception(std::string(kNoCurrentTag));
                std::size_t parent = position_ > 0 ? findParentStart(parentName, position_) : 0;
                std::size_t end = parent != 0 ? outerEnd(parent, parentName) : 0;
                std::size_t base = parent != 0 ? parent - 1 : 0;
                // A parent without a closing tag gives an empty scope: nothing below it is found.
                std::size_t length = end >= parent && parent != 0 ? end - parent + 1 : 0;
                scope = Scope{std::string_view(text_).substr(base, length), base};
                p = position_ - base;
            }
        }

        // `*` moves on to the next sibling: past the current element's
        // closing tag, or past its start tag when it has none.
        if (k > 1 && !freshSearch_ && step.star() && !tagName_.empty() && tagName_[0] != '!' &&
            tagName_[0] != '?') {
            std::size_t closingTag = findTag(scope, p + 1, true, tagName_);
            if (closingTag != 0)
                p = closingTag;
        }

        if (step.kind == Step::Kind::Index) {
            // `name[0]` reached again by backtracking has no next candidate.
            if (step.index == 0 && backtracked) {
                if (k == 1)
                    return false;
                --k;
                freshSearch_ = true;
                continue;
            }
            for (std::size_t i = 0; i < step.index; ++i) {
                p = findTag(scope, p + 1, false, step.name);
                if (p == 0)
                    return false;
                position_ = p + scope.base;
                tagName_ = step.star() ? readTagName(scope.text, p + 1) : step.name;
            }
            if (k == n) {
                position_ = p + scope.base;
                freshSearch_ = false;
                return true;
            }
            ++k;
            descend = true;
            backtracked = false;
            continue;
        }

        p = findTag(scope, p + 1, false, step.name);
        if (p == 0) {
            if (k == 1)
                return false;
            --k;
            descend = true;
            backtracked = true;
            freshSearch_ = true;
            continue;
        }
        if (step.kind == Step::Kind::Predicate) {
            std::string_view tag = scope.text.substr(p - 1, std::min(tagEnd(scope, p + 1), scope.text.size()) - p + 1);
            if (!compareValues(rawAttribute(tag, step.attribute), step.op, step.value)) {
                descend = false;
                continue;
            }
        }
        if (k == n) {
            std::string name = step.star() ? readTagName(scope.text, p + 1) : step.name;
            if (name.empty()) {
                descend = false;
                continue;
            }
            position_ = p + scope.base;
            tagName_ = std::move(name);
            freshSearch_ = false;
            return true;
        }
        position_ = p + scope.base;
        tagName_ = step.name;
        descend = true;
        backtracked = false;
        ++k;
    }
    return false;
}

// ---- TTagParser: reading ---------------------------------------------------------------------

std::string TTagParser::GetStartTag() const {
    if (position_ == 0 || position_ > text_.size())
        return {};
    std::size_t end = std::min(startTagEnd(position_), text_.size());
    return text_.substr(position_ - 1, end - position_ + 1);
}

std::string TTagParser::GetInnerText() const {
    requireCurrentTag();
    char first = at(text_, position_ + 1);
    if (first == '!' || first == '?')
        return {};
    std::size_t b = startTagEnd(position_);
    if (isSelfClosing(text_, b))
        return {};
    std::size_t c = findTag(Scope{text_, 0}, position_, true, tagName_);
    if (c < 1)
        RaiseErrorFmt(kErrTagNotClosed, tagName_);
    return c > b + 1 ? text_.substr(b, c - b - 1) : std::string();
}

std::string TTagParser::GetOuterText() const {
    requireCurrentTag();
    if (position_ == 0 || position_ > text_.size())
        return {};
    std::size_t end = outerEnd(position_, tagName_);
    if (end == 0)
        RaiseErrorFmt(kErrTagNotClosed, tagName_);
    end = std::min(end, text_.size());
    return text_.substr(position_ - 1, end - position_ + 1);
}

std::string TTagParser::GetText() const { return DecodeEntities(StripCData(GetInnerText())); }

std::string TTagParser::GetAttribute(std::string_view name) const {
    std::string tag = GetStartTag();
    return tag.empty() ? std::string() : DecodeEntities(rawAttribute(tag, name));
}

// ---- TTagParser: changing ----------------------------------------------------------------------

// The '>' of the current start tag; an edit needs one to know where the tag ends.
std::size_t TTagParser::requireStartTagEnd() const {
    if (position_ == 0 || position_ > text_.size())
        throw Exception(std::string(kNoCurrentTag));
    std::size_t b = startTagEnd(position_);
    if (b < 2 || at(text_, b) != '>')
        RaiseErrorFmt(kErrTagNotClosed, tagName_);
    return b;
}

void TTagParser::SetText(std::string_view value) {
    requireCurrentTag();
    const std::string inner = GetInnerText();
    std::string newInner;
    if (inner.starts_with(kCDataOpen) && findForward(kCDataClose, inner, true, 1) == inner.size() - 2)
        newInner = wrapCData(value);
    else
        newInner = EncodeText(value);

    std::size_t b = requireStartTagEnd();
    if (isSelfClosing(text_, b)) {
        replaceRange(b - 1, 2, concat({">", newInner, "</", tagName_, ">\r\n"}));
        return;
    }
    std::size_t c = findTag(Scope{text_, 0}, b + 1, true, tagName_);
    if (c == 0)
        RaiseErrorFmt(kErrTagNotClosed, tagName_);
    replaceRange(b + 1, c - b - 1, newInner);
}

void TTagParser::SetAttribute(std::string_view name, std::string_view value) {
    std::size_t b = requireStartTagEnd();
    const std::string v = EncodeText(value);
    std::string t = normalizeTag(std::string_view(text_).substr(position_ - 1, b - position_ + 1));

    std::size_t p = findAttributeValuePos(t, name);
    if (p == 0) {
        std::size_t tail = t.size();
        while (tail > 0 && isTagTailChar(t[tail - 1]))
            --tail;
        t.insert(tail, concat({" ", name, "=\"", v, "\""}));
    } else {
        std::size_t e = p;
        readAttributeValue(t, e);
        if (isQuote(at(t, p)))
            ++p;
        if (e > p)
            t.erase(p - 1, e - p);
        t.insert(p - 1, isQuote(at(t, p - 1)) ? v : concat({"\"", v, "\""}));
    }

    // The new tag also takes the place of the blanks and line breaks after the old one.
    std::size_t q = b + 1;
    while (q < text_.size() && isBlankOrLineBreak(text_[q - 1]))
        ++q;
    replaceRange(position_, q - position_, t);
}

void TTagParser::ReplaceElement(std::string_view text) {
    requireCurrentTag();
    std::size_t b = requireStartTagEnd();
    char first = at(text_, position_ + 1);
    if (first != '?' && first != '!' && !isSelfClosing(text_, b)) {
        std::size_t c = findTag(Scope{text_, 0}, b + 1, true, tagName_);
        if (c == 0)
            RaiseErrorFmt(kErrTagNotClosed, tagName_);
        b = findForward(">", text_, true, c);
        while (b < text_.size() && isBlankOrLineBreak(text_[b]))
            ++b;
    }
    replaceRange(position_, b - position_ + 1, text);

    if (text.empty()) {
        // Step back to the previous start tag, so that the next Find with the
        // same path finds the element that followed the removed one. With
        // none before, stand before the first character.
        std::size_t p = position_;
        do
            p = p > 1 ? findBackward("<", text_, true, p - 1) : 0;
        while (p > 1 && at(text_, p + 1) == '/');
        position_ = p;
    }
    tagName_ = position_ != 0 ? readTagName(text_, position_ + 1) : std::string();
}

void TTagParser::SaveToFile(const std::string& fileName) {
    const std::string target = fileName.empty() ? fileName_ : fileName;
    if (target.empty())
        RaiseErrorFmt(kErrCreate, "");
    WriteWholeFile(target, text_);
    fileName_ = target;
}

} // namespace wpe
