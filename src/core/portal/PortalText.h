#pragma once
// Text helpers of the portal library: the web date format and escaping for
// script strings.

#include <chrono>
#include <string>
#include <string_view>

namespace wpe {

// The moment as an RFC 1123 date in GMT with English day and month names,
// whatever the locale: "Wed, 09 Dec 2026 04:31:03 GMT".
std::string GetInternetDateTime(std::chrono::system_clock::time_point moment);

// text (UTF-8) made safe inside a single- or double-quoted JavaScript string
// that itself sits inside an HTML script element or attribute: backslash,
// both quotes, "<", ">", "&", control characters and U+2028/U+2029 become
// escapes, so the text can neither end the string nor the script element.
std::string EncodeForJS(std::string_view text);

} // namespace wpe
