#pragma once
// HTML cleaning over libtidy: a skin template (HTML as a designer wrote it)
// becomes well-formed XHTML for the skin generator, and a generated
// stylesheet (XML) comes back tidied, with its errors counted.
//
// Each conversion replaces the held result: its error count and messages are
// what TidyErrorCount and TidyErrorText report until the next conversion. A
// conversion that fails before Tidy ran (an unreadable input file) raises and
// leaves the previous count and messages as they were. Errors found in the
// document are not failures: they are counted and listed.
//
// The output keeps the input's encoding: the bytes of the text pass through
// unchanged (UTF-8 and UTF-16 inputs are read as such, every other encoding
// byte for byte), and named character references become numeric ones, so the
// result needs no DTD to be well-formed and no byte changes its meaning.
//
// Module state, for the interface thread only (not protected).

#include <string>
#include <string_view>
#include <vector>

namespace wpe {

enum class TidyMode {
    // HTML in, XHTML out: lower-case names, every element closed, attribute
    // values quoted, an html element with a body child; no document type.
    HtmlToXhtml = 0,
    // XML in (names kept as written), indented XML out; ill-formed input is
    // reported as errors.
    Xml = 1,
};

// A message that Tidy reports with error level or worse, as shown to users:
// "<input file>: line L column C - Error: <text>".
struct TidyErrorMessage {
    int line = 0;
    int column = 0;
    std::string text;
};

// The outcome of one conversion.
struct TidyResult {
    std::string output;                 // empty when Tidy refused to write any
    std::vector<TidyErrorMessage> errors;    // in Tidy's order
};

// How the user asked a converted template to be laid out ("Make XHTML
// compatible"): indent mode 0 none, 1 blocks, 2 auto; wrap column and
// indent spacing, each 1 to 999.
struct TTidyFormat {
    int indent = 2;
    int wrapAt = 80;
    int spacing = 2;
    friend bool operator==(const TTidyFormat&, const TTidyFormat&) = default;
};

// Converts text (the content of file, named in messages) without touching
// the module state. Never raises for bad markup. With a format, the output
// is indented and wrapped as it says instead of the fixed layout.
TidyResult TidyText(std::string_view text, TidyMode mode, std::string_view fileName = {},
                    const TTidyFormat* format = nullptr);

// Converts the input file and writes the output file atomically. When Tidy
// found the document too broken to write (errors counted), the output file
// is left as it was. An unreadable input raises the file error.
void TidyFileToFile(const std::string& input, const std::string& output, TidyMode mode);
// The same, returning the output text ("" when Tidy wrote none).
std::string TidyFileToText(const std::string& input, TidyMode mode);
// The number of errors the last conversion reported.
int TidyErrorCount();
// The messages of the last conversion, each followed by CR LF; "" when none.
std::string TidyErrorText();

// Tidy is linked in, so there is nothing to register; always true.
bool RegisterTidyLibrary();

// The encoding a document declares: a byte-order mark, the XML declaration's
// encoding, or an HTML meta charset (within the first 8 KB), in that order;
// the name as written, upper-cased ("UTF-8", "WINDOWS-1251"), or "" when none.
std::string DeclaredEncoding(std::string_view text);

// Each named character reference of HTML ("&nbsp;") in text, outside the
// five of XML, replaced by its numeric form ("&#160;"). Unknown names stay.
std::string NumericCharacterReferences(std::string_view text);

} // namespace wpe
