#pragma once
// Category path helpers of the catalogue. The text comparisons the catalogue
// uses (ASCII-caseless, code page caseless) are the shared ones of
// util/Text.h.

#include "util/Text.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wpe {

// The category names of a path text: split at "/", empty names dropped,
// so "/News//Local/" gives News, Local.
std::vector<std::string> SplitCategoryPath(std::string_view path);
// Names joined with "/".
std::string JoinCategoryPath(const std::vector<std::string>& names);
// Bytes of text from `from` on (at most 8), upper-cased as CompareNoCase
// does, packed into a number, missing bytes as 0. Where the numbers of the
// same bytes of two texts differ, and the bytes before are equal,
// CompareNoCase orders the texts the same way.
std::uint64_t NoCasePrefixKey(std::string_view text, size_t bytes = 8, size_t from = 0);
// JoinCategoryPath(SplitCategoryPath(path)) into out, without the list.
void NormalizeCategoryPath(std::string_view path, std::string& out);

} // namespace wpe
