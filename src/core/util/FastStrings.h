#pragma once
// Fast search and replace over byte strings: the hot path of the tag parser.
// Positions are 1-based; 0 means "not found".

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace wpe {

// The upper-case form of a byte. The table follows Windows-1251, the code
// page the system's files declare: ASCII a-z, Cyrillic 0xE0-0xFF to
// 0xC0-0xDF, and the other 1251 letters (e.g. 0xB8 to 0xA8, 0xB3 to 0xB2,
// 0x9A to 0x8A). Every other byte maps to itself. Fixed for the process.
unsigned char UpCase(unsigned char c);
// The same as a table of 256 bytes, for loops over many bytes.
const unsigned char* UpCaseTable();

// Position of pattern in text, or 0. An empty pattern or one longer than the
// text gives 0.
// Forward: the first match that begins at or after start (start >= 1; 0 is
// read as 1); the answer is the Boyer-Moore-Horspool search's, found faster.
// Backward: the rightmost match that begins at or before start; a start of 0,
// or one too close to the end for a match, means "from the end".
// Without case, bytes are compared through UpCase.
std::size_t FindPos(std::string_view pattern, std::string_view text, bool caseSensitive, bool forward,
                    std::size_t start);

// Every position FindPos forward finds when started at 1 and then one past
// each match (so overlapping matches count), in ascending order.
std::vector<std::size_t> FindAllPos(std::string_view pattern, std::string_view text, bool caseSensitive);

// text with every occurrence of find replaced, searched left to right; the
// occurrences never overlap and the inserted text is not searched again.
// An empty text gives an empty result; an empty find returns text unchanged.
std::string ReplaceAll(std::string_view text, std::string_view find, std::string_view replacement,
                       bool caseSensitive);

} // namespace wpe
