#include "util/PlatformTime.h"

#include <clocale>

#ifndef _WIN32
#include <locale.h>
#endif

namespace wpe::platform {

#ifdef _WIN32

bool LocalTime(std::time_t moment, std::tm& out) { return ::localtime_s(&out, &moment) == 0; }

bool UtcTime(std::time_t moment, std::tm& out) { return ::gmtime_s(&out, &moment) == 0; }

std::string FormatInUserLocale(const char* format, const std::tm& time)
{
    char buf[128] = {};
    _locale_t loc = ::_create_locale(LC_TIME, "");
    if (!loc)
        loc = ::_create_locale(LC_TIME, "C");
    const std::size_t n = loc ? ::_strftime_l(buf, sizeof buf, format, &time, loc)
                              : std::strftime(buf, sizeof buf, format, &time);
    if (loc)
        ::_free_locale(loc);
    return std::string(buf, n);
}

#else

bool LocalTime(std::time_t moment, std::tm& out) { return ::localtime_r(&moment, &out) != nullptr; }

bool UtcTime(std::time_t moment, std::tm& out) { return ::gmtime_r(&moment, &out) != nullptr; }

std::string FormatInUserLocale(const char* format, const std::tm& time)
{
    char buf[128] = {};
    locale_t loc = ::newlocale(LC_TIME_MASK, "", static_cast<locale_t>(0));
    if (!loc)
        loc = ::newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(0));
    const std::size_t n = loc ? ::strftime_l(buf, sizeof buf, format, &time, loc)
                              : std::strftime(buf, sizeof buf, format, &time);
    if (loc)
        ::freelocale(loc);
    return std::string(buf, n);
}

#endif

} // namespace wpe::platform
