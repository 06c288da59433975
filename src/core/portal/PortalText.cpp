#include "portal/PortalText.h"
#include "util/PlatformTime.h"

#include <cstdio>
#include <ctime>

namespace wpe {

std::string GetInternetDateTime(std::chrono::system_clock::time_point moment)
{
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    // Floor to whole seconds so moments before 1970 do not round up a second.
    const auto seconds = std::chrono::floor<std::chrono::seconds>(moment.time_since_epoch());
    const std::time_t t = static_cast<std::time_t>(seconds.count());
    std::tm tm{};
    if (!platform::UtcTime(t, tm))
        return {};
    // Names come from our own tables: strftime would follow the user's locale.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s, %02d %s %04d %02d:%02d:%02d GMT", kDays[tm.tm_wday], tm.tm_mday,
                  kMonths[tm.tm_mon], tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buffer;
}

std::string EncodeForJS(std::string_view text)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    auto unicodeEscape = [&out](unsigned code) {
        out += "\\u";
        for (int shift = 12; shift >= 0; shift -= 4)
            out += kHex[(code >> shift) & 0xF];
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\'': out += "\\'"; break;
        case '"': out += "\\\""; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        // "</script>" and "<!--" must not appear literally inside a script element;
        // "&" matters when the string sits in an attribute.
        case '<':
        case '>':
        case '&': unicodeEscape(c); break;
        default:
            if (c < 0x20 || c == 0x7F) {
                unicodeEscape(c);
            } else if (c == 0xE2 && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x80 &&
                       (static_cast<unsigned char>(text[i + 2]) == 0xA8 ||
                        static_cast<unsigned char>(text[i + 2]) == 0xA9)) {
                // LINE SEPARATOR and PARAGRAPH SEPARATOR end a line in older script engines.
                unicodeEscape(static_cast<unsigned char>(text[i + 2]) == 0xA8 ? 0x2028 : 0x2029);
                i += 2;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out;
}

} // namespace wpe
