#pragma once
// Starting the real ombrelsvc for a test, and plain HTTP requests to it over
// a socket, so that nothing on the client side tidies a request up.

#include "PortalTestSupport.h"

#include "portal/PortalBase.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace wpe::test {

// A port that was free a moment ago on the loopback.
inline int FreeLoopbackPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

struct THttpReply {
    int status = 0;
    std::string headers;
    std::string body;
};

// Sends raw request bytes and reads the reply until the server closes;
// bounded by a few seconds. Status 0 when nothing came back.
inline THttpReply RawRequest(int port, const std::string& request)
{
    THttpReply reply;
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(fd);
        return reply;
    }
    std::size_t sent = 0;
    while (sent < request.size()) {
        const ssize_t n = ::send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            break;  // the server may answer and close before taking everything
        sent += static_cast<std::size_t>(n);
    }
    std::string all;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    char buffer[16384];
    while (std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 200) <= 0)
            continue;
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        all.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    const std::size_t end = all.find("\r\n\r\n");
    if (all.rfind("HTTP/1.", 0) != 0 || end == std::string::npos)
        return reply;
    reply.status = std::stoi(all.substr(9, 3));
    reply.headers = all.substr(0, end);
    reply.body = all.substr(end + 4);
    return reply;
}

inline THttpReply Get(int port, const std::string& target)
{
    return RawRequest(port, "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
}

// One run of ombrelsvc; killed at the end of the test if still running.
class TServerProcess {
public:
    TServerProcess(const fs::path& root, std::vector<std::string> extra = {}) : stderrFile_(root.string() + ".stderr")
    {
        std::vector<std::string> args{WPE_PORTAL_SERVER, "--portal", root.string(), "--max-seconds", "120",
                                      "--idle-seconds", "60"};
        args.insert(args.end(), extra.begin(), extra.end());
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, stderrFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        // In a sanitizer build a leak report must not change the exit codes these
        // tests read; the report still goes to the server's stderr file.
        std::vector<std::string> env;
        std::string lsan = "LSAN_OPTIONS=exitcode=0";
        for (char** e = environ; *e != nullptr; ++e) {
            if (std::strncmp(*e, "LSAN_OPTIONS=", 13) == 0)
                lsan = std::string(*e) + ":exitcode=0";
            else
                env.emplace_back(*e);
        }
        env.push_back(lsan);
        std::vector<char*> envp;
        for (auto& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~TServerProcess()
    {
        if (pid_ > 0 && !exited_) {
            ::kill(pid_, SIGTERM);
            Wait(5);
        }
    }

    // Waits until the port answers; false when the server ended or took too long.
    bool WaitUntilListening(int port)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (std::chrono::steady_clock::now() < deadline) {
            if (Exited())
                return false;
            const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in a{};
            a.sin_family = AF_INET;
            a.sin_port = htons(static_cast<uint16_t>(port));
            a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
            ::close(fd);
            if (ok)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }

    bool Exited()
    {
        if (exited_)
            return true;
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            exited_ = true;
            code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        return exited_;
    }

    // The exit code, or -1 when it is still running after seconds.
    int Wait(int seconds)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (!Exited() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return exited_ ? code_ : -1;
    }

    std::string Stderr() const { return ReadFileBytes(stderrFile_); }

private:
    pid_t pid_ = -1;
    bool exited_ = false;
    int code_ = -1;
    std::string stderrFile_;
};

// A copy of the sample portal whose server address is a free loopback port.
class ServedPortalTest : public PortalCopyTest {
protected:
    void SetUp() override
    {
        PortalCopyTest::SetUp();
        if (IsSkipped())
            return;
        port_ = FreeLoopbackPort();
        TPortalBase base(root_.string());
        base.setElement("user/Server", "http://127.0.0.1:" + std::to_string(port_) + "/");
    }

    // Starts the server and waits for it; fails the test when it does not come up.
    std::unique_ptr<TServerProcess> start(std::vector<std::string> extra = {})
    {
        auto server = std::make_unique<TServerProcess>(root_, std::move(extra));
        EXPECT_TRUE(server->WaitUntilListening(port_)) << server->Stderr();
        return server;
    }

    int port_ = 0;
};

} // namespace wpe::test
