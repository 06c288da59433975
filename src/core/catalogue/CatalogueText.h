#pragma once
// Text comparisons and category path helpers of the catalogue. Texts are
// single-byte (Windows-1251) strings exactly as the files hold them.

#include <string>
#include <string_view>
#include <vector>

namespace wpe {

// Equal after folding only a-z to A-Z; every other byte must match exactly.
bool SameAsciiCaseless(std::string_view a, std::string_view b);
// The text with a-z folded to A-Z.
std::string AsciiUpper(std::string_view s);
// True when text starts with prefix, ASCII-caseless.
bool StartsAsciiCaseless(std::string_view text, std::string_view prefix);
// Position (1-based) of pattern in text, ASCII-caseless, or 0.
size_t FindAsciiCaseless(std::string_view pattern, std::string_view text);

// The text upper-cased as the Windows-1251 code page does it (Latin and
// Cyrillic letters); the key for "without case" comparisons.
std::string AnsiUpper(std::string_view s);
// Locale-style comparison without case: <0, 0, >0.
int CompareNoCase(std::string_view a, std::string_view b);
bool SameNoCase(std::string_view a, std::string_view b);
// Locale-style comparison with case: letters order without case first and a
// lower-case letter comes before its upper-case form, as desktop sorting does.
int CompareWithCase(std::string_view a, std::string_view b);

// The category names of a path text: split at "/", empty names dropped,
// so "/News//Local/" gives News, Local.
std::vector<std::string> SplitCategoryPath(std::string_view path);
// Names joined with "/".
std::string JoinCategoryPath(const std::vector<std::string>& names);

} // namespace wpe
