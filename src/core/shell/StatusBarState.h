#pragma once
// What the main window's status bar and caption show, kept apart from the
// widgets so the rules can be checked without a window. The Qt status bar
// (TMainStatusBar) forwards every call here and then copies the texts out.

#include <string>

namespace wpe {

inline constexpr const char* kProductName = "Ombrelio Developer Toolkit";

enum class InsertMode { Insert = 0, Overwrite = 1, None = 2 };

class StatusBarState {
public:
    // SetModified false, SetInsertMode 2, SetCaretX -1, SetCaretY -1,
    // SetDocumentName "".
    void Reset();
    // Stores the flag; the modified panel shows "Modified" or nothing and
    // the Save command follows it.
    void SetModified(bool modified);
    // 0 shows "Insert", 1 "Overwrite", 2 nothing; other values change nothing.
    void SetInsertMode(int mode);
    // Stores n as X; n <= 0 empties the position panel, else it shows
    // "X : Y" with the stored Y.
    void SetCaretX(int n);
    // Stores n as Y; n <= 0 empties the position panel, else "X : Y".
    void SetCaretY(int n);
    // Stores the name; the caption becomes "<product> - [" + name + "]".
    void SetDocumentName(const std::string& name);
    // Free text of the fourth panel (cleared on a left mouse button release).
    void SetMessage(const std::string& text) { message_ = text; }

    bool Modified() const { return modified_; }
    int Mode() const { return mode_; }
    int CaretX() const { return caretX_; }
    int CaretY() const { return caretY_; }
    const std::string& DocumentName() const { return documentName_; }

    const std::string& PositionText() const { return positionText_; }
    std::string ModifiedText() const { return modified_ ? "Modified" : ""; }
    const std::string& ModeText() const { return modeText_; }
    const std::string& MessageText() const { return message_; }
    // The main window's caption; the plain product name before any name was set.
    const std::string& Caption() const { return caption_; }
    bool SaveEnabled() const { return modified_; }

private:
    bool modified_ = false;
    int mode_ = 0;
    int caretX_ = 1;
    int caretY_ = 1;
    std::string documentName_;
    std::string positionText_;
    std::string modeText_ = "Insert";
    std::string message_;
    std::string caption_ = kProductName;
};

} // namespace wpe
