#include "util/Dialogs.h"

#include <cstdio>

namespace wpe {
namespace {

class StderrDialogs final : public IDialogs {
public:
    MsgResult Ask(MsgKind, const std::string& text, MsgButtons buttons) override {
        std::fprintf(stderr, "%s\n", text.c_str());
        switch (buttons) {
        case MsgButtons::Ok: return MsgResult::Ok;
        case MsgButtons::YesNo: return MsgResult::No;
        case MsgButtons::OkCancel:
        case MsgButtons::YesNoCancel: return MsgResult::Cancel;
        }
        return MsgResult::Cancel;
    }
    std::optional<std::string> ChooseOpenFile(const FileDialogOptions&) override { return std::nullopt; }
    std::optional<std::string> ChooseSaveFile(const FileDialogOptions&) override { return std::nullopt; }
    std::optional<std::string> ChooseFolder(const std::string&, const std::string&) override { return std::nullopt; }
};

StderrDialogs gFallback;
IDialogs* gDialogs = nullptr;

} // namespace

IDialogs& Dialogs() { return gDialogs ? *gDialogs : gFallback; }
void SetDialogs(IDialogs* dialogs) { gDialogs = dialogs; }

} // namespace wpe
