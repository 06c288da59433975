#pragma once
// A drop-down list of check items whose text lists the checked ones as
// "[" + items joined by "," + "]".

#include <QToolButton>

#include <string>
#include <vector>

class QMenu;

namespace wpe {

class TCheckListEdit : public QToolButton {
    Q_OBJECT
public:
    explicit TCheckListEdit(const QStringList& items, QWidget* parent = nullptr);

    int count() const;
    std::vector<std::string> items() const;
    bool checked(int index) const;
    std::vector<bool> checkedStates() const;
    // Sets the check from the program; no checksChanged is emitted.
    void setChecked(int index, bool on);
    // The text of the checked items, e.g. "[required]".
    QString checkText() const;
    // Checks or unchecks the item as a user would (checksChanged follows).
    void toggleByUser(int index);

signals:
    // The user changed a check.
    void checksChanged();

private:
    void refreshText();

    QMenu* menu_;
};

} // namespace wpe
