#include "shell/SkinTemplate.h"

#include "skin/TagParser.h"
#include "util/Paths.h"

namespace wpe {
namespace {

bool EqualsNoCase(const std::string& a, const char* b)
{
    std::size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (x != y)
            return false;
    }
    return i == a.size() && !b[i];
}

} // namespace

std::string FindTemplateStyleSheet(const std::string& htmlPath)
{
    TTagParser parser = TTagParser::CreateFromFile(htmlPath);
    parser.SetIgnoreCase(true);
    std::string folder = ExtractFilePath(htmlPath);
    while (parser.Find("link")) {
        if (!EqualsNoCase(parser.GetAttribute("rel"), "stylesheet"))
            continue;
        std::string css = ResolveLocalFile(parser.GetAttribute("href"), folder);
        if (!css.empty())
            return css;
    }
    return {};
}

} // namespace wpe
