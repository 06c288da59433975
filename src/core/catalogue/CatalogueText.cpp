#include "catalogue/CatalogueText.h"

namespace wpe {

std::vector<std::string> SplitCategoryPath(std::string_view path)
{
    return SplitNonEmpty(path, '/');
}

std::string JoinCategoryPath(const std::vector<std::string>& names)
{
    std::string out;
    for (size_t i = 0; i < names.size(); ++i) {
        if (i > 0)
            out += '/';
        out += names[i];
    }
    return out;
}

} // namespace wpe
