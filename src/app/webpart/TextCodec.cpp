#include "webpart/TextCodec.h"

#include "util/Exception.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <optional>

namespace wpe {

namespace {

const char* const kDefaultEncoding = "windows-1251";

// Windows-1251 upper half, for Qt builds whose converters lack it.
// 0x98 has no character; it maps to U+0098 so that every byte survives.
constexpr std::array<char16_t, 128> k1251 = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457, 0x0410,
    0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D,
    0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A,
    0x042B, 0x042C, 0x042D, 0x042E, 0x042F, 0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444,
    0x0445, 0x0446, 0x0447, 0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F};

bool is1251(const QString& name) {
    QString n = name.toLower();
    return n == "windows-1251" || n == "cp1251" || n == "win-1251";
}

[[noreturn]] void unencodable(const QString& text, qsizetype index, const QString& encoding) {
    int line = 1 + int(text.left(index).count(QLatin1Char('\n')));
    uint code = text.at(index).unicode();
    if (text.at(index).isHighSurrogate() && index + 1 < text.size())
        code = QChar::surrogateToUcs4(text.at(index), text.at(index + 1));
    QString character = QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
    QString hex = QString::number(code, 16).toUpper().rightJustified(4, QLatin1Char('0'));
    throw Exception(QStringLiteral("The character \"%1\" (U+%2) in line %3 cannot be stored in the encoding %4 "
                                   "of this document. Remove it, or declare another encoding.")
                        .arg(character, hex)
                        .arg(line)
                        .arg(encoding)
                        .toStdString());
}

} // namespace

QString DeclaredEncoding(const QString& text) {
    static const QRegularExpression declaration(
        QStringLiteral(R"(^\x{FEFF}?\s*<\?xml\s[^>]*?encoding\s*=\s*["']([A-Za-z0-9._:-]+)["'])"));
    QRegularExpressionMatch match = declaration.match(text.left(400));
    return match.hasMatch() ? match.captured(1) : QString();
}

QString DeclaredEncoding(const QByteArray& text) {
    return DeclaredEncoding(QString::fromLatin1(text.left(400)));
}

TextCodec::TextCodec(const QString& encodingName) {
    name_ = encodingName.isEmpty() ? QString::fromLatin1(kDefaultEncoding) : encodingName;
    QStringDecoder probe(name_.toLatin1().constData());
    if (!probe.isValid())
        name_ = QString::fromLatin1(kDefaultEncoding);
    builtIn1251_ = is1251(name_) && !QStringDecoder(kDefaultEncoding).isValid();
}

QString TextCodec::decode(const QByteArray& bytes) const {
    if (builtIn1251_) {
        QString out;
        out.reserve(bytes.size());
        for (char c : bytes) {
            auto b = static_cast<unsigned char>(c);
            out.append(b < 0x80 ? QChar(b) : QChar(k1251[b - 0x80]));
        }
        return out;
    }
    QStringDecoder decoder(name_.toLatin1().constData(), QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

QString TextCodec::decode(const std::string& bytes) const {
    return decode(QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size())));
}

std::string TextCodec::encode(const QString& text) const {
    if (builtIn1251_) {
        std::string out;
        out.reserve(size_t(text.size()));
        for (qsizetype i = 0; i < text.size(); ++i) {
            char16_t u = text.at(i).unicode();
            if (u < 0x80) {
                out += char(u);
                continue;
            }
            auto it = std::find(k1251.begin(), k1251.end(), u);
            if (it == k1251.end())
                unencodable(text, i, name_);
            out += char(0x80 + (it - k1251.begin()));
        }
        return out;
    }
    // Character by character, so the first one that cannot be held is named.
    QStringEncoder encoder(name_.toLatin1().constData(), QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder.encode(text);
    if (!encoder.hasError())
        return bytes.toStdString();
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QStringEncoder one(name_.toLatin1().constData(), QStringConverter::Flag::Stateless);
        (void)one.encode(text.mid(i, length));
        if (one.hasError())
            unencodable(text, i, name_);
        i += length - 1;
    }
    unencodable(text, 0, name_);
}

std::string FeedInPartEncoding(const QByteArray& feed, const TextCodec& partCodec) {
    QString text;
    std::optional<QStringConverter::Encoding> bom = QStringConverter::encodingForData(feed);
    if (bom) {
        QStringDecoder decoder(*bom);
        text = decoder.decode(feed);
    } else {
        QString declared = DeclaredEncoding(feed);
        QStringDecoder decoder(declared.isEmpty() ? "UTF-8" : declared.toLatin1().constData(),
                               QStringConverter::Flag::Stateless);
        if (!decoder.isValid())
            decoder = QStringDecoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        text = decoder.decode(feed);
        // Feeds that claim UTF-8 but hold single-byte text are read as Latin-1.
        if (decoder.hasError())
            text = QString::fromLatin1(feed);
    }
    std::string out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QString one = text.mid(i, length);
        try {
            out += partCodec.encode(one);
        } catch (const Exception&) {
            out += "&#" + std::to_string(one.toUcs4().value(0)) + ";";
        }
        i += length - 1;
    }
    return out;
}

} // namespace wpe
