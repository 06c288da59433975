#include "util/PlatformFiles.h"

#include <algorithm>
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

ReadResult ReadRegularFile(const std::string& path, std::uintmax_t maxSize, std::string& bytes)
{
    const int fd = ::_wopen(std::filesystem::path(path).c_str(), _O_RDONLY | _O_BINARY);
    if (fd < 0)
        return ReadResult::OpenFailed;
    struct _stat64 st;
    if (::_fstat64(fd, &st) != 0 || (st.st_mode & _S_IFMT) != _S_IFREG) {
        ::_close(fd);
        return ReadResult::NotRegular;
    }
    if (static_cast<std::uintmax_t>(st.st_size) > maxSize) {
        ::_close(fd);
        return ReadResult::TooLarge;
    }
    bytes.resize(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t got = 0;
    for (;;) {
        if (got == bytes.size()) {
            if (got > maxSize)
                break;
            bytes.resize(got * 2 + 4096);
        }
        const unsigned room = static_cast<unsigned>(std::min<std::size_t>(bytes.size() - got, 1u << 30));
        const int n = ::_read(fd, bytes.data() + got, room);
        if (n < 0) {
            ::_close(fd);
            return ReadResult::ReadFailed;
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    ::_close(fd);
    bytes.resize(got);
    return got > maxSize ? ReadResult::TooLarge : ReadResult::Ok;
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

ReadResult ReadRegularFile(const std::string& path, std::uintmax_t maxSize, std::string& bytes)
{
    // Non-blocking so that a pipe's open returns at once; it is then refused.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return ReadResult::OpenFailed;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return ReadResult::NotRegular;
    }
    if (static_cast<std::uintmax_t>(st.st_size) > maxSize) {
        ::close(fd);
        return ReadResult::TooLarge;
    }
    // One byte more than the size, and on to the end: the file may have grown.
    bytes.resize(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t got = 0;
    for (;;) {
        if (got == bytes.size()) {
            if (got > maxSize)
                break;
            bytes.resize(got * 2 + 4096);
        }
        const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            return ReadResult::ReadFailed;
        }
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    bytes.resize(got);
    return got > maxSize ? ReadResult::TooLarge : ReadResult::Ok;
}

#endif

} // namespace wpe::platform
