#pragma once
// The program's message boxes and file choosers behind the dialog seam.

#include "util/Dialogs.h"

#include <QString>

class QWidget;

namespace wpe {

class QtDialogs final : public IDialogs {
public:
    MsgResult Ask(MsgKind kind, const std::string& text, MsgButtons buttons) override;
    std::optional<std::string> ChooseOpenFile(const FileDialogOptions& options) override;
    std::optional<std::string> ChooseSaveFile(const FileDialogOptions& options) override;
    std::optional<std::string> ChooseFolder(const std::string& title, const std::string& initialDir) override;
};

// "Caption|*.a; *.b|..." as a Qt name filter list ("Caption (*.a *.b);;...").
QString QtNameFilters(const std::string& filter);
// The Qt name filter of the filterIndex-th (1-based) entry; "" when out of range.
QString QtSelectedFilter(const std::string& filter, int filterIndex);

} // namespace wpe
