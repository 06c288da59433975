#pragma once
// Shared pieces of the fuzz targets.
#include "util/Dialogs.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace wpe::fuzz {

// Answers every question with OK and shows nothing, so fuzz runs stay quiet.

class QuietDialogs final : public IDialogs {
public:
    MsgResult Ask(MsgKind, const std::string&, MsgButtons) override { return MsgResult::Ok; }
    std::optional<std::string> ChooseOpenFile(const FileDialogOptions&) override { return {}; }
    std::optional<std::string> ChooseSaveFile(const FileDialogOptions&) override { return {}; }
    std::optional<std::string> ChooseFolder(const std::string&, const std::string&) override { return {}; }
};

// A fresh folder for the run, ending in "/", removed when the run ends.
// Under $TMPDIR when set, so a long run can put its per-input writes on a
// memory file system.
inline std::string TempDir(const char* name)
{
    struct Folders {
        std::vector<std::string> paths;
        ~Folders()
        {
            for (const std::string& path : paths) {
                std::error_code ignored;
                std::filesystem::remove_all(path, ignored);
            }
        }
    };
    static Folders folders;
    const char* base = std::getenv("TMPDIR");
    std::string templ = std::string(base && *base ? base : "/tmp") + "/wpe-fuzz-" + name + "-XXXXXX";
    if (!mkdtemp(templ.data()))
        std::abort();
    folders.paths.push_back(templ);
    return templ + "/";
}

// Stops the run with a reason when a target's own check fails.
[[noreturn]] inline void Fail(const char* why)
{
    std::fprintf(stderr, "fuzz check failed: %s\n", why);
    std::abort();
}

} // namespace wpe::fuzz
