#pragma once
// Category path helpers of the catalogue. The text comparisons the catalogue
// uses (ASCII-caseless, code page caseless) are the shared ones of
// util/Text.h.

#include "util/Text.h"

#include <string>
#include <string_view>
#include <vector>

namespace wpe {

// The category names of a path text: split at "/", empty names dropped,
// so "/News//Local/" gives News, Local.
std::vector<std::string> SplitCategoryPath(std::string_view path);
// Names joined with "/".
std::string JoinCategoryPath(const std::vector<std::string>& names);
// JoinCategoryPath(SplitCategoryPath(path)) into out, without the list.
void NormalizeCategoryPath(std::string_view path, std::string& out);

} // namespace wpe
