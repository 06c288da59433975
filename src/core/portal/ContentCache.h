#pragma once
// Documents that web parts link to (ContentLink, XSLLink), downloaded and kept
// in the portal's CACHE folder by each part's cache settings.

#include <chrono>
#include <functional>
#include <mutex>
#include <string>

namespace wpe {

// A web part's cache settings: CacheBehavior "0" None, "1" All Users,
// "2" Each User, and CacheTimeout in seconds.
struct TCachePolicy {
    int behavior = 0;
    long long timeoutSeconds = 0;

    // Reads the two texts as a part holds them; anything unreadable means no cache.
    static TCachePolicy FromTexts(const std::string& behavior, const std::string& timeout);
    bool Caches() const { return behavior > 0 && timeoutSeconds > 0; }
};

class TContentCache {
public:
    using TFetch = std::function<std::string(const std::string& url)>;
    using TClock = std::function<std::chrono::system_clock::time_point()>;

    // folder: where copies are kept (created on first write); fetch: the
    // downloader, raising wpe::Exception on failure.
    TContentCache(std::string folder, TFetch fetch, TClock clock = {});

    // The document at url. A part that caches gets a copy younger than its
    // timeout without a download; otherwise the document is downloaded (and
    // kept when the part caches). When the download fails, an older copy is
    // used rather than nothing; with no copy the download's error is raised.
    std::string Get(const std::string& url, const TCachePolicy& policy);

    // The file that holds the copy of url.
    std::string CacheFileOf(const std::string& url) const;

    // Downloads made so far (for tests and the log).
    int Downloads() const;

private:
    std::string folder_;
    TFetch fetch_;
    TClock clock_;
    mutable std::mutex lock_;
    int downloads_ = 0;
};

// A cache over the portal's CACHE folder with the core's downloader, limited
// to short timeouts so that one slow site cannot hold up a page for long.
TContentCache MakePortalContentCache(const std::string& cacheFolder);

} // namespace wpe
