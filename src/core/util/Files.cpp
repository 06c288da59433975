#include "util/Files.h"

#include "util/Errors.h"
#include "util/Paths.h"
#include "util/PlatformFiles.h"
#include "util/Text.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <thread>


namespace wpe {

namespace fs = std::filesystem;

// ---- Retries against busy files ---------------------------------------------

namespace {

constexpr int kRetries = 100;
constexpr auto kRetryDelay = std::chrono::milliseconds(50);

// Only a failure that can go away by itself is worth waiting for; a missing
// folder or a denied permission is reported at once instead of after five
// seconds.
bool isTransient(int error)
{
    return error == EBUSY || error == ETXTBSY || error == EAGAIN || error == EINTR || error == EMFILE ||
           error == ENFILE;
}

// Calls open() until it succeeds, fails for good, or the retries run out.
template <typename Open>
auto openWithRetries(Open open)
{
    for (int attempt = 0;; ++attempt) {
        errno = 0;
        auto handle = open();
        if (handle || !isTransient(errno) || attempt >= kRetries)
            return handle;
        std::this_thread::sleep_for(kRetryDelay);
    }
}

fs::path toPath(std::string_view path)
{
    return fs::path(NativePath(path));
}

struct FileCloser {
    void operator()(std::FILE* f) const
    {
        if (f)
            std::fclose(f);
    }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

fs::path temporarySibling(const fs::path& target)
{
    return fs::path(TemporarySiblingName(target.string()));
}

// The file a write should land in: a link is followed so that it stays a link.
fs::path writeTarget(const fs::path& path)
{
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(path, ec))) {
        fs::path resolved = fs::weakly_canonical(path, ec);
        if (!ec)
            return resolved;
    }
    return path;
}

// Gives the new file the permissions of the one it replaces.
void copyPermissions(const fs::path& from, const fs::path& to)
{
    std::error_code ec;
    const fs::file_status status = fs::status(from, ec);
    if (!ec && fs::exists(status))
        fs::permissions(to, status.permissions(), fs::perm_options::replace, ec);
}

bool isWritableOrAbsent(const fs::path& target)
{
    return platform::IsWritableOrAbsent(target);
}

bool replaceWith(const fs::path& temp, const fs::path& target)
{
    for (int attempt = 0;; ++attempt) {
        std::error_code ec;
        fs::rename(temp, target, ec);
        if (!ec)
            return true;
        if (!isTransient(ec.value()) || attempt >= kRetries)
            return false;
        std::this_thread::sleep_for(kRetryDelay);
    }
}

// Writes bytes to a fresh temporary file beside target; empty path on failure.
fs::path writeTemporary(const fs::path& target, std::string_view bytes)
{
    const fs::path temp = temporarySibling(target);
    FileHandle f = openWithRetries([&] { return FileHandle(platform::CreateNewFile(temp)); });
    if (!f)
        return {};
    const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f.get()) == bytes.size();
    const bool flushed = written && platform::FlushToDisk(f.get());
    const bool closed = std::fclose(f.release()) == 0;
    if (!(written && flushed && closed)) {
        std::error_code ec;
        fs::remove(temp, ec);
        return {};
    }
    return temp;
}

} // namespace

// ---- Existence and folders --------------------------------------------------

bool FileExists(std::string_view path)
{
    if (path.empty())
        return false;
    std::error_code ec;
    const fs::file_status status = fs::status(toPath(path), ec);
    return !ec && fs::exists(status) && !fs::is_directory(status);
}

bool FolderExists(std::string_view path)
{
    if (path.empty())
        return false;
    std::error_code ec;
    return fs::is_directory(toPath(path), ec);
}

bool ForceDirectories(std::string_view path)
{
    if (path.empty())
        return false;
    const std::string trimmed = WithoutTrailingDelimiter(path);
    const fs::path p = toPath(trimmed.empty() ? path : std::string_view(trimmed));
    std::error_code ec;
    fs::create_directories(p, ec);
    return fs::is_directory(p, ec);
}

std::string TempFolder()
{
    std::error_code ec;
    fs::path temp = fs::temp_directory_path(ec);
    if (ec || temp.empty())
        temp = fs::path("/tmp");
    return WithTrailingBackslash(temp.string());
}

// ---- Deleting a folder tree -------------------------------------------------

bool DeleteFolderTree(std::string_view folder, bool removeFolders)
{
    if (!FolderExists(folder))
        return false;
    const fs::path root = toPath(folder);

    std::error_code ec;
    std::vector<fs::directory_entry> entries;
    for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec))
        entries.push_back(*it);
    if (ec)
        return false;

    bool ok = true;
    for (const fs::directory_entry& entry : entries) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name[0] == '.')
            continue;
        std::error_code entryError;
        // A link is removed itself, never followed: deleting through a link
        // would empty a folder outside this tree.
        const bool isFolder = !entry.is_symlink(entryError) && entry.is_directory(entryError);
        if (isFolder) {
            ok = DeleteFolderTree(entry.path().string(), removeFolders) && ok;
        } else {
            std::error_code removeError;
            ok = fs::remove(entry.path(), removeError) && !removeError && ok;
        }
    }

    if (removeFolders && ok) {
        const fs::path normal = root.lexically_normal();
        if (normal == normal.root_path())
            return ok;
        std::error_code removeError;
        ok = fs::remove(root, removeError) && !removeError;
    }
    return ok;
}

// ---- Whole-file reading and writing -----------------------------------------

namespace {

// Reads an opened file to its end; size is what the file system reported.
std::string readAll(std::FILE* f, std::uintmax_t size, std::string_view fileName)
{
    std::string bytes;
    if (size > 0)
        bytes.reserve(static_cast<std::size_t>(size));
    // Read to the end rather than trusting the size: the file may change
    // under us, and some files report no size at all.
    char buffer[65536];
    for (;;) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, f);
        bytes.append(buffer, got);
        if (got < sizeof buffer) {
            if (std::ferror(f))
                RaiseErrorFmt(kErrReadFile, fileName);
            break;
        }
    }
    return bytes;
}

FileHandle openForReading(const fs::path& path, std::string_view fileName)
{
    FileHandle f = openWithRetries([&] { return FileHandle(platform::OpenFile(path, "rb")); });
    if (!f)
        RaiseErrorFmt(kErrFileLocked, fileName);
    return f;
}

} // namespace

std::string ReadWholeFile(std::string_view fileName)
{
    if (fileName.empty() || !FileExists(fileName))
        RaiseErrorFmt(kErrFileNotFound, fileName);
    const fs::path path = toPath(fileName);
    FileHandle f = openForReading(path, fileName);
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path, ec);
    return readAll(f.get(), ec ? 0 : size, fileName);
}

namespace {

// ReadWholeFile with a size limit, each check on its own: what tells a
// missing file from a busy or refused one when the file cannot be opened.
std::string readLimitedByPath(std::string_view fileName, std::uintmax_t maxSize)
{
    const fs::path path = toPath(fileName);
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (!fs::exists(status))
        RaiseErrorFmt(kErrFileNotFound, fileName);
    // A folder, pipe or device has no size to check and may never end.
    if (!fs::is_regular_file(status))
        RaiseErrorFmt(kErrReadFile, fileName);
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec)
        RaiseErrorFmt(kErrReadFile, fileName);
    if (size > maxSize)
        throw FileTooLarge(std::string(fileName));
    FileHandle f = openForReading(path, fileName);
    std::string bytes = readAll(f.get(), size, fileName);
    // The file may have grown since the size was read.
    if (bytes.size() > maxSize)
        throw FileTooLarge(std::string(fileName));
    return bytes;
}

} // namespace

std::string ReadWholeFile(std::string_view fileName, std::uintmax_t maxSize)
{
    std::string bytes;
    ReadWholeFileInto(fileName, maxSize, bytes);
    return bytes;
}

void ReadWholeFileInto(std::string_view fileName, std::uintmax_t maxSize, std::string& bytes)
{
    if (fileName.empty())
        RaiseErrorFmt(kErrFileNotFound, fileName);
    // The common case costs one open and one size query on the handle.
    switch (platform::ReadRegularFile(NativePath(fileName), maxSize, bytes)) {
    case platform::ReadResult::Ok: return;
    case platform::ReadResult::NotRegular: RaiseErrorFmt(kErrReadFile, fileName);
    case platform::ReadResult::TooLarge: throw FileTooLarge(std::string(fileName));
    case platform::ReadResult::ReadFailed: RaiseErrorFmt(kErrReadFile, fileName);
    case platform::ReadResult::OpenFailed: break;
    }
    bytes = readLimitedByPath(fileName, maxSize);
}

std::string TemporarySiblingName(std::string_view target)
{
    static std::atomic<unsigned> counter{0};
    const fs::path path = toPath(target);
    const std::string name = "." + path.filename().string() + ".tmp" +
                             std::to_string(platform::CurrentProcessId()) + "-" + std::to_string(counter++);
    return (path.parent_path() / name).string();
}

bool ReplaceFile(std::string_view temporary, std::string_view target)
{
    return replaceWith(toPath(temporary), writeTarget(toPath(target)));
}

void WriteWholeFile(std::string_view fileName, std::string_view text)
{
    if (fileName.empty())
        return;
    const fs::path target = writeTarget(toPath(fileName));
    std::error_code ec;
    if (fs::is_directory(target, ec) || !isWritableOrAbsent(target))
        RaiseErrorFmt(kErrFileLocked, fileName);
    const fs::path temp = writeTemporary(target, text);
    if (temp.empty())
        RaiseErrorFmt(kErrFileLocked, fileName);
    copyPermissions(target, temp);
    if (!replaceWith(temp, target)) {
        fs::remove(temp, ec);
        RaiseErrorFmt(kErrFileLocked, fileName);
    }
}

bool CopyFileReplace(std::string_view source, std::string_view target)
{
    if (!FileExists(source) || target.empty())
        return false;
    const fs::path from = toPath(source);
    const fs::path to = writeTarget(toPath(target));
    std::error_code ec;
    if (fs::is_directory(to, ec) || !isWritableOrAbsent(to))
        return false;
    if (fs::exists(to, ec) && fs::equivalent(from, to, ec))
        return true;
    const fs::path temp = temporarySibling(to);
    if (!fs::copy_file(from, temp, fs::copy_options::overwrite_existing, ec) || ec) {
        fs::remove(temp, ec);
        return false;
    }
    if (!replaceWith(temp, to)) {
        fs::remove(temp, ec);
        return false;
    }
    return true;
}

// ---- Listings -----------------------------------------------------------------

std::vector<TFileEntry> ListFileEntries(std::string_view folder)
{
    std::vector<TFileEntry> entries;
    if (!FolderExists(folder))
        return entries;
    std::error_code ec;
    for (fs::directory_iterator it(toPath(folder), ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError))
            continue;
        std::error_code sizeError;
        std::uintmax_t size = it->file_size(sizeError);
        entries.push_back({it->path().filename().string(), sizeError ? 0 : static_cast<std::uint64_t>(size)});
    }
    std::sort(entries.begin(), entries.end(), [](const TFileEntry& a, const TFileEntry& b) { return a.name < b.name; });
    return entries;
}

std::vector<std::string> ListFiles(std::string_view folder)
{
    std::vector<std::string> names;
    if (!FolderExists(folder))
        return names;
    std::error_code ec;
    for (fs::directory_iterator it(toPath(folder), ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->is_regular_file(typeError))
            names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string FindFileNoCase(std::string_view folder, std::string_view name)
{
    if (name.empty() || !FolderExists(folder))
        return {};
    const std::string base = WithTrailingBackslash(NativePath(folder));
    std::error_code ec;
    if (fs::exists(fs::symlink_status(fs::path(base + std::string(name)), ec)))
        return base + std::string(name);
    std::vector<std::string> matches;
    for (fs::directory_iterator it(fs::path(base), ec), end; !ec && it != end; it.increment(ec)) {
        const std::string candidate = it->path().filename().string();
        if (SameAsciiCaseless(candidate, name))
            matches.push_back(candidate);
    }
    if (matches.empty())
        return {};
    // Several spellings can exist side by side; pick one the same way each time.
    return base + *std::min_element(matches.begin(), matches.end());
}

} // namespace wpe
