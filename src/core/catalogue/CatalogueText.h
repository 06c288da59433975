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
// The first bytes of text, upper-cased as CompareNoCase does, packed into a
// number (missing bytes as 0): where two such numbers differ, CompareNoCase
// orders the texts the same way.
std::uint64_t NoCasePrefixKey(std::string_view text, size_t bytes = 8);
// JoinCategoryPath(SplitCategoryPath(path)) into out, without the list.
void NormalizeCategoryPath(std::string_view path, std::string& out);

} // namespace wpe
