#include "portal/ServerAddress.h"
#include "util/Text.h"

#include "util/Exception.h"

#include <cctype>

namespace wpe {

namespace {

bool startsWithNoCase(const std::string& text, const std::string& prefix)
{
    return StartsAsciiCaseless(text, prefix);
}

[[noreturn]] void badAddress(const std::string& address, const std::string& why)
{
    throw Exception("The portal server address \"" + address + "\" is not usable: " + why);
}

} // namespace

TServerAddress ParseServerAddress(const std::string& address)
{
    std::string rest = address;
    while (!rest.empty() && std::isspace(static_cast<unsigned char>(rest.back())))
        rest.pop_back();
    while (!rest.empty() && std::isspace(static_cast<unsigned char>(rest.front())))
        rest.erase(0, 1);
    if (rest.empty())
        badAddress(address, "it is empty");
    const std::size_t scheme = rest.find("://");
    if (scheme != std::string::npos) {
        if (!startsWithNoCase(rest, "http://"))
            badAddress(address, "only http:// is served");
        rest.erase(0, scheme + 3);
    }
    rest = rest.substr(0, rest.find_first_of("/?#"));
    if (rest.find('@') != std::string::npos)
        badAddress(address, "it holds a user name");

    TServerAddress result;
    std::string portText;
    if (!rest.empty() && rest.front() == '[') {
        const std::size_t close = rest.find(']');
        if (close == std::string::npos)
            badAddress(address, "the IPv6 host is not closed with ']'");
        result.host = rest.substr(1, close - 1);
        std::string after = rest.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != ':')
                badAddress(address, "unexpected text after the host");
            portText = after.substr(1);
        }
    } else {
        const std::size_t colon = rest.find(':');
        result.host = rest.substr(0, colon);
        if (colon != std::string::npos)
            portText = rest.substr(colon + 1);
    }
    if (result.host.empty())
        badAddress(address, "it names no host");
    for (char c : result.host)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == ':'))
            badAddress(address, "the host holds the character '" + std::string(1, c) + "'");
    if (!portText.empty()) {
        if (portText.size() > 5)
            badAddress(address, "the port is out of range");
        int port = 0;
        for (char c : portText) {
            if (!std::isdigit(static_cast<unsigned char>(c)))
                badAddress(address, "the port is not a number");
            port = port * 10 + (c - '0');
        }
        if (port < 1 || port > 65535)
            badAddress(address, "the port is out of range");
        result.port = port;
    }
    return result;
}

bool IsLoopbackHost(const std::string& host)
{
    const std::string lower = AsciiLower(host);
    if (lower == "localhost" || lower == "::1" || lower == "0:0:0:0:0:0:0:1")
        return true;
    // 127.0.0.0/8, written as four decimal parts.
    int parts = 0;
    std::size_t start = 0;
    while (start <= lower.size()) {
        std::size_t end = lower.find('.', start);
        if (end == std::string::npos)
            end = lower.size();
        const std::string part = lower.substr(start, end - start);
        if (part.empty() || part.size() > 3)
            return false;
        int value = 0;
        for (char c : part) {
            if (!std::isdigit(static_cast<unsigned char>(c)))
                return false;
            value = value * 10 + (c - '0');
        }
        if (value > 255 || (parts == 0 && value != 127))
            return false;
        ++parts;
        start = end + 1;
    }
    return parts == 4;
}

TServerAddress LoopbackServerAddress(const std::string& address)
{
    TServerAddress result = ParseServerAddress(address);
    if (!IsLoopbackHost(result.host))
        throw Exception("The portal server only listens on this computer: \"" + result.host +
                        "\" in the address \"" + address + "\" is not a loopback address (use 127.0.0.1)");
    return result;
}

std::string ServerUrl(const TServerAddress& address)
{
    const bool v6 = address.host.find(':') != std::string::npos;
    return "http://" + (v6 ? "[" + address.host + "]" : address.host) + ":" + std::to_string(address.port) + "/";
}

} // namespace wpe
