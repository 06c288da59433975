#pragma once
// TCategoryForm, the modal "Select category" dialog: a catalogue frame in
// picker mode showing the main frame's categories, through which the web
// part selected in the main frame's browse tree moves to another category.

#include <QDialog>

#include <string>

namespace wpe {

class TCatFrame;

class TCategoryForm : public QDialog {
    Q_OBJECT
public:
    // Created once by the main window; follows mainFrame's category tree.
    explicit TCategoryForm(TCatFrame& mainFrame, QWidget* parent = nullptr);
    ~TCategoryForm() override;

    TCatFrame& Picker() const { return *picker_; }
    // The category path chosen the last time; empty at first.
    const std::string& LastPath() const { return lastPath_; }
    // Whether the OK button may be used now.
    bool ChoiceAllowed() const;

    // The picker's tree becomes the main frame's categories again.
    void TreeChange();
    // Moves the main frame's selected web part into the picker's selection.
    void AddBtnClick();

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void UpdateOk();
    void BrowseTreeChange();
    void Activated();

    TCatFrame& main_;
    TCatFrame* picker_;
    std::string lastPath_;
    bool choosing_ = false;
};

} // namespace wpe
