#pragma once
// The marker of a running portal server: a lock file that the server holds
// while it runs. The system releases it when the server ends, however it
// ends, so a crashed server never leaves the portal marked as running.
// This is the one file with the platform's file-locking calls.

#include <string>

namespace wpe {

inline constexpr const char* kPortalServerLockName = "TolvStartPageListener";

// PORTAL/TolvStartPageListener.lock under the portal root.
std::string PortalServerLockFile(const std::string& portalRoot);

class TPortalServerLock {
public:
    TPortalServerLock() = default;
    ~TPortalServerLock();
    TPortalServerLock(const TPortalServerLock&) = delete;
    TPortalServerLock& operator=(const TPortalServerLock&) = delete;

    // Takes the lock without waiting; false when another holder has it or the
    // file cannot be created.
    bool TryAcquire(const std::string& lockFile);
    void Release();
    bool Held() const { return handle_ >= 0; }

private:
    long long handle_ = -1;
};

// True when a portal server holds the lock of this portal. An error while
// testing counts as running, so a second server is never started over it.
bool IsPortalServerRunning(const std::string& portalRoot);

} // namespace wpe
