#include "webpart/CheckListEdit.h"

#include <QAction>
#include <QMenu>

namespace wpe {

TCheckListEdit::TCheckListEdit(const QStringList& items, QWidget* parent) : QToolButton(parent) {
    menu_ = new QMenu(this);
    for (const QString& item : items) {
        QAction* action = menu_->addAction(item);
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this] {
            refreshText();
            emit checksChanged();
        });
    }
    setMenu(menu_);
    setPopupMode(QToolButton::InstantPopup);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
    setMinimumWidth(110);
    refreshText();
}

int TCheckListEdit::count() const {
    return int(menu_->actions().size());
}

std::vector<std::string> TCheckListEdit::items() const {
    std::vector<std::string> result;
    for (QAction* a : menu_->actions())
        result.push_back(a->text().toStdString());
    return result;
}

bool TCheckListEdit::checked(int index) const {
    return menu_->actions().value(index) && menu_->actions().value(index)->isChecked();
}

std::vector<bool> TCheckListEdit::checkedStates() const {
    std::vector<bool> result;
    for (QAction* a : menu_->actions())
        result.push_back(a->isChecked());
    return result;
}

void TCheckListEdit::setChecked(int index, bool on) {
    if (QAction* a = menu_->actions().value(index)) {
        a->setChecked(on);
        refreshText();
    }
}

void TCheckListEdit::toggleByUser(int index) {
    if (QAction* a = menu_->actions().value(index))
        a->trigger();
}

QString TCheckListEdit::checkText() const {
    QStringList on;
    for (QAction* a : menu_->actions())
        if (a->isChecked())
            on << a->text();
    return "[" + on.join(",") + "]";
}

void TCheckListEdit::refreshText() {
    setText(checkText());
}

} // namespace wpe
