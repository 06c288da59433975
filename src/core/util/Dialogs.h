#pragma once
// The one way the system asks the user something or tells them something:
// message boxes of four kinds with fixed button sets, and the file and folder
// choosers. The program installs a Qt implementation; tests install a
// scripted one, so every question can be answered from a test.

#include <optional>
#include <string>

namespace wpe {

enum class MsgKind { Error, Warning, Information, Confirmation };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MsgResult { Ok, Cancel, Yes, No };

struct FileDialogOptions {
    std::string title;
    // Filter in the classic "Caption|*.a; *.b|Caption 2|*.c" form.
    std::string filter;
    int filterIndex = 1;          // 1-based, as in the filter text
    std::string initialDir;       // native folder; empty = last used
    std::string fileName;         // proposed name (save) or preselected file
    std::string defaultExt;       // without the dot, added when the user types none
};

class IDialogs {
public:
    virtual ~IDialogs() = default;
    // Shows text in a message box of that kind and returns the button pressed.
    virtual MsgResult Ask(MsgKind kind, const std::string& text, MsgButtons buttons) = 0;
    // The chosen native path, or nothing when the user cancelled.
    virtual std::optional<std::string> ChooseOpenFile(const FileDialogOptions& options) = 0;
    virtual std::optional<std::string> ChooseSaveFile(const FileDialogOptions& options) = 0;
    virtual std::optional<std::string> ChooseFolder(const std::string& title, const std::string& initialDir) = 0;

    void Show(MsgKind kind, const std::string& text) { Ask(kind, text, MsgButtons::Ok); }
};

// The installed implementation. Until one is installed, messages go to
// standard error and every question is answered with its safest button
// (Cancel, or No when there is no Cancel); choosers return nothing.
IDialogs& Dialogs();
// Installs an implementation (not owned); nullptr restores the default.
void SetDialogs(IDialogs* dialogs);

} // namespace wpe
