#include "skin/SkinPackage.h"

#include "skin/SkinFolder.h"
#include "util/Exception.h"
#include "util/Files.h"
#include "util/Paths.h"

#include <zip.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <system_error>

namespace wpe {

namespace fs = std::filesystem;

namespace {

// Seconds since the epoch of the file's last change, or -1.
long long fileTime(const fs::path& path)
{
    std::error_code ec;
    auto t = fs::last_write_time(path, ec);
    if (ec)
        return -1;
    auto sys = std::chrono::file_clock::to_sys(t);
    return std::chrono::duration_cast<std::chrono::seconds>(sys.time_since_epoch()).count();
}

class ZipArchive {
public:
    explicit ZipArchive(const std::string& path) : path_(path)
    {
        int error = 0;
        zip_ = zip_open(NativePath(path).c_str(), ZIP_CREATE, &error);
        if (!zip_) {
            zip_error_t ze;
            zip_error_init_with_code(&ze, error);
            std::string text = zip_error_strerror(&ze);
            zip_error_fini(&ze);
            throw Exception("Cannot write the skin package \"" + path + "\": " + text);
        }
    }
    ~ZipArchive()
    {
        if (zip_)
            zip_discard(zip_);
    }
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // True when the archive has no entry name or the file is newer than it.
    // ZIP keeps times in two-second steps, so the file's time is rounded the
    // same way before comparing; otherwise every build would count as newer.
    bool needsUpdate(const std::string& name, long long mtime) const
    {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat(zip_, name.c_str(), 0, &st) < 0 || !(st.valid & ZIP_STAT_MTIME))
            return true;
        return mtime - (mtime % 2) > static_cast<long long>(st.mtime);
    }

    void put(const std::string& name, const std::string& file)
    {
        zip_source_t* source = zip_source_file(zip_, NativePath(file).c_str(), 0, -1);
        if (!source)
            fail("Cannot read \"" + file + "\"");
        zip_int64_t index = zip_file_add(zip_, name.c_str(), source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            fail("Cannot add \"" + name + "\"");
        }
        if (zip_set_file_compression(zip_, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 9) < 0)
            fail("Cannot compress \"" + name + "\"");
    }

    void close()
    {
        if (zip_close(zip_) < 0)
            fail("Cannot write the skin package \"" + path_ + "\"");
        zip_ = nullptr;
    }

private:
    [[noreturn]] void fail(const std::string& what)
    {
        throw Exception(what + ": " + zip_strerror(zip_));
    }

    std::string path_;
    zip_t* zip_ = nullptr;
};

} // namespace

std::string SkinPackagePath(const std::string& skinFolder, const std::string& skinName)
{
    return WithTrailingBackslash(skinFolder) + skinName + ".zip";
}

std::vector<TPackageEntry> SkinPackageEntries(const std::string& skinFolder, const std::string& skinName)
{
    const std::string folder = WithTrailingBackslash(skinFolder);
    std::vector<TPackageEntry> entries;
    if (std::string skinFile = FindSkinFile(folder, skinName); !skinFile.empty())
        entries.push_back({skinName + ".cso", skinFile});
    for (const char* name : {"skin.xsl", "skin.css"})
        if (FileExists(folder + name))
            entries.push_back({name, folder + name});

    const fs::path files = fs::path(NativePath(folder + "files"));
    std::vector<TPackageEntry> below;
    std::error_code ec;
    if (fs::is_directory(files, ec)) {
        for (fs::recursive_directory_iterator it(files, ec), end; !ec && it != end; it.increment(ec)) {
            if (!it->is_regular_file(ec))
                continue;
            std::string rel = it->path().lexically_relative(files).generic_string();
            below.push_back({"files/" + rel, it->path().string()});
        }
    }
    std::sort(below.begin(), below.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    entries.insert(entries.end(), below.begin(), below.end());
    return entries;
}

int PackageSkin(const std::string& skinFolder, const std::string& skinName)
{
    const auto entries = SkinPackageEntries(skinFolder, skinName);
    ZipArchive zip(SkinPackagePath(skinFolder, skinName));
    int written = 0;
    for (const auto& e : entries) {
        if (!zip.needsUpdate(e.name, fileTime(fs::path(NativePath(e.path)))))
            continue;
        zip.put(e.name, e.path);
        ++written;
    }
    zip.close();
    return written;
}

} // namespace wpe
