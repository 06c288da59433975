#include "portal/StaticExport.h"
#include "util/Text.h"

#include "util/Exception.h"
#include "util/Files.h"
#include "util/Paths.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace fs = std::filesystem;

namespace wpe {

namespace {

// The page's "onload?0" script as a file: a static server ignores the query.
constexpr const char* kOnloadScript =
    "(function(){if(window.portalRestoreState){window.portalRestoreState();}})();\n";

bool isSkinSource(const fs::path& file, bool topLevel)
{
    const std::string ext = AsciiLower(file.extension().string());
    if (ext == ".cso" || ext == ".xsl" || ext == ".zip")
        return true;
    return topLevel && (ext == ".html" || ext == ".htm");
}

} // namespace

std::vector<std::string> ExportStaticPortal(const TPortalBase& base, const std::string& folder,
                                            TContentCache* cache)
{
    TStartPageOptions options;
    options.skinsPath = "skins/";
    options.cache = cache;
    const std::string html = RenderStartPage(base, options);

    const fs::path target(NativePath(folder));
    std::error_code ec;
    fs::create_directories(target, ec);
    if (!fs::is_directory(target, ec))
        throw Exception("Cannot create the folder \"" + target.string() + "\"");
    std::vector<std::string> written;
    auto write = [&written](const fs::path& file, const std::string& text) {
        WriteWholeFile(file.string(), text);
        written.push_back(file.string());
    };
    write(target / "index.html", html);
    const std::string script = FindFileNoCase(base.absolutePath("PORTAL"), "portal.js");
    if (!script.empty())
        write(target / "portal.js", ReadWholeFile(script));
    write(target / "onload", kOnloadScript);

    const std::string skin = base.currentSkin();
    const fs::path skinFolder(base.absolutePath("SKINS/" + skin));
    const fs::path skinTarget = target / "skins" / skin;
    for (auto it = fs::recursive_directory_iterator(skinFolder, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        // Links are not followed: only what really lies in the skin's folder goes out.
        if (it->is_symlink(ec) || !it->is_regular_file(ec))
            continue;
        const fs::path relative = fs::relative(it->path(), skinFolder, ec);
        if (ec || isSkinSource(it->path(), it.depth() == 0))
            continue;
        fs::create_directories((skinTarget / relative).parent_path(), ec);
        write(skinTarget / relative, ReadWholeFile(it->path().string()));
    }
    if (ec)
        throw Exception("Cannot read the skin folder \"" + skinFolder.string() + "\": " + ec.message());
    return written;
}

} // namespace wpe
