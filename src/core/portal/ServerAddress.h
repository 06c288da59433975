#pragma once
// The portal server's address ("user/Server") taken apart, and the rule that
// the server only ever listens on the loopback.

#include <string>

namespace wpe {

struct TServerAddress {
    std::string host;   // as written, without brackets for IPv6
    int port = 80;
};

// Takes "http://host:port/" (scheme, port and path optional) apart. Raises a
// clear error for an empty text, another scheme, a bad or missing host or a
// port outside 1..65535.
TServerAddress ParseServerAddress(const std::string& address);

// True for "localhost", 127.x.x.x and ::1, the only hosts the server binds.
bool IsLoopbackHost(const std::string& host);

// ParseServerAddress, then refuses any host that is not the loopback with the
// message "The portal server only listens on this computer: ...".
TServerAddress LoopbackServerAddress(const std::string& address);

// "http://host:port/" for an address (IPv6 in brackets).
std::string ServerUrl(const TServerAddress& address);

} // namespace wpe
