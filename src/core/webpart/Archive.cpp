#include "webpart/Archive.h"

#include "util/Exception.h"
#include "util/Files.h"

#include <zip.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace wpe {

const std::vector<std::string> kLinkFieldNames = {
    "ContentLink", "CustomizationLink", "DetailLink", "MasterPartLink", "XSLLink"};

namespace {

// ---- paths ----

std::string stemOf(const std::string& path) {
    return fs::path(path).stem().string();
}

std::string withSlash(std::string folder) {
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

std::string folderOf(const std::string& path) {
    fs::path parent = fs::path(path).parent_path();
    return parent.empty() ? std::string() : withSlash(parent.string());
}

// The local file a link text names, or empty: absolute paths and file:// URLs.
std::string localFileOf(const std::string& text) {
    std::string path = text;
    if (path.rfind("file://", 0) == 0)
        path = path.substr(7);
    if (path.empty() || !fs::path(path).is_absolute())
        return {};
    std::error_code ec;
    return fs::is_regular_file(path, ec) ? path : std::string();
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    return fs::exists(a, ec) && fs::exists(b, ec) && fs::equivalent(a, b, ec);
}

// The copy goes through a temporary file, so a failed copy never leaves half a file.
void copyReplacing(const std::string& from, const std::string& to) {
    if (!CopyFileReplace(from, to))
        throw Exception("Cannot copy \"" + from + "\" to \"" + to + "\"");
}

// ---- ZIP ----

class ZipWriter {
public:
    explicit ZipWriter(const std::string& path) : path_(path) {
        int error = 0;
        zip_ = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
        if (!zip_) {
            zip_error_t ze;
            zip_error_init_with_code(&ze, error);
            std::string text = zip_error_strerror(&ze);
            zip_error_fini(&ze);
            throw Exception("Cannot create archive \"" + path + "\": " + text);
        }
    }
    ~ZipWriter() {
        if (zip_)
            zip_discard(zip_);
    }
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    void addFile(const std::string& entry, const std::string& file) {
        zip_source_t* source = zip_source_file(zip_, file.c_str(), 0, -1);
        if (!source)
            fail("Cannot read \"" + file + "\"");
        zip_int64_t index = zip_file_add(zip_, entry.c_str(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            fail("Cannot add \"" + entry + "\"");
        }
        if (zip_set_file_compression(zip_, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 0) < 0)
            fail("Cannot compress \"" + entry + "\"");
    }

    void close() {
        if (zip_close(zip_) < 0)
            fail("Cannot write archive \"" + path_ + "\"");
        zip_ = nullptr;
    }

private:
    [[noreturn]] void fail(const std::string& what) {
        throw Exception(what + ": " + zip_strerror(zip_));
    }

    std::string path_;
    zip_t* zip_ = nullptr;
};

class ZipReader {
public:
    explicit ZipReader(const std::string& path) {
        int error = 0;
        zip_ = zip_open(path.c_str(), ZIP_RDONLY, &error);
        if (!zip_)
            throw Exception("Cannot open archive \"" + path + "\"");
    }
    ~ZipReader() { zip_discard(zip_); }
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;
    zip_t* get() const { return zip_; }

private:
    zip_t* zip_ = nullptr;
};

// Every regular file below folder, as paths relative to it with "/", sorted
// so that archives of the same folder come out the same.
std::vector<std::string> filesBelow(const fs::path& folder) {
    std::vector<std::string> result;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (it->is_regular_file(ec))
            result.push_back(fs::relative(it->path(), folder).generic_string());
    }
    if (ec)
        throw Exception("Cannot read folder \"" + folder.string() + "\": " + ec.message());
    std::sort(result.begin(), result.end());
    return result;
}

} // namespace

std::string PartFolderOf(const std::string& partPath) {
    std::string name = stemOf(partPath);
    return name.empty() ? std::string() : folderOf(partPath) + name + "/";
}

std::string ArchivePathOf(const std::string& partPath) {
    std::string name = stemOf(partPath);
    return name.empty() ? std::string() : folderOf(partPath) + name + ".cwp";
}

void CopyLinkedFiles(const std::string& partPath, std::vector<LinkField>& fields) {
    std::string folder = PartFolderOf(partPath);
    if (folder.empty())
        return;
    std::string ownName = fs::path(partPath).filename().string();
    for (const std::string& name : kLinkFieldNames) {
        for (LinkField& field : fields) {
            if (field.name != name)
                continue;
            if (name == "MasterPartLink" && field.text == ownName)
                continue;
            std::string source = localFileOf(field.text);
            if (source.empty() || (name == "MasterPartLink" && sameFile(source, partPath)))
                continue;
            std::error_code ec;
            if (!fs::is_directory(folder, ec)) {
                fs::create_directory(folder, ec);
                if (ec || !fs::is_directory(folder, ec))
                    throw Exception("Cannot create directory \"" + folder + "\"");
            }
            std::string bare = fs::path(source).filename().string();
            std::string target = folder + bare;
            if (!sameFile(source, target))
                copyReplacing(source, target);
            field.text = bare;
            field.changed = true;
        }
    }
}

std::string WritePartArchive(const std::string& partPath) {
    std::string archive = ArchivePathOf(partPath);
    if (archive.empty())
        throw Exception("Cannot make an archive of an unnamed web part");
    std::string name = stemOf(partPath);
    fs::path folder = PartFolderOf(partPath);
    std::string temp = TemporarySiblingName(archive);
    try {
        ZipWriter zip(temp);
        std::error_code ec;
        if (fs::is_regular_file(partPath, ec))
            zip.addFile(fs::path(partPath).filename().string(), partPath);
        if (fs::is_directory(folder, ec)) {
            for (const std::string& relative : filesBelow(folder))
                zip.addFile(name + "/" + relative, (folder / relative).string());
        }
        zip.close();
        // An empty archive is not written by libzip at all; make it a file anyway.
        if (!fs::exists(temp, ec)) {
            std::ofstream empty(temp, std::ios::binary);
            static const char kEmptyZip[22] = {'P', 'K', 5, 6};
            empty.write(kEmptyZip, sizeof kEmptyZip);
            if (!empty)
                throw Exception("Cannot write archive \"" + archive + "\"");
        }
        if (!ReplaceFile(temp, archive))
            throw Exception("Cannot replace archive \"" + archive + "\"");
    } catch (...) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        throw;
    }
    return archive;
}

std::vector<std::string> ArchiveEntryNames(const std::string& archivePath) {
    ZipReader zip(archivePath);
    std::vector<std::string> names;
    zip_int64_t count = zip_get_num_entries(zip.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const char* entry = zip_get_name(zip.get(), static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW);
        names.push_back(entry ? entry : "");
    }
    return names;
}

std::string ReadArchiveEntry(const std::string& archivePath, const std::string& entryName) {
    ZipReader zip(archivePath);
    zip_stat_t stat;
    if (zip_stat(zip.get(), entryName.c_str(), 0, &stat) < 0)
        throw Exception("No entry \"" + entryName + "\" in \"" + archivePath + "\"");
    zip_file_t* file = zip_fopen(zip.get(), entryName.c_str(), 0);
    if (!file)
        throw Exception("Cannot read entry \"" + entryName + "\" of \"" + archivePath + "\"");
    std::string bytes(static_cast<size_t>(stat.size), '\0');
    zip_int64_t got = bytes.empty() ? 0 : zip_fread(file, bytes.data(), bytes.size());
    zip_fclose(file);
    if (got < 0 || static_cast<zip_uint64_t>(got) != stat.size)
        throw Exception("Cannot read entry \"" + entryName + "\" of \"" + archivePath + "\"");
    return bytes;
}

} // namespace wpe
