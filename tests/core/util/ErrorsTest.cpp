#include "util/ErrorMessages.h"
#include "util/Errors.h"
#include "util/Exception.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

namespace wpe {
namespace {

std::string messageOf(const std::function<void()>& raise)
{
    try {
        raise();
    } catch (const Exception& e) {
        return e.message();
    }
    ADD_FAILURE() << "nothing was thrown";
    return {};
}

TEST(ErrorMessageTest, UndefinedCodesGiveTheFallbackText)
{
    for (int code : {3, 18, 43, -1, 1000, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()})
        EXPECT_EQ(ErrorMessage(code), "Inknown error!") << code;
}

TEST(ErrorMessageTest, TableTextsAreExact)
{
    const std::pair<int, const char*> rows[] = {
        {0, "Ombrelio server started"},
        {5, "File \"%s\" not found"},
        {7, "Can`t load \"%s\""},
        {21, " Incorrect Webpart name \"%s\""},
        {25, "Element \"%s\" in XML file \"%s\" not found!"},
        {37, "[%s] %s"},
        {41, "File I/O error. File %s is locked"},
        {42, "Read file %s error"},
    };
    for (auto [code, text] : rows)
        EXPECT_EQ(ErrorMessage(code), text) << code;
    for (int code = 0; code <= 42; ++code) {
        if (code != 3 && code != 18) {
            EXPECT_NE(ErrorMessage(code), "Inknown error!") << code;
        }
    }
}

TEST(RaiseErrorTest, RaisesTheTextUnformatted)
{
    EXPECT_EQ(messageOf([] { RaiseError(kErrHtmlParsing); }), "HTML parsing error!");
    EXPECT_EQ(messageOf([] { RaiseError(kErrFileNotFound); }), "File \"%s\" not found");
}

TEST(RaiseErrorTest, FormatsTheOneArgument)
{
    EXPECT_EQ(messageOf([] { RaiseErrorFmt(kErrFileLocked, "C:\\a b.xml"); }),
              "File I/O error. File C:\\a b.xml is locked");
    EXPECT_EQ(messageOf([] { RaiseErrorFmt(kErrFileNotFound, "x.xml"); }), "File \"x.xml\" not found");
    EXPECT_EQ(messageOf([] { RaiseErrorFmt(kErrTagNotClosed, '['); }), "Tag \"[\" is not closed");
    EXPECT_EQ(messageOf([] { RaiseErrorFmt(kErrUnknownAddress, ""); }), "Unknown address \"\"");
    // The argument of code 1 ends in a blank, and so does the message.
    EXPECT_EQ(messageOf([] { RaiseErrorFmt(kErrInit, "Incorrect XML string "); }),
              "Init error! Incorrect XML string ");
}

TEST(RaiseErrorTest, ArgumentIsNotReadAsATemplate)
{
    EXPECT_EQ(FormatErrorMessage(kErrReadFile, "100%s%%.txt"), "Read file 100%s%%.txt error");
    EXPECT_EQ(FormatErrorMessage(37, "a"), "[a] %s");
    EXPECT_EQ(FormatErrorMessage(kErrFileLocked, std::string_view("a\0b", 3)),
              std::string("File I/O error. File a\0b is locked", 34));
}

} // namespace
} // namespace wpe
