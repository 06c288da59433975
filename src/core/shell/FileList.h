#pragma once
// The rules of the file pane's file list: which files a filter lists, the
// texts of a row, the description reader that gives the "Title" column, and
// the order of the rows when a column is sorted.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace wpe {

// The four filter entries, in menu order.
enum class TFileFilter { WebParts = 0, Skins = 1, AllTolvinex = 2, AllFiles = 3 };
inline constexpr std::size_t kFileFilterCount = 4;

// The masks of a filter, in search order.
const std::vector<std::string>& FileMasks(TFileFilter filter);
// The first checked entry decides; none checked gives "All Tolvinex Files",
// the default.
TFileFilter FirstCheckedFilter(const std::array<bool, kFileFilterCount>& checked);

// True when name matches mask, whose '*' stands for any run of characters
// and '?' for one; ASCII letters match without case. "*.*" matches every
// name, also one without a full stop.
bool MatchesMask(std::string_view name, std::string_view mask);

// The "Size" column: whole kilobytes and " KB"; 1 to 1023 bytes count as a
// full kilobyte, larger sizes are cut down ("1500" bytes show "1 KB").
std::string FileSizeText(std::uint64_t bytes);
// The number in front of "K" in a size text, blanks trimmed; 0 when that is
// not a number.
std::uint64_t SizeTextValue(std::string_view text);

// True for names ending in ".xml", ".dwp" or ".cwp" exactly (lower case):
// only those get a description.
bool HasDescriptionExt(std::string_view fileName);

struct TDescription {
    std::string text;      // entities of the five predefined kinds decoded, ends trimmed
    std::string encoding;  // from the XML declaration; empty when none
};
// The description reader: scans the XML from the start and stops at the first
// text (a CDATA section does not count) directly inside an element named
// "description" in any letter case. Empty for a file that cannot be read,
// is not XML or has none; never raises. Only the part of the file before the
// description is read.
TDescription ReadDescription(const std::string& path);
TDescription ReadDescriptionFromText(std::string_view xml);

// One row of the list. Texts are as shown (UTF-8).
struct TFileRow {
    std::string name;
    std::string path;
    std::string title;
    std::string sizeText;
};

// Turns a description into the shown title (the program decodes it from the
// file's encoding); the default keeps the bytes.
using TTitleDecoder = std::function<std::string(const TDescription&)>;

// The rows of folder's files for the masks: each mask in order, so a file
// matching two masks is listed twice; folders are skipped. progress gets
// every listed file's full path. A folder that cannot be listed gives none.
std::vector<TFileRow> ListFileRows(const std::string& folder, const std::vector<std::string>& masks,
                                   const std::function<void(const std::string&)>& progress = {},
                                   const TTitleDecoder& decodeTitle = {});

// Comparison of shown texts without case, as a user expects of a sorted
// list: letters of Latin, Greek and Cyrillic fold to one case; UTF-8 is
// compared by character. <0, 0, >0.
int CompareTextNoCase(std::string_view a, std::string_view b);

// The sort state: column 0 ("Name"), 1 ("Title") or 2 ("Size") and the
// direction. A click on the sort column's header flips the direction; a click
// on another column sorts by it ascending.
struct TFileSort {
    int column = 0;
    bool ascending = true;
    void ClickHeader(int clicked);
};
// a against b for the column, ascending: name and title without case, size by
// its number. <0, 0, >0.
int CompareFileRows(const TFileRow& a, const TFileRow& b, int column);
// Sorts rows stably by the state; descending reverses the comparison.
void SortFileRows(std::vector<TFileRow>& rows, const TFileSort& sort);

} // namespace wpe
