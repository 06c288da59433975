#include "shell/FatalErrors.h"
#include "util/Exception.h"

#include <gtest/gtest.h>

#include <thread>

namespace wpe::test {
namespace {

TEST(FatalErrorsDeathTest, AnErrorNothingCaughtIsToldBeforeTheProgramEnds)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            InstallFatalErrorHandler();
            std::thread([] { throw Exception("the desk file vanished"); }).join();
        },
        "wpeditor: The program has to close because of an error it did not expect:\n"
        "the desk file vanished");
}

} // namespace
} // namespace wpe::test
