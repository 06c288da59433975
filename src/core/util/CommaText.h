#pragma once
// Lists that travel as one text: the names the portal base library returns,
// one per line, quoted where a name holds a separator.

#include <string>
#include <string_view>
#include <vector>

namespace wpe {

// Splits comma text: a comma, a blank or any control byte (NUL too) separates entries;
// a double quote opens an entry that runs to the next lone double quote, with
// "" inside standing for one quote. Blanks around entries are skipped. Two
// commas in a row give an empty entry between them, and so does a comma at
// the very end. An empty or all-blank text gives no entries.
std::vector<std::string> SplitCommaText(std::string_view text);

// Splits at line breaks only (CR LF, LF or CR); blanks and quotes stay in the
// entries. A final line break does not add an empty entry.
std::vector<std::string> SplitLines(std::string_view text);

} // namespace wpe
