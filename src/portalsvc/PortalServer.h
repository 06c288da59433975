#pragma once
// The portal server: serves the current profile's start page at "/", the
// skins' files under "/SKINS/", the portal's static files, and the small
// endpoints the page calls ("onload", "edit?ID=", "remove?ID="). It listens
// on the loopback only and logs one line per request and per part that fails.

#include "portal/ContentCache.h"
#include "portal/PortalBase.h"
#include "portal/ServerAddress.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>

namespace httplib {
class Server;
struct Request;
struct Response;
}

namespace wpe {

struct TServerLimits {
    std::size_t maxRequests = 0;     // stop after this many requests; 0 = no limit
    long long maxSeconds = 0;        // stop after this long; 0 = no limit
    long long idleSeconds = 7200;    // stop after this long without a request; 0 = never
    std::size_t maxBodyBytes = 64 * 1024;   // larger request bodies are refused (413)
    int threads = 4;
};

class TPortalServer {
public:
    // Opens the portal at root; raises when it is not usable.
    TPortalServer(const std::string& root, TServerLimits limits);
    ~TPortalServer();

    // Binds the address (loopback only, checked again here); raises with a
    // clear message when it cannot.
    void Bind(const TServerAddress& address);
    // Serves until a limit is reached or Stop is called.
    void Run();
    void Stop();

    // A portal setting ("user/Server").
    std::string Setting(const std::string& path) const { return base_.element(path); }

private:
    void handle(const httplib::Request& req, httplib::Response& res);
    void serveStartPage(httplib::Response& res);
    void serveEdit(const httplib::Request& req, httplib::Response& res);
    void serveStatic(const httplib::Request& req, httplib::Response& res);
    void afterRequest(const httplib::Request& req, const httplib::Response& res);
    void watch();

    std::string root_;
    TServerLimits limits_;
    TPortalBase base_;
    TContentCache cache_;
    std::unique_ptr<httplib::Server> server_;
    std::mutex renderLock_;   // the XSLT engine's handlers are process-wide
    std::mutex stateLock_;
    std::condition_variable wake_;
    std::size_t served_ = 0;
    bool stopping_ = false;
    std::chrono::steady_clock::time_point started_;
    std::chrono::steady_clock::time_point lastRequest_;
};

// The script the "onload" endpoint answers with.
std::string PortalOnloadScript();

} // namespace wpe
