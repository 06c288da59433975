#include "portal/ServedFiles.h"
#include "util/Text.h"

#include "util/Files.h"
#include "util/Paths.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <vector>

namespace fs = std::filesystem;

namespace wpe {

namespace {

std::string lower(std::string_view text)
{
    return AsciiLower(text);
}

TServedFile refuse(std::string reason)
{
    return {TServedKind::Forbidden, {}, std::move(reason)};
}

bool isInside(const fs::path& child, const fs::path& folder)
{
    auto c = child.begin();
    for (auto f = folder.begin(); f != folder.end(); ++f, ++c) {
        if (f->empty())
            continue;  // a trailing separator
        if (c == child.end() || *c != *f)
            return false;
    }
    return true;
}

} // namespace

TServedFile ResolveServedFile(const std::string& portalRoot, std::string_view requestPath)
{
    if (requestPath.empty() || requestPath.front() != '/')
        return refuse("the path does not start with '/'");
    std::vector<std::string> steps;
    std::size_t start = 1;
    while (start <= requestPath.size()) {
        std::size_t end = requestPath.find('/', start);
        if (end == std::string_view::npos)
            end = requestPath.size();
        std::string step(requestPath.substr(start, end - start));
        start = end + 1;
        if (step.empty()) {
            // "//x" would read as a network or absolute path on some systems.
            if (end != requestPath.size())
                return refuse("empty step in the path");
            continue;
        }
        if (step == "." || step == "..")
            return refuse("'" + step + "' in the path");
        if (step.front() == '.')
            return refuse("hidden name in the path");
        for (unsigned char c : step)
            if (c < 0x20 || c == 0x7f || c == '\\' || c == ':')
                return refuse("forbidden character in the path");
        steps.push_back(std::move(step));
    }
    if (steps.empty())
        return {TServedKind::NotFound, {}, "no file named"};

    std::string folder = WithTrailingBackslash(NativePath(portalRoot));
    std::size_t first = 0;
    if (steps.size() > 1 && lower(steps[0]) == "skins") {
        folder += "SKINS";
        first = 1;
    } else {
        folder += "PORTAL";
    }
    std::error_code ec;
    const fs::path base = fs::canonical(fs::path(folder), ec);
    if (ec)
        return {TServedKind::NotFound, {}, "the folder is missing"};
    fs::path target = base;
    for (std::size_t i = first; i < steps.size(); ++i)
        target /= steps[i];
    // Links are followed, and whatever they lead to must still be inside.
    const fs::path real = fs::canonical(target, ec);
    if (ec)
        return {TServedKind::NotFound, {}, "no such file"};
    if (!isInside(real, base))
        return refuse("the file lies outside the served folder");
    if (!fs::is_regular_file(real, ec))
        return {TServedKind::NotFound, {}, "not a file"};
    if (lower(real.filename().string()).ends_with(".lock"))
        return refuse("the server's lock");
    return {TServedKind::File, real.string(), {}};
}

std::string MediaTypeOf(std::string_view fileName)
{
    static const std::pair<const char*, const char*> kTypes[] = {
        {".html", "text/html; charset=utf-8"}, {".htm", "text/html; charset=utf-8"},
        {".css", "text/css"},                  {".js", "application/javascript"},
        {".svg", "image/svg+xml"},             {".png", "image/png"},
        {".gif", "image/gif"},                 {".jpg", "image/jpeg"},
        {".jpeg", "image/jpeg"},               {".ico", "image/x-icon"},
        {".webp", "image/webp"},               {".xml", "text/xml"},
        {".xsl", "text/xml"},                  {".txt", "text/plain; charset=utf-8"},
        {".json", "application/json"},        {".woff", "font/woff"},
        {".woff2", "font/woff2"},              {".rss", "application/rss+xml"},
    };
    const std::string ext = lower(ExtractFileExt(fileName));
    for (const auto& [suffix, type] : kTypes)
        if (ext == suffix)
            return type;
    return "application/octet-stream";
}

} // namespace wpe
