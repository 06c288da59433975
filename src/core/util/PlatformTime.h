#pragma once
// Calendar conversions whose thread-safe forms differ between POSIX systems
// and Windows.

#include <ctime>
#include <string>

namespace wpe::platform {

// The moment in local time; false when the system cannot convert it.
bool LocalTime(std::time_t moment, std::tm& out);
// The moment in UTC; false when the system cannot convert it.
bool UtcTime(std::time_t moment, std::tm& out);
// The local time formatted by strftime in the user's own locale (not the
// program's), falling back to the C locale.
std::string FormatInUserLocale(const char* format, const std::tm& time);

} // namespace wpe::platform
