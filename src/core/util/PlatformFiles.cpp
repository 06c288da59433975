#include "util/PlatformFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <string>
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

namespace {

// Reads on past the size taken at open (the file may have grown), one byte
// more than the largest size allowed, so a file that grew too large is seen.
// readSome(buffer, room) returns the bytes read, 0 at the end, -1 on an error.
template <class ReadSome>
ReadResult ReadToEnd(std::uintmax_t size, std::uintmax_t maxSize, std::string& bytes, ReadSome readSome)
{
    if (size > maxSize)
        return ReadResult::TooLarge;
    bytes.resize(static_cast<std::size_t>(size) + 1);
    std::size_t got = 0;
    for (;;) {
        if (got == bytes.size()) {
            if (got > maxSize)
                break;
            bytes.resize(got * 2 + 4096);
        }
        const auto n = readSome(bytes.data() + got, bytes.size() - got);
        if (n < 0)
            return ReadResult::ReadFailed;
        if (n == 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return got > maxSize ? ReadResult::TooLarge : ReadResult::Ok;
}

} // namespace

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
    const ReadResult result =
        ReadToEnd(static_cast<std::uintmax_t>(st.st_size), maxSize, bytes, [fd](char* buffer, std::size_t room) {
            return ::_read(fd, buffer, static_cast<unsigned>(std::min<std::size_t>(room, 1u << 30)));
        });
    ::_close(fd);
    return result;
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
    const ReadResult result =
        ReadToEnd(static_cast<std::uintmax_t>(st.st_size), maxSize, bytes, [fd](char* buffer, std::size_t room) {
            ssize_t n;
            do
                n = ::read(fd, buffer, room);
            while (n < 0 && errno == EINTR);
            return n;
        });
    ::close(fd);
    return result;
}

#endif

} // namespace wpe::platform
