#pragma once
// Raising the system's general error (wpe::Exception) by error code.

#include <string>
#include <string_view>

namespace wpe {

// Error codes with a raising site or a caller in this program. The rest of
// the table (ErrorMessages.h) is reachable by number.
inline constexpr int kErrInit = 1;               // "Init error! %s"
inline constexpr int kErrParserNotInitialized = 2;
inline constexpr int kErrFileNotFound = 5;       // "File \"%s\" not found"
inline constexpr int kErrInvalidUrl = 6;
inline constexpr int kErrCantLoad = 7;
inline constexpr int kErrOpenFile = 8;
inline constexpr int kErrCreate = 15;            // "Unable to create \"%s\""
inline constexpr int kErrUnknownAddress = 16;    // "Unknown address \"%s\""
inline constexpr int kErrDuplicateId = 20;
inline constexpr int kErrWebPartName = 21;
inline constexpr int kErrElementNotFound = 22;
inline constexpr int kErrHtmlParsing = 24;       // "HTML parsing error!"
inline constexpr int kErrElementInFile = 25;
inline constexpr int kErrTagNotClosed = 26;      // "Tag \"%s\" is not closed"
inline constexpr int kErrUnclosedString = 27;
inline constexpr int kErrWebPartNotFound = 29;
inline constexpr int kErrEmptyTag = 39;
inline constexpr int kErrFileLocked = 41;        // "File I/O error. File %s is locked"
inline constexpr int kErrReadFile = 42;          // "Read file %s error"

// The message of a code with its first "%s" replaced by arg ("%%" reads as
// "%"). Placeholders beyond the first stay as they are.
std::string FormatErrorMessage(int code, std::string_view arg);

// Throws Exception with the code's text, unformatted. Never returns.
[[noreturn]] void RaiseError(int code);
// Throws Exception with the code's text formatted with one argument.
[[noreturn]] void RaiseErrorFmt(int code, std::string_view arg);
// The same with a single character as the argument.
[[noreturn]] void RaiseErrorFmt(int code, char arg);

} // namespace wpe
