#pragma once
// The "New Items" dialog: a new web part, a web part imported from an RSS
// feed, or a new skin. One dialog per main window, kept for the whole run so
// that the last choice and the last address stay.

#include <QDialog>

#include <functional>
#include <string>

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace wpe {

class IDocumentEditor;

// What the dialog asks of the main window.
struct NewItemsActions {
    std::function<void()> newWebPart;                // a new tab with an empty web part
    std::function<IDocumentEditor*()> newWebPartTab; // a new web part tab (null when none)
    std::function<void()> newSkin;                   // the "New Skin" command
};

class TNewItemsForm : public QDialog {
    Q_OBJECT
public:
    TNewItemsForm(NewItemsActions actions, QWidget* owner);

    // The owner's dialog, created on first use.
    static TNewItemsForm& Of(QWidget* owner, const NewItemsActions& actions);
    // Shows the dialog modally and creates the chosen item on OK.
    void Execute();

    // 0 web part, 1 import from RSS, 2 skin.
    int Choice() const;
    // Chooses as a click on the radio button of that tag does.
    void Choose(int tag);
    // Reads the clipboard and takes an address of a feed from it.
    void CheckClipboard();
    // What OK does after the dialog is hidden; errors are shown.
    void CreateChosenItem();

    // Replace the network checks (tests use a feed on loopback).
    void SetInternetCheck(std::function<bool()> check) { internetAvailable_ = std::move(check); }
    void SetDownloader(std::function<std::string(const std::string&)> download) { download_ = std::move(download); }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void createFromFeed();

    NewItemsActions actions_;
    std::function<bool()> internetAvailable_;
    std::function<std::string(const std::string&)> download_;
    QRadioButton* radios_[3] = {};
    QLineEdit* url_ = nullptr;
    QPushButton* ok_ = nullptr;
};

} // namespace wpe
