#include "util/PlatformFiles.h"

#include <cerrno>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <string>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace wpe::platform {

#ifdef _WIN32

std::FILE* OpenFile(const std::filesystem::path& path, const char* mode)
{
    const std::wstring wide(mode, mode + std::char_traits<char>::length(mode));
    return ::_wfopen(path.c_str(), wide.c_str());
}

std::FILE* CreateNewFile(const std::filesystem::path& path)
{
    const int fd = ::_wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return nullptr;
    std::FILE* f = ::_fdopen(fd, "wb");
    if (!f)
        ::_close(fd);
    return f;
}

bool FlushToDisk(std::FILE* f)
{
    return std::fflush(f) == 0 && ::_commit(::_fileno(f)) == 0;
}

bool IsWritableOrAbsent(const std::filesystem::path& path)
{
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    return !std::filesystem::exists(status) ||
           (status.permissions() & std::filesystem::perms::owner_write) != std::filesystem::perms::none;
}

unsigned long CurrentProcessId()
{
    return static_cast<unsigned long>(::_getpid());
}

#else

std::FILE* OpenFile(const std::filesystem::path& path, const char* mode)
{
    return std::fopen(path.c_str(), mode);
}

std::FILE* CreateNewFile(const std::filesystem::path& path)
{
    return std::fopen(path.c_str(), "wbx");
}

bool FlushToDisk(std::FILE* f)
{
    return std::fflush(f) == 0 && ::fsync(::fileno(f)) == 0;
}

bool IsWritableOrAbsent(const std::filesystem::path& path)
{
    return ::access(path.c_str(), F_OK) != 0 || ::access(path.c_str(), W_OK) == 0;
}

unsigned long CurrentProcessId()
{
    return static_cast<unsigned long>(::getpid());
}

#endif

} // namespace wpe::platform
