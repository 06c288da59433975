#pragma once
// Answers the program's questions from a script and records what was shown.

#include "util/Dialogs.h"

#include <deque>
#include <string>
#include <vector>

namespace wpe::test {

class ScriptedDialogs : public IDialogs {
public:
    ScriptedDialogs() { SetDialogs(this); }
    ~ScriptedDialogs() override { SetDialogs(nullptr); }

    struct Shown {
        MsgKind kind;
        std::string text;
        MsgButtons buttons;
    };

    // Queued answers; an empty queue answers Ok / Cancel / No.
    std::deque<MsgResult> answers;
    std::deque<std::optional<std::string>> openFiles;
    std::deque<std::optional<std::string>> saveFiles;
    std::deque<std::optional<std::string>> folders;
    std::vector<std::pair<std::string, std::string>> folderRequests;  // title, initial folder
    std::vector<Shown> shown;
    std::vector<FileDialogOptions> openRequests;
    std::vector<FileDialogOptions> saveRequests;

    MsgResult Ask(MsgKind kind, const std::string& text, MsgButtons buttons) override
    {
        shown.push_back({kind, text, buttons});
        if (!answers.empty()) {
            MsgResult r = answers.front();
            answers.pop_front();
            return r;
        }
        switch (buttons) {
        case MsgButtons::Ok: return MsgResult::Ok;
        case MsgButtons::YesNo: return MsgResult::No;
        default: return MsgResult::Cancel;
        }
    }
    std::optional<std::string> ChooseOpenFile(const FileDialogOptions& o) override
    {
        openRequests.push_back(o);
        if (openFiles.empty())
            return std::nullopt;
        auto r = openFiles.front();
        openFiles.pop_front();
        return r;
    }
    std::optional<std::string> ChooseSaveFile(const FileDialogOptions& o) override
    {
        saveRequests.push_back(o);
        if (saveFiles.empty())
            return std::nullopt;
        auto r = saveFiles.front();
        saveFiles.pop_front();
        return r;
    }
    std::optional<std::string> ChooseFolder(const std::string& title, const std::string& initialDir) override
    {
        folderRequests.emplace_back(title, initialDir);
        if (folders.empty())
            return std::nullopt;
        auto r = folders.front();
        folders.pop_front();
        return r;
    }

    std::vector<std::string> Texts() const
    {
        std::vector<std::string> t;
        for (const auto& s : shown)
            t.push_back(s.text);
        return t;
    }
};

} // namespace wpe::test
