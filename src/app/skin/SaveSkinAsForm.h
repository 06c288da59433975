#pragma once
// "Save skin as": asks for the name a skin is saved under. The name becomes
// a folder name, so OK stays disabled, with the reason shown, while the name
// cannot be one.

#include <QDialog>

#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace wpe {

class TSaveSkinAsForm : public QDialog {
    Q_OBJECT
public:
    explicit TSaveSkinAsForm(QWidget* parent = nullptr);

    void SetName(const std::string& name);
    std::string Name() const;

    // Shows the one dialog of the program run with proposed filled in; the
    // chosen name, or nothing when the user cancelled.
    static std::optional<std::string> Ask(const std::string& proposed, QWidget* parent);

private:
    void nameChanged();

    QLineEdit* edtSkinName_;
    QLabel* problem_;
    QPushButton* ok_;
};

} // namespace wpe
