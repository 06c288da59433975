#pragma once
// TTagParser: finds and edits tags of a markup text (HTML templates, web part
// files, category files, feeds) by plain text search, without building a
// tree. Everything it does not touch keeps its exact bytes.
//
// Positions are 1-based indices into Text; 0 stands before the first
// character. Failures throw wpe::Exception with the message of an error code
// (Errors.h) and always leave Text as it was.
//
// Typical use: Reset, then Find with one path while it returns true, reading
// or changing the current tag after each success. A repeated Find with the
// same path continues after the previous match; Find never rewinds by itself.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace wpe {

// Start positions (1-based, ascending) of one pattern in a text, kept up to
// date through edits of the text without searching all of it again.
class PatternOccurrences {
public:
    PatternOccurrences(std::string_view text, std::string pattern, bool caseSensitive);
    // The text had `removed` bytes at pos replaced by `inserted` bytes;
    // newText is the text after that change.
    void Edit(std::string_view newText, std::size_t pos, std::size_t removed, std::size_t inserted);
    const std::vector<std::size_t>& Positions() const { return positions_; }
    std::size_t PatternLength() const { return pattern_.size(); }
    // Last start at or before limit, or 0.
    std::size_t LastAtOrBefore(std::size_t limit) const;
    // First start at or after from, or 0.
    std::size_t FirstAtOrAfter(std::size_t from) const;

private:
    std::string pattern_;
    bool caseSensitive_;
    std::vector<std::size_t> positions_;
};

// Where the sections opened by one marker and closed by another (comments,
// CDATA) lie in a text, so that "is this position inside one" costs a binary
// search instead of scans back and forth through the text.
class SectionIndex {
public:
    SectionIndex(std::string_view text, std::string_view open, std::string_view close, bool caseSensitive);
    // Follows a change of the text (see PatternOccurrences::Edit).
    void Edit(std::string_view newText, std::size_t pos, std::size_t removed, std::size_t inserted);
    // The answer of IsInsideSection(text from lo through hi, open, close,
    // p - lo + 1): positions are 1-based in the indexed text, lo..hi the part
    // that is searched (markers must lie wholly inside it).
    bool Inside(std::size_t lo, std::size_t hi, std::size_t p) const;
    // The same over the whole indexed text.
    bool Inside(std::size_t p) const { return Inside(1, length_, p); }

private:
    PatternOccurrences opens_;
    PatternOccurrences closes_;
    std::size_t length_;
};

class TTagParser {
public:
    // Parser over text. An empty text fails with code 1
    // ("Init error! Incorrect XML string "). IgnoreCase is false; then Reset.
    explicit TTagParser(std::string text);
    // Parser over the whole content of a file. A missing file fails with code
    // 5, content shorter than 7 characters with code 1. FileName is set.
    static TTagParser CreateFromFile(const std::string& fileName);

    TTagParser(const TTagParser& other);
    TTagParser& operator=(const TTagParser& other);
    TTagParser(TTagParser&& other) noexcept;
    TTagParser& operator=(TTagParser&& other) noexcept;
    virtual ~TTagParser();

    // Position 0, FreshSearch true, TagName and LastPath empty.
    void Reset();

    // Moves forward to the next tag matching the slash path (steps: "name",
    // "*", "name[N]", "name[@attr OP value]" with OP one of = != > <).
    // On success Position and TagName name the tag. On failure they stay at
    // the last element visited. An empty path fails with code 16.
    bool Find(std::string_view path);

    // Inner text of the current tag, CDATA markers removed and the five
    // predefined entities decoded. Needs a current tag; code 26 when the tag
    // has no closing tag.
    std::string GetText() const;
    // Replaces the inner text of the current tag, escaping markup characters
    // (or keeping the CDATA wrapper when the inner text is one section).
    // A self-closing tag is opened: <a/> becomes <a>value</a> + CR LF.
    void SetText(std::string_view value);

    // Value of an attribute of the start tag at Position, entities decoded;
    // empty when absent. The name is found by substring search ("src" also
    // matches "data-src=") and, with IgnoreCase, without regard to case.
    std::string GetAttribute(std::string_view name) const;
    // Sets or adds an attribute of the start tag at Position. The tag is
    // rewritten normalized (runs of blanks collapsed) and the white space
    // that followed it is removed. Fails when there is no tag at Position.
    void SetAttribute(std::string_view name, std::string_view value);

    // Replaces the whole current element (start tag through closing tag and
    // the white space after it) by text; an empty text deletes it and moves
    // Position back so that the next Find with the same path finds the
    // element that followed.
    void ReplaceElement(std::string_view text);

    // Writes Text to fileName (which becomes FileName) or, when empty, to
    // FileName; atomically. Fails with code 15 when no file name is known.
    void SaveToFile(const std::string& fileName = {});

    // The current start tag (from Position through its '>'); empty when none.
    std::string GetStartTag() const;
    // Text between the start tag's '>' and its closing tag; empty for
    // self-closing tags and for <!...> and <?...>. Needs a current tag.
    std::string GetInnerText() const;
    // The whole current element, start tag through closing tag. Needs a
    // current tag; code 26 when the closing tag is missing.
    std::string GetOuterText() const;

    const std::string& Text() const { return text_; }
    bool IgnoreCase() const { return ignoreCase_; }
    // Set right after construction to scan HTML.
    void SetIgnoreCase(bool value) { ignoreCase_ = value; }
    std::size_t Position() const { return position_; }
    const std::string& TagName() const { return tagName_; }
    const std::string& FileName() const { return fileName_; }
    const std::string& LastPath() const { return lastPath_; }
    bool FreshSearch() const { return freshSearch_; }

private:
    struct Sections;
    struct Memo;
    struct Scope;

    const Sections& sections() const;
    Memo& memo() const;
    struct ClosingChain;
    const PatternOccurrences& occurrencesOf(const std::string& pattern, bool caseSensitive) const;
    bool worthIndexing(const std::string& pattern, bool caseSensitive) const;
    std::size_t findBackwardIndexed(const std::string& pattern, std::size_t from) const;
    std::size_t findForwardIn(const Scope& scope, const std::string& pattern, bool caseSensitive,
                              std::size_t from) const;
    std::size_t tagEnd(const Scope& scope, std::size_t from) const;
    const ClosingChain* closingChain(std::string_view name, const Scope& scope) const;
    void replaceRange(std::size_t pos, std::size_t count, std::string_view with);
    void requireCurrentTag() const;
    std::size_t requireStartTagEnd() const;

    bool insideCData(const Scope& scope, std::size_t p) const;
    bool insideSection(const Scope& scope, std::size_t p) const;
    std::size_t findTagStart(std::string_view name, const Scope& scope, std::size_t from,
                             std::size_t before = 0) const;
    std::size_t findClosingTag(std::string_view name, const Scope& scope, std::size_t from) const;
    std::size_t findTag(const Scope& scope, std::size_t from, bool closing, std::string_view name) const;
    std::size_t findParentStart(std::string_view name, std::size_t from) const;
    std::size_t startTagEnd(std::size_t pos) const;
    std::size_t outerEnd(std::size_t pos, std::string_view name) const;
    std::size_t findAttributeValuePos(std::string_view tag, std::string_view name) const;
    std::string rawAttribute(std::string_view tag, std::string_view name) const;

    std::string text_;
    bool ignoreCase_ = false;
    std::size_t position_ = 0;
    std::string tagName_;
    std::string fileName_;
    std::string lastPath_;
    bool freshSearch_ = true;
    // Where comment and CDATA sections lie in text_, and answers of repeated
    // searches; both are dropped whenever text_ changes.
    mutable std::unique_ptr<Sections> sections_;
    mutable std::unique_ptr<Memo> memo_;
};

// When the parser keeps lists of where patterns occur and how closing tags
// pair up. Auto starts them once repeated searches make them pay; the other
// two exist so tests and benchmarks can compare both ways. Process-wide.
enum class TagIndexing { Auto, Never, Always };
void SetTagIndexing(TagIndexing mode);

// Removes every "<![CDATA[" and the first "]]>" after it, keeping the
// content. An opening marker without a closing one fails with code 26.
std::string StripCData(std::string_view s);
// Decodes &lt; &gt; &amp; &apos; &quot; (in that order, without regard to
// case), so "&amp;lt;" gives "&lt;".
std::string DecodeEntities(std::string_view s);
// Escapes stray ampersands, then < > ' and " as entities. Ampersands inside
// comments and CDATA sections, and one in the last position, stay as they are.
std::string EncodeText(std::string_view s);
// Replaces each '&' that does not start an entity (no ';' follows before the
// next '&') by "&amp;", except inside comments and CDATA sections and in the
// last position.
std::string EscapeAmpersands(std::string_view s);
// True when p lies inside a section opened by open and closed by close
// (e.g. "<!--", "-->"); the '<' of the opening marker is not inside.
bool IsInsideSection(std::string_view text, std::string_view open, std::string_view close, std::size_t p,
                     bool caseSensitive = true);

} // namespace wpe
