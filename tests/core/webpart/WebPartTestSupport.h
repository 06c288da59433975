#pragma once
// Shared pieces of the web part document tests: a scripted dialog that
// records what it was asked, and temporary program folders with a template.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "util/Dialogs.h"

namespace wpe::test {

// Answers every question with OK and remembers it.
class RecordingDialogs : public IDialogs {
public:
    struct Question {
        MsgKind kind;
        std::string text;
        MsgButtons buttons;
    };
    RecordingDialogs() { SetDialogs(this); }
    ~RecordingDialogs() override { SetDialogs(nullptr); }

    MsgResult Ask(MsgKind kind, const std::string& text, MsgButtons buttons) override {
        asked.push_back({kind, text, buttons});
        return MsgResult::Ok;
    }
    std::optional<std::string> ChooseOpenFile(const FileDialogOptions&) override { return std::nullopt; }
    std::optional<std::string> ChooseSaveFile(const FileDialogOptions&) override { return std::nullopt; }
    std::optional<std::string> ChooseFolder(const std::string&, const std::string&) override { return std::nullopt; }

    std::vector<Question> asked;
};

// A fresh folder under the system's temporary folder, removed at the end.
class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "wpe-webpart-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string Path() const { return path_.string() + "/"; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream out(path_ / name, std::ios::binary);
        out << bytes;
    }

private:
    std::filesystem::path path_;
};

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The folder of an environment variable, or nothing when it is not set.
inline std::optional<std::string> EnvDir(const char* name) {
    const char* v = std::getenv(name);
    if (!v || !*v) return std::nullopt;
    return std::string(v) + "/";
}

} // namespace wpe::test
