#include "util/ErrorMessages.h"

#include <array>

namespace wpe {

namespace {

constexpr const char* kUnknownError = "Inknown error!";

// Indexed by code; nullptr marks the codes left undefined.
constexpr std::array<const char*, 43> kMessages = {
    "Ombrelio server started",                        // 0
    "Init error! %s",                                 // 1
    "Parser is not initialized!",                     // 2
    nullptr,                                          // 3
    "Library %s is not loaded",                       // 4
    "File \"%s\" not found",                          // 5
    "Invalid URL \"%s\"",                             // 6
    "Can`t load \"%s\"",                              // 7
    "Unable to open file \"%s\"",                     // 8
    "Unable to send http request",                    // 9
    "Invalid ftp directory",                          // 10
    "Unable to open internet",                        // 11
    "Unable to open http request",                    // 12
    "Unable to make internet connection",             // 13
    "Unable to open ftp file",                        // 14
    "Unable to create \"%s\"",                        // 15
    "Unknown address \"%s\"",                         // 16
    "Invalid parameter in command string",            // 17
    nullptr,                                          // 18
    "Http request error!",                            // 19
    "Duplicate ID",                                   // 20
    " Incorrect Webpart name \"%s\"",                 // 21
    "Element \"%s\" not found!",                      // 22
    "No connect!",                                    // 23
    "HTML parsing error!",                            // 24
    "Element \"%s\" in XML file \"%s\" not found!",   // 25
    "Tag \"%s\" is not closed",                       // 26
    "Unclosed string!",                               // 27
    "Request is too large!",                          // 28
    "WebPart not found!",                             // 29
    "Unknown content type in WebPart %s",             // 30
    "Plugin %s error!",                               // 31
    "Unknown Action %s",                              // 32
    "Fatal error %s!",                                // 33
    "Ombrelio Server is closed",                      // 34
    "%s update error",                                // 35
    "[Timer] execute update %s",                      // 36
    "[%s] %s",                                        // 37
    "[Timer] %s update finished",                     // 38
    "Empty tag",                                      // 39
    "FileName from ID=\"%s\" not found",              // 40
    "File I/O error. File %s is locked",              // 41
    "Read file %s error",                             // 42
};

} // namespace

std::string ErrorMessage(int code)
{
    if (code < 0 || static_cast<std::size_t>(code) >= kMessages.size() || kMessages[code] == nullptr)
        return kUnknownError;
    return kMessages[code];
}

} // namespace wpe
