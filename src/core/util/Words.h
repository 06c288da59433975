#pragma once
// Words of a text over a set of delimiter bytes: a word is a maximal run of
// bytes that are not delimiters. Positions and word numbers are 1-based.

#include <bitset>
#include <cstddef>
#include <string>
#include <string_view>

namespace wpe {

using CharSet = std::bitset<256>;

// The set of the bytes in chars.
CharSet MakeCharSet(std::string_view chars);

// Number of words in text.
std::size_t CountWords(std::string_view text, const CharSet& delims);
// Position of the first byte of the n-th word; 0 when n is 0 or there are
// fewer than n words.
std::size_t WordStart(std::size_t n, std::string_view text, const CharSet& delims);
// The n-th word, or empty when there is none.
std::string GetWord(std::size_t n, std::string_view text, const CharSet& delims);
// text without one pair of matching outer quotes (" or '); unchanged when it
// has fewer than two bytes or its ends are not the same quote.
std::string Unquote(std::string_view text);

} // namespace wpe
