// Dates for web parts and text for script strings.

#include "portal/ErrorHandler.h"
#include "portal/PortalText.h"
#include "util/Exception.h"

#include <gtest/gtest.h>

#include <clocale>
#include <iostream>
#include <thread>

using namespace wpe;

namespace {

std::chrono::system_clock::time_point at(long long secondsSinceEpoch)
{
    return std::chrono::system_clock::time_point(std::chrono::seconds(secondsSinceEpoch));
}

} // namespace

TEST(PortalTextTest, InternetDatesAreRfc1123InGmt)
{
    const std::vector<std::pair<long long, const char*>> rows = {
        {1796790663, "Wed, 09 Dec 2026 04:31:03 GMT"},
        {0, "Thu, 01 Jan 1970 00:00:00 GMT"},
        {951782400, "Tue, 29 Feb 2000 00:00:00 GMT"},
        {1704067199, "Sun, 31 Dec 2023 23:59:59 GMT"},
        {-1, "Wed, 31 Dec 1969 23:59:59 GMT"},
    };
    for (const auto& [seconds, expected] : rows)
        EXPECT_EQ(GetInternetDateTime(at(seconds)), expected) << seconds;
    // Parts of a second do not round up.
    EXPECT_EQ(GetInternetDateTime(at(0) + std::chrono::milliseconds(999)), "Thu, 01 Jan 1970 00:00:00 GMT");
}

TEST(PortalTextTest, InternetDatesIgnoreTheUsersLocale)
{
    const char* old = std::setlocale(LC_TIME, nullptr);
    const std::string saved = old ? old : "C";
    if (std::setlocale(LC_TIME, "ru_RU.UTF-8") == nullptr && std::setlocale(LC_TIME, "fr_FR.UTF-8") == nullptr)
        GTEST_SKIP() << "no other locale installed";
    EXPECT_EQ(GetInternetDateTime(at(1796790663)), "Wed, 09 Dec 2026 04:31:03 GMT");
    std::setlocale(LC_TIME, saved.c_str());
}

TEST(PortalTextTest, EncodeForJSKeepsStringsAndScriptsClosed)
{
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"plain text", "plain text"},
        {"it's \"quoted\"", "it\\'s \\\"quoted\\\""},
        {"back\\slash", "back\\\\slash"},
        {"line1\r\nline2\tx", "line1\\r\\nline2\\tx"},
        {"</script><!--", "\\u003C/script\\u003E\\u003C!--"},
        {"a&amp;b", "a\\u0026amp;b"},
        {std::string("nul\0bell\x07", 9), "nul\\u0000bell\\u0007"},
        {"sep\xE2\x80\xA8para\xE2\x80\xA9", "sep\\u2028para\\u2029"},
        {"\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 $1 $2", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 $1 $2"},
        {"\xE2\x80", "\xE2\x80"},
        {"", ""},
    };
    for (const auto& [input, expected] : rows)
        EXPECT_EQ(EncodeForJS(input), expected) << input;
}

TEST(ErrorHandlerDeathTest, UncaughtErrorsReachTheProgramsHandler)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            InitErrorHandler([](const std::string& message) { std::cerr << "handled: " << message << std::endl; });
            // Thrown in a thread of its own, where nothing catches it.
            std::thread([] { throw Exception("the desk is gone"); }).join();
        },
        "handled: the desk is gone");
    EXPECT_DEATH(
        {
            InitErrorHandler([](const std::string& message) { std::cerr << "handled: " << message << std::endl; });
            std::thread([] { throw 42; }).join();
        },
        "handled: Unknown error");
}
