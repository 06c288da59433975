#pragma once
// The program runs once per user: a lock file named "VantorelDevKit" in the
// user's runtime folder (or the temporary folder) is held for the program's
// life. A lock left behind by a crashed copy is taken over. The running copy
// listens on a local channel, so a second start can hand it the files named
// on its command line before it ends.

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLocalServer;
class QLockFile;

namespace wpe {

class TSingleInstance {
public:
    TSingleInstance();
    ~TSingleInstance();

    // True when this process now holds the lock; false when another running
    // copy holds it.
    bool Acquire();
    // Where the lock file lives.
    static QString LockPath();
    // The local channel's name (a socket beside the lock file here).
    static QString ChannelName();

    // Starts listening for hand-overs (only while holding the lock); every
    // message's paths go to receive. False when the channel cannot be opened.
    bool Listen(std::function<void(const std::vector<std::string>&)> receive);
    // Sends paths to the running copy, trying for up to timeoutMs while it is
    // still starting. True when the message was delivered.
    static bool HandOver(const std::vector<std::string>& paths, int timeoutMs = 10000);

private:
    std::unique_ptr<QLockFile> lock_;
    std::unique_ptr<QLocalServer> server_;
    std::function<void(const std::vector<std::string>&)> receive_;
};

} // namespace wpe
