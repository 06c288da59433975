#include "skin/TemplateStyleSheet.h"

#include "skin/TagParser.h"
#include "util/Paths.h"
#include "util/Text.h"

namespace wpe {

std::string FindTemplateStyleSheet(const std::string& htmlPath)
{
    TTagParser parser = TTagParser::CreateFromFile(htmlPath);
    parser.SetIgnoreCase(true);
    std::string folder = ExtractFilePath(htmlPath);
    while (parser.Find("link")) {
        if (!SameAsciiCaseless(parser.GetAttribute("rel"), "stylesheet"))
            continue;
        std::string css = ResolveLocalFile(parser.GetAttribute("href"), folder);
        if (!css.empty())
            return css;
    }
    return {};
}

} // namespace wpe
