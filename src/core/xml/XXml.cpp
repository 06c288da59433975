#include "xml/XXml.h"

#include <algorithm>

namespace wpe {

namespace {

const char* const kErrUnexpectedEnd = "Ошибка в XML-документе: неожидаемое завершение текста";
const char* const kErrUnknownSpecial = "Ошибка в XML-документе: неизвестная специальная инструкция";
const char* const kErrTextOutside = "Ошибка в XML-документе: текст вне элемента";
const char* const kErrPiNoName = "Ошибка в XML-документе: не задано имя в обрабатывающей инструкции";
const char* const kErrPiNotClosed = "Ошибка в XML-документе: ожидается \"?>\"";
const char* const kErrDoctypeNoName = "Ошибка в XML-документе: не задано имя в типе документа";
const char* const kErrDoctypeNotClosed = "Ошибка в XML-документе: ожидается \">\" для типа документа";
const char* const kErrCommentNotClosed = "Ошибка в XML-документе: ожидается \"-->\"";
const char* const kErrCDataNoBrackets = "Ошибка в XML-документе: ожидается \"]]\"";
const char* const kErrCDataNotClosed = "Ошибка в XML-документе: ожидается \"]]>\"";
const char* const kErrStartTagNotClosed = "Ошибка в XML-документе: ожидается \">\" для открывающего тэга элемента";
const char* const kErrStartTagNoName = "Ошибка в XML-документе: не задано имя открывающего тэга элемента";
const char* const kErrEmptyTagNotClosed = "Ошибка в XML-документе: ожидается \"/>\"";
const char* const kErrAttrNoEquals = "Ошибка в XML-документе: ожидается \"=\" для атрибута элемента";
const char* const kErrAttrNoName = "Ошибка в XML-документе: не задано имя атрибута элемента";
const char* const kErrAttrNoValue = "Ошибка в XML-документе: не задано значение атрибута элемента";
const char* const kErrAttrEnd = "Ошибка в XML-документе: ожидается атрибут элемента";
const char* const kErrEndTagNotClosed = "Ошибка в XML-документе: ожидается \">\" для закрывающего тэга элемента";
// A failing stream must not pass for a short document.
const char* const kErrStreamRead = "Ошибка чтения XML-документа";
const char* const kErrEndTagMismatch =
    "Ошибка в XML-документе: несоответствие имени закрывающего тэга имени открывающему";

[[noreturn]] void FailStream(const char* message)
{
    throw EXmlReader(message);
}

inline bool IsWhite(char c)
{
    return static_cast<unsigned char>(c) <= 0x20;
}

} // namespace

// ---- TTextReader ----

TTextReader::TTextReader(std::istream& stream, std::size_t bufferSize)
    : stream_(&stream), buffer_(new char[std::max<std::size_t>(bufferSize, 1)]),
      bufferSize_(std::max<std::size_t>(bufferSize, 1))
{
    Refill();
}

TTextReader::TTextReader(std::string_view text)
    : pos_(text.data()), end_(text.data() + text.size()), start_(text.data())
{
}

void TTextReader::Refill()
{
    before_ += static_cast<std::size_t>(end_ - start_);
    pos_ = end_ = start_ = buffer_.get();
    if (!stream_ || !buffer_)
        return;
    // A stream that cannot tell its size is read until it reports no more.
    if (!*stream_)
        return;
    std::streamsize got = 0;
    try {
        stream_->read(buffer_.get(), static_cast<std::streamsize>(bufferSize_));
        got = stream_->gcount();
    } catch (...) {
        // A stream set to throw: only a hard failure is an error, not the end.
        if (stream_->bad() || !stream_->eof())
            FailStream(kErrStreamRead);
        got = stream_->gcount();
    }
    if (stream_->bad())
        FailStream(kErrStreamRead);
    if (got > 0)
        end_ = buffer_.get() + got;
}

// ---- TXmlReaderStream ----

TXmlReaderStream::TXmlReaderStream(std::istream* stream, bool ownsStream)
    : ownsStream_(ownsStream), stream_(stream), text_(*stream)
{
}

TXmlReaderStream::TXmlReaderStream(std::string_view text) : text_(text) {}

TXmlReaderStream::~TXmlReaderStream()
{
    if (ownsStream_)
        delete stream_;
}

void TXmlReaderStream::UnreadString(std::string_view s)
{
    pushBack_.append(s.rbegin(), s.rend());
}

void TXmlReaderStream::SkipWhitespace()
{
    while (!pushBack_.empty()) {
        if (!IsWhite(pushBack_.back()))
            return;
        pushBack_.pop_back();
    }
    for (;;) {
        std::string_view w = text_.Window();
        if (w.empty())
            return;
        std::size_t i = 0;
        while (i < w.size() && IsWhite(w[i]))
            ++i;
        text_.Skip(i);
        if (i < w.size())
            return;
    }
}

bool TXmlReaderStream::Match(std::string_view s, bool consume)
{
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (AtEnd()) {
            UnreadString(s.substr(0, i));
            return false;
        }
        char c = ReadChar(true);
        if (c != s[i]) {
            UnreadChar(c);
            UnreadString(s.substr(0, i));
            return false;
        }
    }
    if (!consume)
        UnreadString(s);
    return true;
}

XmlTextPosition PositionInText(std::string_view text, std::size_t offset)
{
    offset = std::min(offset, text.size());
    XmlTextPosition p;
    for (std::size_t i = 0; i < offset; ++i) {
        char c = text[i];
        if (c != '\r' && c != '\n')
            continue;
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            // Between CR and LF is still the end of the CR's line.
            if (i + 1 == offset)
                break;
            ++i;
        }
        ++p.line;
        p.lineStart = i + 1;
    }
    p.column = offset - p.lineStart + 1;
    return p;
}

// ---- TXmlReader ----

void TXmlReader::Fail(const char* message) const
{
    throw EXmlReader(message, Offset());
}

TXmlReader::TXmlReader() = default;

TXmlReader::~TXmlReader()
{
    Close();
}

void TXmlReader::Open(std::istream* stream, bool ownsStream)
{
    if (!stream) {
        Open(std::string_view());
        return;
    }
    Close();
    try {
        stream_ = std::make_unique<TXmlReaderStream>(stream, ownsStream);
    } catch (...) {
        if (ownsStream)
            delete stream;
        throw;
    }
    tokenKind_ = tkEndOfInput;
    eof_ = stream_->AtEnd();
    state_ = ScanState::Normal;
}

void TXmlReader::Open(std::string_view text)
{
    Close();
    stream_ = std::make_unique<TXmlReaderStream>(text);
    tokenKind_ = tkEndOfInput;
    eof_ = stream_->AtEnd();
    state_ = ScanState::Normal;
}

void TXmlReader::Close()
{
    stream_.reset();
    tokenKind_ = tkEndOfInput;
    eof_ = true;
    stack_.Clear();
    state_ = ScanState::Normal;
}

XmlTokenKind TXmlReader::EndOfInput()
{
    eof_ = true;
    return tokenKind_ = tkEndOfInput;
}

XmlTokenKind TXmlReader::Next()
{
    name_.clear();
    value_.clear();
    if (eof_ || !stream_ || stream_->AtEnd())
        return EndOfInput();
    if (state_ == ScanState::InStartTag)
        return tokenKind_ = ReadAttribute();

    TXmlReaderStream& in = *stream_;
    if (stack_.Empty()) {
        in.SkipWhitespace();
        if (in.AtEnd())
            return EndOfInput();
    }
    char c = in.ReadChar();
    if (c == '<') {
        if (in.AtEnd())
            Fail(kErrUnexpectedEnd);
        c = in.ReadChar();
        switch (c) {
        case '!':
            if (in.Match("--", true))
                return tokenKind_ = ReadComment();
            if (in.Match("[CDATA[", true))
                return tokenKind_ = ReadCData();
            if (in.Match("DOCTYPE", true))
                return tokenKind_ = ReadDocumentType();
            Fail(kErrUnknownSpecial);
        case '/':
            return tokenKind_ = ReadEndTag();
        case '?':
            return tokenKind_ = ReadProcessingInstruction();
        default:
            in.UnreadChar(c);
            return tokenKind_ = ReadStartTag();
        }
    }
    in.UnreadChar(c);
    if (stack_.Empty())
        Fail(kErrTextOutside);
    return tokenKind_ = ReadText();
}

XmlTokenKind TXmlReader::ReadProcessingInstruction()
{
    TXmlReaderStream& in = *stream_;
    in.SkipWhitespace();
    // The terminating '>' or '?' stays unread.
    in.ScanUntil(name_, [](char c) { return IsWhite(c) || c == '>' || c == '?'; });
    if (name_.empty())
        Fail(kErrPiNoName);
    in.SkipWhitespace();
    for (;;) {
        if (!in.ScanUntil(value_, [](char c) { return c == '>'; }))
            Fail(kErrPiNotClosed);
        in.ReadChar();
        if (!value_.empty() && value_.back() == '?') {
            value_.pop_back();
            return tkProcessingInstruction;
        }
        value_.push_back('>');
    }
}

XmlTokenKind TXmlReader::ReadDocumentType()
{
    TXmlReaderStream& in = *stream_;
    in.SkipWhitespace();
    in.ScanUntil(name_, [](char c) { return IsWhite(c) || c == '>'; });
    if (name_.empty())
        Fail(kErrDoctypeNoName);
    in.SkipWhitespace();
    std::size_t depth = 1;
    for (;;) {
        if (!in.ScanUntil(value_, [](char c) { return c == '<' || c == '>'; }))
            Fail(kErrDoctypeNotClosed);
        char c = in.ReadChar();
        if (c == '<') {
            ++depth;
        } else if (--depth == 0) {
            return tkDocumentType;
        }
        value_.push_back(c);
    }
}

XmlTokenKind TXmlReader::ReadComment()
{
    TXmlReaderStream& in = *stream_;
    for (;;) {
        if (!in.ScanUntil(value_, [](char c) { return c == '>'; }))
            Fail(kErrCommentNotClosed);
        in.ReadChar();
        std::size_t n = value_.size();
        if (n >= 2 && value_[n - 1] == '-' && value_[n - 2] == '-') {
            value_.resize(n - 2);
            return tkComment;
        }
        value_.push_back('>');
    }
}

XmlTokenKind TXmlReader::ReadCData()
{
    TXmlReaderStream& in = *stream_;
    // "]]" ends the section only when white space and then '>' follow; any
    // other "]]" is content, as in a script that indexes twice: a[b[0]].
    std::string gap;
    for (;;) {
        if (!in.ScanUntil(value_, [](char c) { return c == ']'; }))
            Fail(kErrCDataNoBrackets);
        in.ReadChar();
        if (value_.empty() || value_.back() != ']') {
            value_.push_back(']');
            continue;
        }
        gap.clear();
        if (!in.ScanUntil(gap, [](char c) { return !IsWhite(c); }))
            Fail(kErrCDataNotClosed);
        if (in.ReadChar(false) == '>') {
            in.ReadChar();
            value_.pop_back();
            return tkCData;
        }
        // The second ']' may begin the next "]]".
        value_.push_back(']');
        value_.append(gap);
    }
}

XmlTokenKind TXmlReader::ReadStartTag()
{
    TXmlReaderStream& in = *stream_;
    in.SkipWhitespace();
    bool terminated = in.ScanUntil(name_, [](char c) { return IsWhite(c) || c == '/' || c == '>'; });
    // After "< " a name beginning with '!' or '?' would be written back as a
    // comment or instruction, so it is no name at all.
    if (name_.empty() || name_[0] == '!' || name_[0] == '?')
        Fail(kErrStartTagNoName);
    if (!terminated)
        Fail(kErrStartTagNotClosed);
    char c = in.ReadChar();
    if (IsWhite(c)) {
        in.SkipWhitespace();
        if (in.AtEnd())
            Fail(kErrStartTagNotClosed);
        c = in.ReadChar();
    }
    if (c == '>') {
        state_ = ScanState::Normal;
    } else {
        in.UnreadChar(c);
        state_ = ScanState::InStartTag;
    }
    stack_.Push(name_);
    return tkStartTag;
}

XmlTokenKind TXmlReader::ReadAttribute()
{
    TXmlReaderStream& in = *stream_;
    in.SkipWhitespace();
    if (!in.AtEnd() && in.ReadChar(false) == '/') {
        in.ReadChar();
        if (in.AtEnd() || in.ReadChar() != '>')
            Fail(kErrEmptyTagNotClosed);
        name_.assign(stack_.Top());
        stack_.Pop();
        state_ = ScanState::Normal;
        return tkEndTag;
    }

    // Name, then '='.
    bool terminated = in.ScanUntil(name_, [](char c) { return IsWhite(c) || c == '=' || c == '>'; });
    if (name_.empty())
        Fail(kErrAttrNoName);
    if (!terminated)
        Fail(kErrAttrNoValue);
    char c = in.ReadChar();
    if (IsWhite(c)) {
        in.SkipWhitespace();
        if (in.AtEnd())
            Fail(kErrAttrNoValue);
        c = in.ReadChar();
    }
    if (c != '=')
        Fail(kErrAttrNoEquals);

    // Value, quoted or not.
    in.SkipWhitespace();
    if (in.AtEnd())
        Fail(kErrAttrNoValue);
    c = in.ReadChar();
    if (c == '"' || c == '\'') {
        const char quote = c;
        if (!in.ScanUntil(value_, [quote](char x) { return x == quote; }))
            Fail(kErrAttrEnd);
        in.ReadChar();
        if (in.AtEnd())
            Fail(kErrAttrEnd);
        c = in.ReadChar();
    } else {
        in.UnreadChar(c);
        if (!in.ScanUntil(value_, [](char x) { return IsWhite(x) || x == '/' || x == '>'; }))
            Fail(kErrAttrEnd);
        c = in.ReadChar();
    }

    // What follows: more attributes, "/>" or '>'.
    if (IsWhite(c)) {
        in.SkipWhitespace();
        if (in.AtEnd())
            Fail(kErrAttrEnd);
        c = in.ReadChar();
    }
    if (c == '>') {
        state_ = ScanState::Normal;
    } else {
        in.UnreadChar(c);
        state_ = ScanState::InStartTag;
    }
    return tkAttribute;
}

XmlTokenKind TXmlReader::ReadEndTag()
{
    TXmlReaderStream& in = *stream_;
    in.SkipWhitespace();
    bool terminated = in.ScanUntil(name_, [](char c) { return IsWhite(c) || c == '>'; });
    if (!terminated)
        Fail(kErrEndTagNotClosed);
    char c = in.ReadChar();
    if (IsWhite(c)) {
        in.SkipWhitespace();
        if (in.AtEnd())
            Fail(kErrEndTagNotClosed);
        c = in.ReadChar();
    }
    if (c != '>')
        Fail(kErrEndTagNotClosed);
    if (stack_.Empty() || stack_.Top() != name_)
        Fail(kErrEndTagMismatch);
    stack_.Pop();
    state_ = ScanState::Normal;
    return tkEndTag;
}

XmlTokenKind TXmlReader::ReadText()
{
    stream_->ScanUntil(value_, [](char c) { return c == '<'; });
    return tkText;
}

} // namespace wpe
