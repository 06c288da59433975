#include "portal/ServerLock.h"

#include "util/Paths.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace wpe {

std::string PortalServerLockFile(const std::string& portalRoot)
{
    return WithTrailingBackslash(NativePath(portalRoot)) + "PORTAL" + kPathDelim + kPortalServerLockName + ".lock";
}

TPortalServerLock::~TPortalServerLock()
{
    Release();
}

#ifdef _WIN32

bool TPortalServerLock::TryAcquire(const std::string& lockFile)
{
    Release();
    HANDLE h = CreateFileA(lockFile.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    handle_ = reinterpret_cast<long long>(h);
    return true;
}

void TPortalServerLock::Release()
{
    if (handle_ >= 0)
        CloseHandle(reinterpret_cast<HANDLE>(handle_));
    handle_ = -1;
}

#else

bool TPortalServerLock::TryAcquire(const std::string& lockFile)
{
    Release();
    const int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    handle_ = fd;
    return true;
}

void TPortalServerLock::Release()
{
    if (handle_ >= 0)
        ::close(static_cast<int>(handle_));
    handle_ = -1;
}

#endif

bool IsPortalServerRunning(const std::string& portalRoot)
{
    TPortalServerLock probe;
    return !probe.TryAcquire(PortalServerLockFile(portalRoot));
}

} // namespace wpe
