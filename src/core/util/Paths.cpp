#include "util/Paths.h"
#include "util/Text.h"

#include "util/Files.h"

namespace wpe {

namespace {

constexpr std::size_t kMaxPath = 260;

bool isAsciiLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool hasDrive(std::string_view path)
{
    return path.size() >= 2 && path[1] == ':' && isAsciiLetter(path[0]);
}

// Length of the folder part: up to and including the last delimiter, or the
// drive colon when there is no delimiter after it.
std::size_t folderPartLength(std::string_view path)
{
    for (std::size_t i = path.size(); i > 0; --i)
        if (IsPathDelimiter(path[i - 1]))
            return i;
    return hasDrive(path) ? 2 : 0;
}

std::size_t lastDelimiter(std::string_view s)
{
    for (std::size_t i = s.size(); i > 0; --i)
        if (IsPathDelimiter(s[i - 1]))
            return i - 1;
    return std::string_view::npos;
}

std::size_t firstDelimiter(std::string_view s)
{
    for (std::size_t i = 0; i < s.size(); ++i)
        if (IsPathDelimiter(s[i]))
            return i;
    return std::string_view::npos;
}

} // namespace

bool IsPathDelimiter(char c)
{
    return c == '/' || c == '\\';
}

std::string WithTrailingBackslash(std::string_view path)
{
    if (path.empty() || IsPathDelimiter(path.back()))
        return std::string(path);
    std::string result(path);
    result += kPathDelim;
    return result;
}

std::string WithoutTrailingDelimiter(std::string_view path)
{
    if (!path.empty() && IsPathDelimiter(path.back()))
        path.remove_suffix(1);
    return std::string(path);
}

std::string ExtractFilePath(std::string_view path)
{
    return std::string(path.substr(0, folderPartLength(path)));
}

std::string ExtractFileName(std::string_view path)
{
    return std::string(path.substr(folderPartLength(path)));
}

std::string ExtractFileExt(std::string_view path)
{
    const std::string_view name = path.substr(folderPartLength(path));
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
}

std::string ChangeFileExt(std::string_view path, std::string_view ext)
{
    const std::size_t folderLength = folderPartLength(path);
    const std::size_t dot = path.substr(folderLength).rfind('.');
    std::string result(dot == std::string_view::npos ? path : path.substr(0, folderLength + dot));
    result += ext;
    return result;
}

std::string NameWithoutExt(std::string_view path)
{
    const std::string_view name = path.substr(folderPartLength(path));
    return std::string(name.substr(0, name.rfind('.')));
}

std::string ParentFolderName(std::string_view path)
{
    std::string_view folder = path.substr(0, folderPartLength(path));
    if (!folder.empty() && IsPathDelimiter(folder.back()))
        folder.remove_suffix(1);
    const std::size_t delim = lastDelimiter(folder);
    if (delim == std::string_view::npos)
        return {};
    return std::string(folder.substr(delim + 1, kMaxPath));
}

std::string SafeFileName(std::string_view name, std::string_view replacement)
{
    static constexpr std::string_view kUnsafe = "<>:\"/\\|'";
    std::string result;
    result.reserve(name.size());
    for (char c : name.substr(0, kMaxPath)) {
        if (static_cast<unsigned char>(c) < 32 || kUnsafe.find(c) != std::string_view::npos)
            result += replacement;
        else
            result += c;
    }
    return result;
}

bool InList(std::string_view text, const std::vector<std::string>& list, bool caseSensitive)
{
    for (const std::string& item : list) {
        if (item.size() != text.size())
            continue;
        if (caseSensitive) {
            if (item == text)
                return true;
            continue;
        }
        if (SameAsciiCaseless(item, text))
            return true;
    }
    return false;
}

std::string UnifyDelimiters(char c, std::string_view path)
{
    std::string result(path);
    for (char& ch : result)
        if (IsPathDelimiter(ch))
            ch = c;
    return result;
}

std::string NativePath(std::string_view path)
{
    return UnifyDelimiters(kPathDelim, path);
}

std::string StripScheme(std::string_view reference)
{
    const std::size_t mark = reference.find("://");
    if (mark == std::string_view::npos || mark < 3)
        return std::string(reference);
    std::string_view rest = reference.substr(mark + 3);
    // "file:///C:/x" names C:/x; "file:///home/x" names the absolute /home/x,
    // so the third slash goes only when a drive letter follows it.
    if (rest.size() >= 3 && rest[0] == '/' && hasDrive(rest.substr(1)))
        rest.remove_prefix(1);
    return std::string(rest);
}

std::string ResolveLocalFile(std::string_view reference, std::string_view baseFolder)
{
    const std::string r = NativePath(StripScheme(reference));
    if (r.empty())
        return {};
    const std::string b = WithTrailingBackslash(NativePath(baseFolder));
    if (!b.empty() && FileExists(b + r))
        return b + r;
    if (FileExists(r))
        return r;
    return {};
}

std::string ShortenPath(std::string_view path, int maxWidth, const std::function<int(const std::string&)>& measure)
{
    const std::size_t folderLength = folderPartLength(path);
    const std::string_view folderPart = path.substr(0, folderLength);
    std::string drive = hasDrive(folderPart) ? std::string(folderPart.substr(0, 2)) : std::string();
    std::string folder(folderPart.substr(drive.size()));
    const std::string name(path.substr(folderLength));

    // The ellipsis uses the delimiter the path itself uses.
    const std::size_t firstDelim = firstDelimiter(folder);
    const char delim = firstDelim == std::string::npos ? kPathDelim : folder[firstDelim];
    const std::string ellipsis = std::string("...") + delim;

    auto isEllipsisFolder = [&](const std::string& f) {
        return f.size() == 5 && IsPathDelimiter(f[0]) && f.compare(1, 3, "...") == 0 && IsPathDelimiter(f[4]);
    };

    std::string result(path);
    while ((!drive.empty() || !folder.empty()) && measure(result) > maxWidth) {
        if (isEllipsisFolder(folder)) {
            drive.clear();
            folder = ellipsis;
        } else if (!folder.empty()) {
            if (folder.size() == 1 && IsPathDelimiter(folder[0])) {
                folder.clear();
            } else {
                std::string lead;
                if (IsPathDelimiter(folder[0])) {
                    lead = folder.substr(0, 1);
                    folder.erase(0, 1);
                }
                // Only the ellipsis of an earlier cut is dropped here, never
                // the start of a folder whose name begins with a full stop.
                if (folder.size() >= 4 && folder.compare(0, 3, "...") == 0 && IsPathDelimiter(folder[3]))
                    folder.erase(0, 4);
                const std::size_t next = firstDelimiter(folder);
                folder = next == std::string::npos ? std::string() : ellipsis + folder.substr(next + 1);
                folder = lead + folder;
            }
        } else {
            drive.clear();
        }
        result = drive + folder + name;
    }
    return result;
}

} // namespace wpe
