#pragma once
// Text helpers over single-byte strings, the one place for case folding,
// trimming and splitting. Bytes are the files' own (Windows-1251 by default);
// nothing here converts encodings.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace wpe {

// ---- ASCII case: only a-z and A-Z fold, every other byte is itself ---------

char AsciiUpperChar(char c);
char AsciiLowerChar(char c);
// The text with a-z folded to A-Z.
std::string AsciiUpper(std::string_view s);
// The text with A-Z folded to a-z.
std::string AsciiLower(std::string_view s);
// Equal after folding only a-z to A-Z; every other byte must match exactly.
bool SameAsciiCaseless(std::string_view a, std::string_view b);
// True when text starts with prefix, ASCII-caseless.
bool StartsAsciiCaseless(std::string_view text, std::string_view prefix);
// Position (1-based) of pattern in text, ASCII-caseless, or 0.
std::size_t FindAsciiCaseless(std::string_view pattern, std::string_view text);
// Byte-wise order after folding A-Z to a-z (so "_" sorts before letters).
bool LessAsciiLowerCaseless(std::string_view a, std::string_view b);

// ---- Code page case: Latin and Cyrillic letters fold as UpCase does ---------

// The text upper-cased as the Windows-1251 code page does it; the key for
// "without case" comparisons.
std::string AnsiUpper(std::string_view s);
// Locale-style comparison without case: <0, 0, >0.
int CompareNoCase(std::string_view a, std::string_view b);
bool SameNoCase(std::string_view a, std::string_view b);
// Locale-style comparison with case: letters order without case first and a
// lower-case letter comes before its upper-case form, as desktop sorting does.
int CompareWithCase(std::string_view a, std::string_view b);

// ---- Trimming -----------------------------------------------------------------

// s without leading and trailing bytes of 0x20 and below (blanks and
// control characters).
std::string_view TrimBlanks(std::string_view s);
// s without trailing bytes of 0x20 and below.
std::string_view TrimBlanksRight(std::string_view s);
// s without leading and trailing bytes that are in chars.
std::string_view TrimChars(std::string_view s, std::string_view chars);

// ---- Splitting ----------------------------------------------------------------

// The parts of text between delim bytes, empty ones dropped: "/a//b/" at "/"
// gives a, b.
std::vector<std::string> SplitNonEmpty(std::string_view text, char delim);
// Every part of text between delim bytes, empty ones kept: "a||b" gives a,
// "", b; an empty text gives one empty part.
std::vector<std::string_view> SplitAll(std::string_view text, char delim);

} // namespace wpe
