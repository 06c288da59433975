#pragma once
// The file calls that differ between POSIX systems and Windows, in one place:
// opening by path (Windows takes wide names), creating a file that must not
// exist yet, flushing to disk, and asking whether a file may be written.

#include <cstdio>
#include <filesystem>

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
// The running process's id, to keep temporary names of two processes apart.
unsigned long CurrentProcessId();

} // namespace wpe::platform
