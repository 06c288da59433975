#include "util/PlatformNet.h"

#ifdef _WIN32
#include <winsock2.h>
#include <iphlpapi.h>
#include <ws2tcpip.h>
#else
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#endif

namespace wpe::platform {

namespace {

TNetInterface& entryFor(std::vector<TNetInterface>& list, const std::string& name)
{
    for (TNetInterface& known : list)
        if (known.name == name)
            return known;
    list.push_back(TNetInterface{name});
    return list.back();
}

} // namespace

#ifdef _WIN32

std::vector<TNetInterface> NetworkInterfaces()
{
    std::vector<TNetInterface> result;
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer;
    ULONG status = ERROR_BUFFER_OVERFLOW;
    for (int attempt = 0; attempt < 3 && status == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.resize(size);
        status = ::GetAdaptersAddresses(AF_UNSPEC, 0, nullptr,
                                        reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
    }
    if (status != NO_ERROR)
        return result;
    for (auto* a = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()); a != nullptr; a = a->Next) {
        TNetInterface& entry = entryFor(result, a->AdapterName ? a->AdapterName : "");
        entry.up = entry.up || a->OperStatus == IfOperStatusUp;
        entry.loopback = entry.loopback || a->IfType == IF_TYPE_SOFTWARE_LOOPBACK;
        entry.hasAddress = entry.hasAddress || a->FirstUnicastAddress != nullptr;
    }
    return result;
}

#else

std::vector<TNetInterface> NetworkInterfaces()
{
    std::vector<TNetInterface> result;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0)
        return result;
    for (ifaddrs* a = list; a != nullptr; a = a->ifa_next) {
        if (a->ifa_name == nullptr)
            continue;
        TNetInterface& entry = entryFor(result, a->ifa_name);
        entry.up = entry.up || (a->ifa_flags & IFF_UP) != 0;
        entry.loopback = entry.loopback || (a->ifa_flags & IFF_LOOPBACK) != 0;
        const int family = a->ifa_addr != nullptr ? a->ifa_addr->sa_family : AF_UNSPEC;
        entry.hasAddress = entry.hasAddress || family == AF_INET || family == AF_INET6;
    }
    ::freeifaddrs(list);
    return result;
}

#endif

} // namespace wpe::platform
