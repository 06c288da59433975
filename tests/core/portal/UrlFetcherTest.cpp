// Downloads against a small HTTP server that the test runs on the loopback.

#include "PortalTestSupport.h"

#include "portal/BaseITF.h"
#include "portal/UrlFetcher.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gmock/gmock.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <thread>

using namespace wpe;
using namespace wpe::test;
using ::testing::HasSubstr;

namespace {

const std::string kFeed = "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>Loopback news</title>"
                          "<item><title>First</title></item></channel></rss>";

// Serves a fixed set of paths on 127.0.0.1 from a thread of its own.
class TLoopbackServer {
public:
    TLoopbackServer()
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        int yes = 1;
        ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = 0;
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener_, 16) != 0)
            throw std::runtime_error("cannot listen on the loopback");
        socklen_t length = sizeof address;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { run(); });
    }

    ~TLoopbackServer()
    {
        stop_ = true;
        ::shutdown(listener_, SHUT_RDWR);
        thread_.join();
        for (std::thread& worker : workers_)
            worker.join();
        ::close(listener_);
    }

    std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

    // Serves body at path from now on (before the built-in paths).
    void publish(const std::string& path, std::string body)
    {
        std::lock_guard lock(mutex_);
        published_[path] = std::move(body);
    }

private:
    void run()
    {
        while (!stop_) {
            pollfd waiting{listener_, POLLIN, 0};
            if (::poll(&waiting, 1, 50) <= 0)
                continue;
            const int client = ::accept(listener_, nullptr, nullptr);
            if (client < 0)
                continue;
            // One thread per connection, so a slow answer holds up no other.
            workers_.emplace_back([this, client] {
                serve(client);
                ::close(client);
            });
        }
    }

    // Waits up to the given time, ending early when the server stops.
    bool pause(std::chrono::milliseconds time)
    {
        const auto end = std::chrono::steady_clock::now() + time;
        while (std::chrono::steady_clock::now() < end)
            if (stop_)
                return false;
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return true;
    }

    static void send(int client, const std::string& data)
    {
        std::size_t sent = 0;
        while (sent < data.size()) {
            const ssize_t n = ::send(client, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                return;
            sent += static_cast<std::size_t>(n);
        }
    }

    static std::string answer(const std::string& status, const std::string& headers, const std::string& body)
    {
        return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) +
               "\r\nConnection: close\r\n" + headers + "\r\n" + body;
    }

    void serve(int client)
    {
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos) {
            pollfd readable{client, POLLIN, 0};
            if (::poll(&readable, 1, 2000) <= 0)
                return;
            const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
            if (n <= 0)
                return;
            request.append(buffer, static_cast<std::size_t>(n));
        }
        const std::size_t pathStart = request.find(' ') + 1;
        const std::string path = request.substr(pathStart, request.find(' ', pathStart) - pathStart);
        std::string agent;
        if (const std::size_t at = request.find("User-Agent: "); at != std::string::npos)
            agent = request.substr(at + 12, request.find("\r\n", at) - at - 12);

        {
            std::unique_lock lock(mutex_);
            const auto found = published_.find(path);
            if (found != published_.end()) {
                const std::string body = found->second;
                lock.unlock();
                send(client, answer("200 OK", "Content-Type: application/octet-stream\r\n", body));
                return;
            }
        }
        if (path == "/feed.rss") {
            send(client, answer("200 OK", "Content-Type: application/rss+xml\r\n", kFeed));
        } else if (path == "/agent") {
            send(client, answer("200 OK", "", agent));
        } else if (path == "/redirect") {
            send(client, answer("302 Found", "Location: /feed.rss\r\n", ""));
        } else if (path == "/loop") {
            send(client, answer("302 Found", "Location: /loop\r\n", ""));
        } else if (path == "/to-file") {
            send(client, answer("302 Found", "Location: file:///etc/passwd\r\n", ""));
        } else if (path == "/error") {
            send(client, answer("500 Internal Server Error", "", "broken"));
        } else if (path == "/slow") {
            if (pause(std::chrono::seconds(4)))
                send(client, answer("200 OK", "", kFeed));
        } else if (path == "/big") {
            send(client, answer("200 OK", "", std::string(3000, 'x')));
        } else if (path == "/big-unannounced") {
            // No length given: the size is only known while reading.
            send(client, "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n");
            for (int i = 0; i < 10; ++i)
                send(client, std::string(1000, 'y'));
        } else {
            send(client, answer("404 Not Found", "", "no such page"));
        }
    }

    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::vector<std::thread> workers_;
    std::mutex mutex_;
    std::map<std::string, std::string> published_;
};

std::string failure(const TUrlFetcher& fetcher, const std::string& url)
{
    try {
        fetcher.fetch("wpeditor", url);
    } catch (const Exception& e) {
        return e.message();
    }
    ADD_FAILURE() << url << " downloaded";
    return {};
}

int closedPort()
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(s);
    return ntohs(address.sin_port);
}

} // namespace

TEST(UrlFetcherTest, DownloadsAFeedWithOurUserAgent)
{
    TLoopbackServer server;
    TUrlFetcher fetcher;
    EXPECT_EQ(fetcher.fetch("wpeditor", server.url("/feed.rss")), kFeed);
    EXPECT_EQ(fetcher.fetch("wpeditor", server.url("/agent")), "wpeditor");
    EXPECT_EQ(fetcher.fetch("wpeditor", server.url("/redirect")), kFeed) << "redirections are followed";
    EXPECT_EQ(GetURLDataEx("wpeditor", server.url("/feed.rss")), kFeed);
}

TEST(UrlFetcherTest, RealFeedsArriveByteForByte)
{
    const fs::path corpus = CorpusFolder();
    if (corpus.empty() || !fs::is_directory(corpus / "rss"))
        GTEST_SKIP() << "WPE_CORPUS_DIR has no rss folder";
    TLoopbackServer server;
    TUrlFetcher fetcher;
    int feeds = 0;
    for (const auto& entry : fs::directory_iterator(corpus / "rss")) {
        if (entry.path().filename() == "MANIFEST.tsv")
            continue;
        SCOPED_TRACE(entry.path().filename().string());
        // Byte-order marks, UTF-16 zero bytes and odd encodings must pass untouched.
        const std::string bytes = ReadFileBytes(entry.path());
        server.publish("/corpus/" + entry.path().filename().string(), bytes);
        EXPECT_EQ(fetcher.fetch("wpeditor", server.url("/corpus/" + entry.path().filename().string())), bytes);
        ++feeds;
    }
    EXPECT_GT(feeds, 0);
}

TEST(UrlFetcherTest, EveryFailureSaysWhatWentWrong)
{
    TLoopbackServer server;
    TFetchOptions options;
    options.maxBytes = 2048;
    options.maxRedirects = 3;
    // Only the slow answer is about the timeout; the other cases get room
    // enough for a machine busy with sanitizer builds and fuzzers.
    options.timeoutSeconds = 30;
    TUrlFetcher fetcher(options);
    options.timeoutSeconds = 1;
    TUrlFetcher impatient(options);
    const std::string refused = "http://127.0.0.1:" + std::to_string(closedPort()) + "/x";

    struct TCase {
        std::string url;
        std::string message;
    };
    const std::vector<TCase> cases = {
        {server.url("/missing"), "the server answered 404 Not Found"},
        {server.url("/error"), "the server answered 500 Internal Server Error"},
        {server.url("/slow"), "no complete answer within 1 seconds"},
        {server.url("/big"), "the document is larger than 2048 bytes"},
        {server.url("/big-unannounced"), "the document is larger than 2048 bytes"},
        {server.url("/loop"), "more than 3 redirections"},
        {server.url("/to-file"), "Cannot download"},
        {refused, "no connection to host \"127.0.0.1\""},
        {"ftp://127.0.0.1/feed.rss", "only http:// and https:// addresses"},
        {"file:///etc/passwd", "only http:// and https:// addresses"},
        {"127.0.0.1/feed.rss", "only http:// and https:// addresses"},
        {"", "only http:// and https:// addresses"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.url);
        const bool aboutTime = c.url == server.url("/slow");
        const std::string message = failure(aboutTime ? impatient : fetcher, c.url);
        EXPECT_THAT(message, HasSubstr("Cannot download \"" + c.url + "\": "));
        EXPECT_THAT(message, HasSubstr(c.message));
    }
}

TEST(UrlFetcherTest, NetworkConnectionNeedsAnInterfaceBesidesTheLoopback)
{
    struct TCase {
        const char* name;
        std::vector<TNetInterface> interfaces;
        bool connected;
    };
    const std::vector<TCase> cases = {
        {"nothing", {}, false},
        {"loopback only", {{"lo", true, true, true}}, false},
        {"cable unplugged", {{"lo", true, true, true}, {"eth0", false, false, true}}, false},
        {"up without address", {{"eth0", true, false, false}}, false},
        {"connected", {{"lo", true, true, true}, {"wlan0", true, false, true}}, true},
    };
    for (const TCase& c : cases)
        EXPECT_EQ(HasNetworkConnection(c.interfaces), c.connected) << c.name;
    bool sawLoopback = false;
    for (const TNetInterface& i : ListNetworkInterfaces())
        sawLoopback = sawLoopback || i.loopback;
    EXPECT_TRUE(sawLoopback) << "the machine's own interfaces are listed";
}
