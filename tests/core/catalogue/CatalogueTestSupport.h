#pragma once
// Shared helpers of the catalogue tests: a temporary storage folder, web part
// files made from a few fields, and a dialog seam that records messages.

#include "catalogue/Catalogue.h"
#include "util/Dialogs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace wpe::test {

namespace fs = std::filesystem;

inline std::string ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

inline void WriteBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

struct PartFields {
    std::string title;
    std::vector<std::string> categories;
    std::string language{};
    std::string popularity{};
    std::string description{};
};

// A web part file in the layout the editor writes.
inline std::string WebPartXml(const PartFields& p)
{
    std::string s = "<?xml version=\"1.0\" encoding=\"WINDOWS-1251\" ?>\r\n<WebPart>\r\n";
    for (const auto& c : p.categories)
        s += "  <Category>" + c + "</Category>\r\n";
    if (!p.description.empty())
        s += "  <Description>" + p.description + "</Description>\r\n";
    if (!p.language.empty())
        s += "  <Language>" + p.language + "</Language>\r\n";
    if (!p.popularity.empty())
        s += "  <Popularity>" + p.popularity + "</Popularity>\r\n";
    s += "  <Title>" + p.title + "</Title>\r\n</WebPart>";
    return s;
}

// A fresh folder under the temporary folder, removed at the end of the test;
// it holds "storage/" and "program/".
class TempFolder {
public:
    TempFolder()
    {
        static std::atomic<int> counter{0};
        root_ = fs::temp_directory_path() /
                ("wpe-catalogue-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        fs::remove_all(root_);
        fs::create_directories(root_ / "storage");
        fs::create_directories(root_ / "program");
    }
    ~TempFolder()
    {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    fs::path Root() const { return root_; }
    fs::path Storage() const { return root_ / "storage"; }
    fs::path Program() const { return root_ / "program"; }
    std::string StorageDir() const { return Storage().string() + "/"; }
    std::string ProgramDir() const { return Program().string() + "/"; }
    std::string Part(const std::string& name, const PartFields& fields) const
    {
        const fs::path path = Storage() / name;
        WriteBytes(path, WebPartXml(fields));
        return path.string();
    }

private:
    fs::path root_;
};

// Records every message; answers questions with a fixed button.
class RecordingDialogs : public IDialogs {
public:
    RecordingDialogs() { SetDialogs(this); }
    ~RecordingDialogs() override { SetDialogs(nullptr); }
    MsgResult Ask(MsgKind kind, const std::string& text, MsgButtons) override
    {
        kinds.push_back(kind);
        messages.push_back(text);
        return MsgResult::Ok;
    }
    std::optional<std::string> ChooseOpenFile(const FileDialogOptions&) override { return std::nullopt; }
    std::optional<std::string> ChooseSaveFile(const FileDialogOptions&) override { return std::nullopt; }
    std::optional<std::string> ChooseFolder(const std::string&, const std::string&) override { return std::nullopt; }

    std::vector<MsgKind> kinds;
    std::vector<std::string> messages;
};

// The texts of a level of a tree (null parent: the top level), "*" marking web part nodes.
inline std::vector<std::string> Level(const TCatTree& tree, const TCatNode* parent = nullptr)
{
    std::vector<std::string> out;
    for (size_t i = 0; i < tree.Count(parent); ++i) {
        const TCatNode* n = tree.Child(parent, i);
        out.push_back(n->IsWebPart() ? "*" + n->Text() : n->Text());
    }
    return out;
}

// The whole tree in tree order as "path|*title" lines, for compact comparisons.
inline std::vector<std::string> Outline(const TCatTree& tree)
{
    std::vector<std::string> out;
    tree.ForEach([&](TCatNode* n) {
        std::string line(static_cast<size_t>(2 * n->Level()), ' ');
        out.push_back(line + (n->IsWebPart() ? "*" : "") + n->Text());
    });
    return out;
}

} // namespace wpe::test
