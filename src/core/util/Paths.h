#pragma once
// File-name and path helpers. Every helper takes native and Windows-style
// paths alike: both "/" and "\" are folder delimiters on every platform, and
// a colon right after a leading drive letter ("C:") ends the folder part.
// A colon anywhere else is an ordinary character of a name.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace wpe {

#ifdef _WIN32
inline constexpr char kPathDelim = '\\';
#else
inline constexpr char kPathDelim = '/';
#endif

// True for "/" and "\".
bool IsPathDelimiter(char c);

// path ending in a folder delimiter: unchanged when it already ends with "/"
// or "\", else with the native delimiter appended. Empty stays empty.
std::string WithTrailingBackslash(std::string_view path);
// path without one trailing "/" or "\" (one character only).
std::string WithoutTrailingDelimiter(std::string_view path);

// The folder part: everything up to and including the last delimiter (or the
// drive colon). Empty when the path has none.
std::string ExtractFilePath(std::string_view path);
// The file name part: what follows the folder part.
std::string ExtractFileName(std::string_view path);
// The extension of the file name part from its last full stop on, the full
// stop included; empty when the name has none.
std::string ExtractFileExt(std::string_view path);
// path with its extension replaced by ext (which carries its full stop, or is
// empty to drop the extension).
std::string ChangeFileExt(std::string_view path, std::string_view ext);
// The file name part without its extension: "C:\a\b.c.xml" gives "b.c",
// ".xml" gives "".
std::string NameWithoutExt(std::string_view path);
// Name of the folder that holds the file: "C:\portal\skins\blue\skin.cso"
// gives "blue", "C:\x.cso" gives "" (at most 260 characters).
std::string ParentFolderName(std::string_view path);

// name fit to be a file name: within its first 260 characters, control
// characters and each of < > : " / \ | ' become replacement; characters after
// the 260th are dropped. "*" and "?" stay.
std::string SafeFileName(std::string_view name, std::string_view replacement);
// True if text equals an element of list: byte for byte, or with ASCII
// letters compared without case.
bool InList(std::string_view text, const std::vector<std::string>& list, bool caseSensitive);
// path with every "\" and "/" turned into c.
std::string UnifyDelimiters(char c, std::string_view path);
// path with every "\" and "/" turned into the native delimiter.
std::string NativePath(std::string_view path);

// reference without a leading scheme of at least three characters and its
// "://" (and one more "/" after it, so "file:///C:/x" gives "C:/x");
// otherwise unchanged ("ab://c" stays).
std::string StripScheme(std::string_view reference);
// The path of an existing local file that reference names: the base folder
// plus the reference when that file exists, else the reference itself when it
// exists, else "". The result uses native delimiters.
std::string ResolveLocalFile(std::string_view reference, std::string_view baseFolder);

// path shortened for display by replacing leading folders with "...": it comes
// back unchanged when measure(path) <= maxWidth, and at worst as the file name
// part alone. measure gives a text's width (e.g. in pixels).
std::string ShortenPath(std::string_view path, int maxWidth, const std::function<int(const std::string&)>& measure);

} // namespace wpe
