#pragma once
// Downloads over HTTP and HTTPS for the RSS import, through libcurl.

#include "util/PlatformNet.h"

#include <cstddef>
#include <string>
#include <vector>

namespace wpe {

struct TFetchOptions {
    long timeoutSeconds = 30;          // whole transfer, connection included
    long connectTimeoutSeconds = 15;
    std::size_t maxBytes = 8u << 20;   // larger documents are refused
    long maxRedirects = 5;
};

class TUrlFetcher {
public:
    explicit TUrlFetcher(TFetchOptions options = {});

    const TFetchOptions& options() const { return options_; }
    void setOptions(const TFetchOptions& options) { options_ = options; }

    // The body of url (http:// or https:// only), following at most
    // maxRedirects redirects, sent with the given user agent. Every failure
    // raises wpe::Exception with a sentence naming the address and the cause:
    // unsupported address, host not found, no connection, an HTTP error
    // status, timeout, too many redirects or a document over maxBytes.
    std::string fetch(const std::string& userAgent, const std::string& url) const;

private:
    TFetchOptions options_;
};

// True when some interface other than the loopback is up and has an address:
// the machine is connected to a network, which is all the system can know
// before it tries.
bool HasNetworkConnection(const std::vector<TNetInterface>& interfaces);

// The interfaces of this machine.
std::vector<TNetInterface> ListNetworkInterfaces();

} // namespace wpe
