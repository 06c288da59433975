#pragma once
// Web part text at the edge between the core's bytes and the widgets'
// QString: decoded and encoded with the encoding the document declares
// (Windows-1251 when it declares none).

#include <QByteArray>
#include <QString>

#include <string>

namespace wpe {

// The encoding named by the XML declaration at the start of text
// (`<?xml ... encoding="X" ?>`), or empty when there is none.
QString DeclaredEncoding(const QByteArray& text);
QString DeclaredEncoding(const QString& text);

class TextCodec {
public:
    // A codec for the encoding name; an empty or unknown name gives
    // Windows-1251, which keeps every byte as it was.
    explicit TextCodec(const QString& encodingName = QString());

    // The codec for what text declares.
    static TextCodec ForDeclaration(const QString& text) { return TextCodec(DeclaredEncoding(text)); }
    static TextCodec ForDeclaration(const QByteArray& text) { return TextCodec(DeclaredEncoding(text)); }

    // The encoding's name as used (e.g. "windows-1251", "UTF-8").
    QString name() const { return name_; }

    QString decode(const std::string& bytes) const;
    QString decode(const QByteArray& bytes) const;
    // The bytes of text in this encoding. A character the encoding cannot
    // hold throws an error naming it and its line; nothing is replaced.
    std::string encode(const QString& text) const;

private:
    QString name_;
    bool builtIn1251_ = false;
};

// The text of a feed as a part in partCodec's encoding holds it: decoded as
// the feed declares (a byte order mark first, else its XML declaration,
// UTF-8 by default; text that is not valid UTF-8 is read as Latin-1), and
// each character the part's encoding lacks written as a character reference.
std::string FeedInPartEncoding(const QByteArray& feed, const TextCodec& partCodec);

} // namespace wpe
