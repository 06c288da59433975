// ombrelsvc, the portal server. Started by the editor (or by hand) for one
// portal folder; only one server runs per portal, marked by its lock.
//
//   ombrelsvc [--portal <dir>] [--max-requests N] [--max-seconds S]
//             [--idle-seconds S] [--log-max-bytes N]
//
// Exit codes: 0 stopped normally, 2 bad arguments or portal, 3 a server already
// runs for this portal, 4 the address is refused, 5 the port cannot be bound.

#include "PortalServer.h"

#include "portal/PortalRoot.h"
#include "portal/ServerLock.h"
#include "util/Exception.h"
#include "util/SendLog.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace wpe;

namespace {

TPortalServer* running = nullptr;

void onSignal(int)
{
    if (running != nullptr)
        running->Stop();
}

bool numberOption(const char* arg, const char* next, const char* name, long long& value)
{
    if (std::strcmp(arg, name) != 0)
        return false;
    char* end = nullptr;
    value = next ? std::strtoll(next, &end, 10) : -1;
    if (next == nullptr || *next == '\0' || *end != '\0' || value < 0)
        throw Exception(std::string("The option ") + name + " needs a number of 0 or more");
    return true;
}

int fail(int code, const std::string& message)
{
    std::fprintf(stderr, "ombrelsvc: %s\n", message.c_str());
    SendLog(message);
    return code;
}

} // namespace

int main(int argc, char** argv)
{
    SetLogSource("ombrelsvc");
    TServerLimits limits;
    long long logMaxBytes = 1 << 20;
    std::string root;
    try {
        for (int i = 1; i < argc; ++i) {
            const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
            long long value = 0;
            if (numberOption(argv[i], next, "--max-requests", value))
                limits.maxRequests = static_cast<std::size_t>(value);
            else if (numberOption(argv[i], next, "--max-seconds", value))
                limits.maxSeconds = value;
            else if (numberOption(argv[i], next, "--idle-seconds", value))
                limits.idleSeconds = value;
            else if (numberOption(argv[i], next, "--log-max-bytes", value))
                logMaxBytes = value;
            else if (std::strcmp(argv[i], "--portal") == 0 || std::strncmp(argv[i], "--portal=", 9) == 0) {
                if (std::strcmp(argv[i], "--portal") == 0)
                    ++i;
                continue;
            } else
                throw Exception(std::string("Unknown option ") + argv[i]);
            ++i;
        }
        // Without a sample to copy, the per-user portal must exist already.
        root = ResolvePortalRoot(PortalRootSourcesOfProcess(argc, argv, std::string()));
    } catch (const std::exception& e) {
        return fail(2, e.what());
    }

    TPortalServerLock lock;
    if (!lock.TryAcquire(PortalServerLockFile(root)))
        return fail(3, "A portal server already runs for the portal " + root + "; this one ends.");
    SetLogFile(root + "/BIN/ombrelsvc.log", static_cast<std::uintmax_t>(logMaxBytes));

    try {
        TPortalServer server(root, limits);
        TServerAddress address;
        try {
            address = LoopbackServerAddress(server.Setting("user/Server"));
        } catch (const std::exception& e) {
            return fail(4, e.what());
        }
        try {
            server.Bind(address);
        } catch (const std::exception& e) {
            return fail(5, e.what());
        }
        running = &server;
        std::signal(SIGINT, onSignal);
        std::signal(SIGTERM, onSignal);
        SendLog("Serving " + root + " at " + ServerUrl(address));
        std::printf("ombrelsvc: serving %s at %s\n", root.c_str(), ServerUrl(address).c_str());
        std::fflush(stdout);
        server.Run();
        running = nullptr;
        SendLog("Stopped");
    } catch (const std::exception& e) {
        running = nullptr;
        return fail(2, e.what());
    }
    return 0;
}
