#include "portal/UrlFetcher.h"
#include "util/Text.h"

#include "util/Exception.h"

#include <curl/curl.h>

#include <map>
#include <memory>
#include <mutex>

namespace wpe {

namespace {

void initCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct TSink {
    std::string body;
    std::size_t maxBytes = 0;
    bool tooLarge = false;
};

std::size_t writeBody(char* data, std::size_t size, std::size_t count, void* user)
{
    auto* sink = static_cast<TSink*>(user);
    const std::size_t bytes = size * count;
    if (sink->body.size() + bytes > sink->maxBytes) {
        sink->tooLarge = true;
        return 0;   // makes libcurl stop with CURLE_WRITE_ERROR
    }
    sink->body.append(data, bytes);
    return bytes;
}

std::string hostOf(const std::string& url)
{
    std::string host;
    if (CURLU* parsed = curl_url()) {
        if (curl_url_set(parsed, CURLUPART_URL, url.c_str(), CURLU_NON_SUPPORT_SCHEME) == CURLUE_OK) {
            char* part = nullptr;
            if (curl_url_get(parsed, CURLUPART_HOST, &part, 0) == CURLUE_OK && part != nullptr) {
                host = part;
                curl_free(part);
            }
        }
        curl_url_cleanup(parsed);
    }
    return host;
}

std::string schemeOf(const std::string& url)
{
    const std::size_t colon = url.find("://");
    if (colon == std::string::npos)
        return {};
    return AsciiLower(url.substr(0, colon));
}

std::string statusText(long status)
{
    static const std::map<long, const char*> kNames = {
        {400, "Bad Request"}, {401, "Unauthorized"}, {403, "Forbidden"}, {404, "Not Found"},
        {405, "Method Not Allowed"}, {408, "Request Timeout"}, {410, "Gone"}, {429, "Too Many Requests"},
        {500, "Internal Server Error"}, {502, "Bad Gateway"}, {503, "Service Unavailable"},
        {504, "Gateway Timeout"}};
    const auto found = kNames.find(status);
    return std::to_string(status) + (found != kNames.end() ? std::string(" ") + found->second : std::string());
}

struct TCurlFree {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};

} // namespace

TUrlFetcher::TUrlFetcher(TFetchOptions options) : options_(options)
{
    initCurlOnce();
}

std::string TUrlFetcher::fetch(const std::string& userAgent, const std::string& url) const
{
    const std::string prefix = "Cannot download \"" + url + "\": ";
    const std::string scheme = schemeOf(url);
    if (scheme != "http" && scheme != "https")
        throw Exception(prefix + "only http:// and https:// addresses can be downloaded");

    std::unique_ptr<CURL, TCurlFree> curl(curl_easy_init());
    if (!curl)
        throw Exception(prefix + "the download library cannot be started");
    TSink sink;
    sink.maxBytes = options_.maxBytes;
    char errorBuffer[CURL_ERROR_SIZE] = {};

    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_USERAGENT, userAgent.c_str());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, options_.maxRedirects);
    curl_easy_setopt(c, CURLOPT_TIMEOUT, options_.timeoutSeconds);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, options_.connectTimeoutSeconds);
    curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(options_.maxBytes));
    curl_easy_setopt(c, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, writeBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorBuffer);

    const CURLcode result = curl_easy_perform(c);
    if (result != CURLE_OK) {
        const std::string limit = std::to_string(options_.maxBytes) + " bytes";
        switch (result) {
        case CURLE_COULDNT_RESOLVE_HOST:
            throw Exception(prefix + "host \"" + hostOf(url) + "\" not found");
        case CURLE_COULDNT_CONNECT:
            throw Exception(prefix + "no connection to host \"" + hostOf(url) + "\"");
        case CURLE_OPERATION_TIMEDOUT:
            throw Exception(prefix + "no complete answer within " + std::to_string(options_.timeoutSeconds) +
                            " seconds");
        case CURLE_TOO_MANY_REDIRECTS:
            throw Exception(prefix + "more than " + std::to_string(options_.maxRedirects) + " redirections");
        case CURLE_FILESIZE_EXCEEDED:
            throw Exception(prefix + "the document is larger than " + limit);
        case CURLE_UNSUPPORTED_PROTOCOL:
            throw Exception(prefix + "only http:// and https:// addresses can be downloaded");
        case CURLE_WRITE_ERROR:
            if (sink.tooLarge)
                throw Exception(prefix + "the document is larger than " + limit);
            [[fallthrough]];
        default: {
            const std::string detail = errorBuffer[0] != '\0' ? errorBuffer : curl_easy_strerror(result);
            throw Exception(prefix + detail);
        }
        }
    }
    long status = 0;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
    if (status >= 400)
        throw Exception(prefix + "the server answered " + statusText(status));
    if (status >= 300)
        throw Exception(prefix + "the server answered " + std::to_string(status) + " without a usable redirection");
    return std::move(sink.body);
}

bool HasNetworkConnection(const std::vector<TNetInterface>& interfaces)
{
    for (const TNetInterface& i : interfaces)
        if (i.up && !i.loopback && i.hasAddress)
            return true;
    return false;
}

std::vector<TNetInterface> ListNetworkInterfaces()
{
    return platform::NetworkInterfaces();
}

} // namespace wpe
