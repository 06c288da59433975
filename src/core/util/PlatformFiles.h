#pragma once
// The file calls that differ between POSIX systems and Windows, in one place:
// opening by path (Windows takes wide names), creating a file that must not
// exist yet, flushing to disk, and asking whether a file may be written.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

namespace wpe::platform {

// std::fopen over a path in the system's own encoding; mode as std::fopen's.
std::FILE* OpenFile(const std::filesystem::path& path, const char* mode);
// Creates path for binary writing; fails (nullptr, errno EEXIST) when
// anything already has that name.
std::FILE* CreateNewFile(const std::filesystem::path& path);
// Flushes the stream and asks the system to put its data on disk.
bool FlushToDisk(std::FILE* f);
// True when nothing has that name or the current user may write it.
bool IsWritableOrAbsent(const std::filesystem::path& path);
// How ReadRegularFile ended.
enum class ReadResult { Ok, OpenFailed, NotRegular, TooLarge, ReadFailed };
// Reads a whole regular file through one handle (open, size, read to the
// end), into bytes, whose memory is reused. The path is in the system's own
// encoding. Opening never blocks on a pipe. OpenFailed leaves errno set;
// TooLarge is given before reading when the size says so, and after it
// when the file grew past maxSize.
ReadResult ReadRegularFile(const std::string& path, std::uintmax_t maxSize, std::string& bytes);
// The running process's id, to keep temporary names of two processes apart.
unsigned long CurrentProcessId();

} // namespace wpe::platform
