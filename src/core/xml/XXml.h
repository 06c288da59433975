#pragma once
// The system's own XML reader: a byte stream in, a flat sequence of tokens
// out. Single-byte text as it comes (no encoding is interpreted), no entity
// decoding, no DTD reading, no namespaces; names compare byte for byte.
//
// Three layers: TTextReader (buffered bytes), TXmlReaderStream (characters
// with push-back) and TXmlReader (tokens, with the stack of open elements).

#include "util/Exception.h"

#include <cstddef>
#include <cstdint>
#include <istream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace wpe {

// A text that does not load as XML, and where reading stopped in it.
class EXmlError : public Exception {
public:
    static constexpr std::size_t kNoOffset = static_cast<std::size_t>(-1);
    explicit EXmlError(std::string message, std::size_t offset = kNoOffset)
        : Exception(std::move(message)), offset_(offset)
    {
    }
    // The number of bytes of the input read when the error was found, so
    // the error lies just before it; kNoOffset when that is not known.
    std::size_t Offset() const { return offset_; }

private:
    std::size_t offset_;
};

// Every failure of the reader. The message is the reader's own text.
class EXmlReader : public EXmlError {
public:
    using EXmlError::EXmlError;
};

// A place in a text: line and column count from 1, the column in bytes.
struct XmlTextPosition {
    int line = 1;
    std::size_t column = 1;
    std::size_t lineStart = 0; // offset of the line's first byte
};
// The place of offset in text; lines end at CR LF, LF or a lone CR, as the
// source view counts them. An offset past the end is taken as the end.
XmlTextPosition PositionInText(std::string_view text, std::size_t offset);

// The kind of a token; the numbers are stable and callers switch on them.
enum XmlTokenKind : std::uint8_t {
    tkProcessingInstruction = 0, // Name: target, Value: data
    tkDocumentType = 1,          // Name: document type name, Value: rest of the declaration
    tkComment = 2,               // Value: comment text
    tkCData = 3,                 // Value: the section's text
    tkStartTag = 4,              // Name: element name
    tkEndTag = 5,                // Name: element name
    tkAttribute = 6,             // Name: attribute name, Value: value without quotes
    tkText = 7,                  // Value: raw character data
    tkEndOfInput = 8,
};

// Buffered bytes from a stream, or straight from memory.
class TTextReader {
public:
    static constexpr std::size_t kDefaultBufferSize = 4096;

    // Reads from stream (not owned) in blocks of bufferSize; the first block
    // is read at once. A stream that fails (not merely ends) raises EXmlReader.
    TTextReader(std::istream& stream, std::size_t bufferSize = kDefaultBufferSize);
    // Reads the bytes of text, which must outlive the reader (no copy).
    explicit TTextReader(std::string_view text);
    TTextReader(const TTextReader&) = delete;
    TTextReader& operator=(const TTextReader&) = delete;

    // The next byte, advancing; at the end the byte 0 without advancing.
    char ReadChar()
    {
        if (pos_ == end_)
            return 0;
        char c = *pos_++;
        if (pos_ == end_)
            Refill();
        return c;
    }
    // True when every byte has been read.
    bool AtEnd() const { return pos_ == end_; }
    // The number of bytes read so far.
    std::size_t Consumed() const { return before_ + static_cast<std::size_t>(pos_ - start_); }

    // The unread bytes of the current block (empty only at the end).
    std::string_view Window() const { return {pos_, static_cast<std::size_t>(end_ - pos_)}; }
    // Consumes n bytes of Window() (n <= Window().size()), refilling as needed.
    void Skip(std::size_t n)
    {
        pos_ += n;
        if (pos_ == end_)
            Refill();
    }

private:
    void Refill();

    std::istream* stream_ = nullptr;
    std::unique_ptr<char[]> buffer_;
    std::size_t bufferSize_ = 0;
    const char* pos_ = nullptr;
    const char* end_ = nullptr;
    const char* start_ = nullptr;  // where the current block begins
    std::size_t before_ = 0;       // bytes of the blocks before it
};

// Characters with push-back over a TTextReader.
class TXmlReaderStream {
public:
    // Wraps stream (not null); when ownsStream, it is deleted with this object.
    TXmlReaderStream(std::istream* stream, bool ownsStream);
    // Wraps the bytes of text, which must outlive this object.
    explicit TXmlReaderStream(std::string_view text);
    ~TXmlReaderStream();
    TXmlReaderStream(const TXmlReaderStream&) = delete;
    TXmlReaderStream& operator=(const TXmlReaderStream&) = delete;

    // True when nothing is pushed back and every byte has been read.
    bool AtEnd() const { return pushBack_.empty() && text_.AtEnd(); }
    // The number of bytes read and not pushed back.
    std::size_t Offset() const { return text_.Consumed() - pushBack_.size(); }
    // The next character; consume false peeks. At the end: 0 (check AtEnd,
    // since 0 is also an ordinary byte of the input).
    char ReadChar(bool consume = true)
    {
        if (!pushBack_.empty()) {
            char c = pushBack_.back();
            if (consume)
                pushBack_.pop_back();
            return c;
        }
        if (text_.AtEnd())
            return 0;
        char c = text_.ReadChar();
        if (!consume)
            pushBack_.push_back(c);
        return c;
    }
    // Makes c the next character read.
    void UnreadChar(char c) { pushBack_.push_back(c); }
    // Makes s the next characters read, from its first character on.
    void UnreadString(std::string_view s);
    // Consumes bytes of 0x20 and below; stops before the first other byte.
    void SkipWhitespace();
    // True if the next characters are s (consumed when consume is true);
    // otherwise the input is left as it was.
    bool Match(std::string_view s, bool consume);

    // Appends characters to out up to (not including) the first one for which
    // stop(c) is true, which stays unread. False when the input ended first.
    template <class Stop>
    bool ScanUntil(std::string& out, Stop stop);

private:
    bool ownsStream_ = false;
    std::istream* stream_ = nullptr;
    TTextReader text_;
    std::string pushBack_; // a stack: the last character is read first
};

// Tokens from a stream, with the stack of open elements for nesting checks.
class TXmlReader {
public:
    // A closed reader: empty stack, TokenKind tkEndOfInput.
    TXmlReader();
    ~TXmlReader();
    TXmlReader(const TXmlReader&) = delete;
    TXmlReader& operator=(const TXmlReader&) = delete;

    // Closes, then reads from stream (deleted on Close when ownsStream); a
    // null stream reads as empty input.
    void Open(std::istream* stream, bool ownsStream);
    // Closes, then reads the bytes of text, which must outlive the reading.
    void Open(std::string_view text);
    // Drops the stream; TokenKind becomes tkEndOfInput and the stack empties.
    void Close();
    // Reads one token and returns its kind; Name and Value are set for it.
    // Keeps returning tkEndOfInput after the end. Throws EXmlReader on
    // malformed input; open elements left at the end are not an error.
    XmlTokenKind Next();

    // Number of open elements.
    int Depth() const { return static_cast<int>(stack_.Size()); }
    // The number of bytes of the input read so far (0 when closed).
    std::size_t Offset() const { return stream_ ? stream_->Offset() : 0; }
    XmlTokenKind TokenKind() const { return tokenKind_; }
    const std::string& Name() const { return name_; }
    const std::string& Value() const { return value_; }

private:
    enum class ScanState : std::uint8_t { Normal, InStartTag };

    // Names of the open elements, end to end in one string: a deeply nested
    // input costs a few bytes per level instead of a string object each.
    class NameStack {
    public:
        bool Empty() const { return starts_.empty(); }
        std::size_t Size() const { return starts_.size(); }
        void Clear()
        {
            names_.clear();
            starts_.clear();
        }
        void Push(std::string_view name)
        {
            starts_.push_back(names_.size());
            names_.append(name);
        }
        std::string_view Top() const { return std::string_view(names_).substr(starts_.back()); }
        void Pop()
        {
            names_.resize(starts_.back());
            starts_.pop_back();
        }

    private:
        std::string names_;
        std::vector<std::size_t> starts_;
    };

    XmlTokenKind ReadProcessingInstruction();
    XmlTokenKind ReadDocumentType();
    XmlTokenKind ReadComment();
    XmlTokenKind ReadCData();
    XmlTokenKind ReadStartTag();
    XmlTokenKind ReadAttribute();
    XmlTokenKind ReadEndTag();
    XmlTokenKind ReadText();
    XmlTokenKind EndOfInput();
    [[noreturn]] void Fail(const char* message) const;

    XmlTokenKind tokenKind_ = tkEndOfInput;
    std::string name_;
    std::string value_;
    bool eof_ = true;
    NameStack stack_;
    ScanState state_ = ScanState::Normal;
    std::unique_ptr<TXmlReaderStream> stream_;
};

// ---- inline definitions ----

template <class Stop>
bool TXmlReaderStream::ScanUntil(std::string& out, Stop stop)
{
    while (!pushBack_.empty()) {
        char c = pushBack_.back();
        if (stop(c))
            return true;
        out.push_back(c);
        pushBack_.pop_back();
    }
    for (;;) {
        std::string_view w = text_.Window();
        if (w.empty())
            return false;
        std::size_t i = 0;
        while (i < w.size() && !stop(w[i]))
            ++i;
        out.append(w.data(), i);
        if (i < w.size()) {
            if (i)
                text_.Skip(i);
            return true;
        }
        text_.Skip(i);
    }
}

} // namespace wpe
