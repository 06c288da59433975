#include "catalogue/CatalogueText.h"

#include "util/FastStrings.h"

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

std::uint64_t NoCasePrefixKey(std::string_view text, size_t bytes, size_t from)
{
    const unsigned char* up = UpCaseTable();
    std::uint64_t key = 0;
    for (size_t i = from; i < from + bytes; ++i)
        key = (key << 8) | (i < text.size() ? up[static_cast<unsigned char>(text[i])] : 0u);
    return key;
}

void NormalizeCategoryPath(std::string_view path, std::string& out)
{
    out.clear();
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t slash = path.find('/', start);
        if (slash == std::string_view::npos)
            slash = path.size();
        if (slash > start) {
            if (!out.empty())
                out += '/';
            out.append(path.substr(start, slash - start));
        }
        start = slash + 1;
    }
}

} // namespace wpe
