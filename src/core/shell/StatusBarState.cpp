#include "shell/StatusBarState.h"

namespace wpe {

void StatusBarState::Reset()
{
    SetModified(false);
    SetInsertMode(static_cast<int>(InsertMode::None));
    SetCaretX(-1);
    SetCaretY(-1);
    SetDocumentName("");
}

void StatusBarState::SetModified(bool modified) { modified_ = modified; }

void StatusBarState::SetInsertMode(int mode)
{
    switch (mode) {
    case 0: modeText_ = "Insert"; break;
    case 1: modeText_ = "Overwrite"; break;
    case 2: modeText_.clear(); break;
    default: return;
    }
    mode_ = mode;
}

void StatusBarState::SetCaretX(int n)
{
    caretX_ = n;
    positionText_ = n <= 0 ? std::string() : std::to_string(n) + " : " + std::to_string(caretY_);
}

void StatusBarState::SetCaretY(int n)
{
    caretY_ = n;
    positionText_ = n <= 0 ? std::string() : std::to_string(caretX_) + " : " + std::to_string(n);
}

void StatusBarState::SetDocumentName(const std::string& name)
{
    documentName_ = name;
    caption_ = std::string(kProductName) + " - [" + name + "]";
}

} // namespace wpe
