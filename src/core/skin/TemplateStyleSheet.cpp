#include "skin/TemplateStyleSheet.h"

#include "skin/TagParser.h"
#include "util/FastStrings.h"
#include "util/Paths.h"

namespace wpe {
namespace {

// Equal without case (through the code page's UpCase).
bool equalNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && (a.empty() || FindPos(b, a, false, true, 1) == 1);
}

} // namespace

std::string FindTemplateStyleSheet(const std::string& htmlPath)
{
    TTagParser parser = TTagParser::CreateFromFile(htmlPath);
    parser.SetIgnoreCase(true);
    std::string folder = ExtractFilePath(htmlPath);
    while (parser.Find("link")) {
        if (!equalNoCase(parser.GetAttribute("rel"), "stylesheet"))
            continue;
        std::string css = ResolveLocalFile(parser.GetAttribute("href"), folder);
        if (!css.empty())
            return css;
    }
    return {};
}

} // namespace wpe
