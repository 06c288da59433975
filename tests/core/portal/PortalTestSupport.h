#pragma once
// Shared pieces of the portal tests: temporary folders and a private copy of
// the sample portal.

#include "portal/BaseITF.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace wpe::test {

namespace fs = std::filesystem;

class TTempDir {
public:
    TTempDir()
    {
        std::random_device device;
        path_ = fs::temp_directory_path() / ("wpe-portal-" + std::to_string(device()) + std::to_string(device()));
        fs::create_directories(path_);
    }
    ~TTempDir()
    {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    const fs::path& path() const { return path_; }
    std::string str() const { return path_.string(); }

private:
    fs::path path_;
};

inline std::string ReadFileBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline void WriteFileBytes(const fs::path& path, const std::string& bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// A folder named by an environment variable, else the one beside the sources
// (so the tests also find their data when a runner passes no environment).
inline fs::path EnvOrSourceFolder(const char* variable, const fs::path& besideSources)
{
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0')
        return fs::path(value);
    const fs::path fallback = fs::path(__FILE__).parent_path() / besideSources;
    std::error_code ec;
    return fs::is_directory(fallback, ec) ? fallback : fs::path();
}

// The shipped sample portal, or an empty path when it cannot be found.
inline fs::path SamplePortal()
{
    const fs::path data = EnvOrSourceFolder("WPE_DATA_DIR", "../../../data");
    return data.empty() ? data : data / "portal";
}

// The real-world sample files, or an empty path when absent.
inline fs::path CorpusFolder()
{
    return EnvOrSourceFolder("WPE_CORPUS_DIR", "../../../../shared/corpus");
}

// A test with its own copy of the sample portal in a temporary folder.
class PortalCopyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const fs::path sample = SamplePortal();
        if (sample.empty() || !fs::exists(sample / "PORTAL" / "desk.xml"))
            GTEST_SKIP() << "the sample portal (WPE_DATA_DIR) is missing";
        root_ = dir_.path() / "portal";
        fs::copy(sample, root_, fs::copy_options::recursive);
    }

    // The process-wide portal must not outlive the copy it was opened on.
    void TearDown() override { CloseBase(); }

    fs::path deskFile() const { return root_ / "PORTAL" / "desk.xml"; }
    fs::path settingsFile() const { return root_ / "PORTAL" / "portal.xml"; }

    TTempDir dir_;
    fs::path root_;
};

} // namespace wpe::test
