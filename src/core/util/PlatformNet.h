#pragma once
// The machine's network interfaces, as the system lists them.

#include <string>
#include <vector>

namespace wpe {

// One network interface as the system lists it.
struct TNetInterface {
    std::string name;
    bool up = false;
    bool loopback = false;
    bool hasAddress = false;   // an IPv4 or IPv6 address is assigned
};

namespace platform {

// The interfaces of this machine; empty when the system will not say.
std::vector<TNetInterface> NetworkInterfaces();

} // namespace platform
} // namespace wpe
