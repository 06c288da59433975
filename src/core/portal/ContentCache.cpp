#include "portal/ContentCache.h"

#include "portal/UrlFetcher.h"
#include "util/Exception.h"
#include "util/Files.h"
#include "util/Paths.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

namespace wpe {

namespace {

long long parseNumber(const std::string& text)
{
    long long value = 0;
    bool any = false;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
            continue;
        if (c < '0' || c > '9' || value > 1'000'000'000'000LL)
            return 0;
        value = value * 10 + (c - '0');
        any = true;
    }
    return any ? value : 0;
}

// A stable name for a URL (FNV-1a), the same in every build and on every system.
std::string hashName(const std::string& url)
{
    std::uint64_t h = 1469598103934665603ULL;
    for (unsigned char c : url) {
        h ^= c;
        h *= 1099511628211ULL;
    }
    char buffer[17];
    std::snprintf(buffer, sizeof buffer, "%016llx", static_cast<unsigned long long>(h));
    return std::string(buffer) + ".cache";
}

} // namespace

TCachePolicy TCachePolicy::FromTexts(const std::string& behavior, const std::string& timeout)
{
    TCachePolicy policy;
    const long long b = parseNumber(behavior);
    policy.behavior = b >= 0 && b <= 2 ? static_cast<int>(b) : 0;
    policy.timeoutSeconds = parseNumber(timeout);
    return policy;
}

TContentCache::TContentCache(std::string folder, TFetch fetch, TClock clock)
    : folder_(WithTrailingBackslash(NativePath(folder))), fetch_(std::move(fetch)), clock_(std::move(clock))
{
    if (!clock_)
        clock_ = [] { return std::chrono::system_clock::now(); };
}

std::string TContentCache::CacheFileOf(const std::string& url) const
{
    return folder_ + hashName(url);
}

int TContentCache::Downloads() const
{
    std::lock_guard guard(lock_);
    return downloads_;
}

std::string TContentCache::Get(const std::string& url, const TCachePolicy& policy)
{
    const std::string file = CacheFileOf(url);
    std::error_code ec;
    const bool haveCopy = fs::is_regular_file(fs::path(file), ec);
    if (policy.Caches() && haveCopy) {
        const auto written = fs::last_write_time(fs::path(file), ec);
        if (!ec) {
            const auto writtenSystem = std::chrono::time_point_cast<std::chrono::system_clock::duration>(fs::file_time_type::clock::to_sys(written));
            const auto age = std::chrono::duration_cast<std::chrono::seconds>(clock_() - writtenSystem).count();
            if (age >= 0 && age < policy.timeoutSeconds)
                return ReadWholeFile(file);
        }
    }
    std::string body;
    try {
        {
            std::lock_guard guard(lock_);
            ++downloads_;
        }
        body = fetch_(url);
    } catch (const Exception&) {
        if (haveCopy)
            return ReadWholeFile(file);
        throw;
    }
    if (policy.Caches()) {
        try {
            ForceDirectories(folder_);
            WriteWholeFile(file, body);
            // The copy's age counts from the clock the cache is asked with.
            fs::last_write_time(fs::path(file),
                                fs::file_time_type::clock::from_sys(clock_()), ec);
        } catch (const Exception&) {
            // A cache that cannot be written only costs a later download.
        }
    }
    return body;
}

TContentCache MakePortalContentCache(const std::string& cacheFolder)
{
    TFetchOptions options;
    options.connectTimeoutSeconds = 3;
    options.timeoutSeconds = 8;
    options.maxBytes = 4u << 20;
    auto fetcher = std::make_shared<TUrlFetcher>(options);
    return TContentCache(cacheFolder, [fetcher](const std::string& url) { return fetcher->fetch("ombrelsvc", url); });
}

} // namespace wpe
