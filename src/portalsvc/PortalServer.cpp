#include "PortalServer.h"

#include "portal/ElementFile.h"
#include "portal/ServedFiles.h"
#include "portal/StartPage.h"
#include "util/Exception.h"
#include "util/Files.h"
#include "util/Paths.h"
#include "util/SendLog.h"
#include "xml/XXmlDom.h"

#include <httplib.h>

#include <cctype>
#include <string_view>
#include <thread>

namespace wpe {

namespace {

thread_local std::chrono::steady_clock::time_point requestStart;

void messagePage(httplib::Response& res, int status, const std::string& title, const std::string& text)
{
    res.status = status;
    res.set_content("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + XmlEscape(title) +
                        "</title></head><body><h1>" + XmlEscape(title) + "</h1><p>" + XmlEscape(text) +
                        "</p></body></html>",
                    "text/html; charset=utf-8");
}

bool isAddress(const std::string& link)
{
    auto starts = [&link](std::string_view prefix) {
        if (link.size() <= prefix.size())
            return false;
        for (std::size_t i = 0; i < prefix.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(link[i])) != prefix[i])
                return false;
        return true;
    };
    return starts("http://") || starts("https://");
}

} // namespace

std::string PortalOnloadScript()
{
    // Puts back the parts the visitor minimized or removed on this browser.
    return "(function(){if(window.portalRestoreState){window.portalRestoreState();}})();\n";
}

TPortalServer::TPortalServer(const std::string& root, TServerLimits limits)
    : root_(WithTrailingBackslash(NativePath(root))),
      limits_(limits),
      base_(root),
      cache_(MakePortalContentCache(base_.absolutePath("CACHE"))),
      server_(std::make_unique<httplib::Server>())
{
    auto& s = *server_;
    const int threads = limits_.threads < 1 ? 1 : limits_.threads;
    s.new_task_queue = [threads] { return new httplib::ThreadPool(static_cast<std::size_t>(threads)); };
    s.set_payload_max_length(limits_.maxBodyBytes);
    s.set_read_timeout(5, 0);
    s.set_write_timeout(5, 0);
    s.set_keep_alive_max_count(100);
    // Small answers on kept-alive connections would otherwise wait for the
    // peer's delayed acknowledgement (tens of milliseconds each).
    s.set_tcp_nodelay(true);
    s.set_pre_routing_handler([](const httplib::Request&, httplib::Response&) {
        requestStart = std::chrono::steady_clock::now();
        return httplib::Server::HandlerResponse::Unhandled;
    });
    s.Get(".*", [this](const httplib::Request& req, httplib::Response& res) { handle(req, res); });
    auto notAllowed = [](const httplib::Request&, httplib::Response& res) {
        res.set_header("Allow", "GET, HEAD");
        messagePage(res, 405, "Method not allowed", "The portal server only answers GET and HEAD requests.");
    };
    s.Post(".*", notAllowed);
    s.Put(".*", notAllowed);
    s.Delete(".*", notAllowed);
    s.Patch(".*", notAllowed);
    s.set_error_handler([](const httplib::Request&, httplib::Response& res) {
        if (!res.body.empty())
            return;
        switch (res.status) {
        case 413: messagePage(res, 413, "Request too large", "The request is over the server's size limit."); break;
        case 414: messagePage(res, 414, "Address too long", "The address is over the server's size limit."); break;
        default:
            messagePage(res, res.status, "Error " + std::to_string(res.status), "The request cannot be answered.");
        }
    });
    s.set_logger([this](const httplib::Request& req, const httplib::Response& res) { afterRequest(req, res); });
}

TPortalServer::~TPortalServer() = default;

void TPortalServer::Bind(const TServerAddress& address)
{
    if (!IsLoopbackHost(address.host))
        throw Exception("The portal server only listens on this computer, not on \"" + address.host + "\"");
    if (!server_->bind_to_port(address.host, address.port))
        throw Exception("The portal server cannot listen on " + ServerUrl(address) +
                        ": the port is taken or the address is not available");
}

void TPortalServer::Run()
{
    started_ = lastRequest_ = std::chrono::steady_clock::now();
    std::thread watcher([this] { watch(); });
    server_->listen_after_bind();
    Stop();
    watcher.join();
}

void TPortalServer::Stop()
{
    {
        std::lock_guard guard(stateLock_);
        stopping_ = true;
    }
    wake_.notify_all();
    server_->stop();
}

// Ends the server when one of its limits is reached.
void TPortalServer::watch()
{
    std::unique_lock guard(stateLock_);
    for (;;) {
        if (stopping_)
            return;
        const auto now = std::chrono::steady_clock::now();
        std::string why;
        if (limits_.maxRequests > 0 && served_ >= limits_.maxRequests)
            why = "served " + std::to_string(served_) + " requests";
        else if (limits_.maxSeconds > 0 && now - started_ >= std::chrono::seconds(limits_.maxSeconds))
            why = "ran for " + std::to_string(limits_.maxSeconds) + " seconds";
        else if (limits_.idleSeconds > 0 && now - lastRequest_ >= std::chrono::seconds(limits_.idleSeconds))
            why = "no request for " + std::to_string(limits_.idleSeconds) + " seconds";
        if (!why.empty()) {
            guard.unlock();
            SendLog("Stopping: " + why);
            server_->stop();
            return;
        }
        wake_.wait_for(guard, std::chrono::milliseconds(200));
    }
}

void TPortalServer::afterRequest(const httplib::Request& req, const httplib::Response& res)
{
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - requestStart);
    std::string target = req.path;
    if (target.size() > 200)
        target = target.substr(0, 200) + "...";
    SendLog(req.method + " " + target + " " + std::to_string(res.status) + " " + std::to_string(res.body.size()) +
            " bytes " + std::to_string(ms.count()) + " ms");
    {
        std::lock_guard guard(stateLock_);
        ++served_;
        lastRequest_ = std::chrono::steady_clock::now();
    }
    wake_.notify_all();
}

void TPortalServer::handle(const httplib::Request& req, httplib::Response& res)
{
    if (req.path == "/" || req.path == "/index.html")
        serveStartPage(res);
    else if (req.path == "/onload")
        res.set_content(PortalOnloadScript(), "application/javascript");
    else if (req.path == "/edit")
        serveEdit(req, res);
    else if (req.path == "/remove") {
        // Removing is the visitor's own choice on this browser (portal.js keeps
        // it); the desk itself is only changed in the editor.
        res.status = 303;
        res.set_header("Location", "/");
    } else
        serveStatic(req, res);
}

void TPortalServer::serveStartPage(httplib::Response& res)
{
    TStartPageOptions options;
    options.cache = &cache_;
    options.onPartError = [](const std::string& id, const std::string& reason) {
        SendLog("Web part \"" + id + "\" failed: " + reason);
    };
    try {
        std::string html;
        {
            std::lock_guard guard(renderLock_);
            html = RenderStartPage(base_, options);
        }
        res.set_header("Cache-Control", "no-store");
        res.set_content(std::move(html), "text/html; charset=utf-8");
    } catch (const std::exception& e) {
        SendLog(std::string("The start page failed: ") + e.what());
        messagePage(res, 500, "The portal page cannot be shown", e.what());
    }
}

void TPortalServer::serveEdit(const httplib::Request& req, httplib::Response& res)
{
    const std::string id = req.get_param_value("ID");
    std::string file;
    try {
        CheckWebPartId(id);
        file = base_.fileNameFromId(id);
    } catch (const std::exception&) {
        messagePage(res, 404, "No such web part", "There is no web part \"" + id + "\" in this portal.");
        return;
    }
    std::string link;
    try {
        link = GetElementFromFile(file, "CustomizationLink");
    } catch (const std::exception&) {
    }
    while (!link.empty() && std::isspace(static_cast<unsigned char>(link.back())))
        link.pop_back();
    if (isAddress(link)) {
        res.status = 302;
        res.set_header("Location", link);
        return;
    }
    if (!link.empty() && link.find_first_of("/\\:") == std::string::npos && link != "." && link != ".." &&
        link != "http://") {
        const std::string page = FindFileNoCase(base_.absolutePath("STORAGE") + id, link);
        if (!page.empty() && FileExists(page)) {
            res.set_header("Cache-Control", "no-store");
            res.set_content(ReadWholeFile(page), MediaTypeOf(page));
            return;
        }
    }
    messagePage(res, 404, "No settings", "The web part \"" + id + "\" has no settings page.");
}

void TPortalServer::serveStatic(const httplib::Request& req, httplib::Response& res)
{
    const TServedFile served = ResolveServedFile(root_, req.path);
    switch (served.kind) {
    case TServedKind::Forbidden:
        SendLog("Refused " + req.path.substr(0, 200) + ": " + served.reason);
        messagePage(res, 403, "Forbidden", "This address is outside the portal's files.");
        return;
    case TServedKind::NotFound:
        messagePage(res, 404, "Not found", "The portal has no file at this address.");
        return;
    case TServedKind::File:
        break;
    }
    try {
        res.set_content(ReadWholeFile(served.path), MediaTypeOf(served.path));
    } catch (const std::exception& e) {
        messagePage(res, 404, "Not found", "The file cannot be read.");
    }
}

} // namespace wpe
