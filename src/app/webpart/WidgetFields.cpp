#include "webpart/WidgetFields.h"

#include "webpart/TextCodec.h"

#include <Qsci/qsciscintilla.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>

namespace wpe {

std::string LineEditField::GetText() const {
    return codec_->encode(edit_->text());
}

void LineEditField::SetText(const std::string& text) {
    edit_->setText(codec_->decode(text));
    edit_->setCursorPosition(0);
}

std::string CodeEditorField::GetText() const {
    return codec_->encode(edit_->text());
}

void CodeEditorField::SetText(const std::string& text) {
    edit_->setText(codec_->decode(text));
}

int ComboBoxField::ItemCount() const {
    return box_->count();
}

std::string ComboBoxField::Item(int index) const {
    return codec_->encode(box_->itemText(index));
}

int ComboBoxField::ItemIndex() const {
    if (box_->isEditable() && box_->findText(box_->currentText(), Qt::MatchExactly) < 0)
        return -1;
    return box_->currentIndex();
}

void ComboBoxField::SetItemIndex(int index) {
    box_->setCurrentIndex(index);
}

std::string ComboBoxField::GetText() const {
    return codec_->encode(box_->currentText());
}

void ComboBoxField::SetText(const std::string& text) {
    QString shown = codec_->decode(text);
    int index = box_->findText(shown, Qt::MatchExactly);
    if (index >= 0)
        box_->setCurrentIndex(index);
    else if (box_->isEditable())
        box_->setEditText(shown);
    else
        box_->setCurrentIndex(-1);
}

void ComboBoxField::RunChangeHandler() {
    if (changeHandler_)
        changeHandler_();
}

bool CheckBoxField::IsChecked() const {
    return box_->checkState() == Qt::Checked;
}

void CheckBoxField::SetChecked(bool checked) {
    box_->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

int ListWidgetField::Count() const {
    return list_->count();
}

std::string ListWidgetField::Entry(int index) const {
    return codec_->encode(list_->item(index)->text());
}

void ListWidgetField::Add(const std::string& entry) {
    list_->addItem(codec_->decode(entry));
}

void ListWidgetField::SetEntry(int index, const std::string& entry) {
    list_->item(index)->setText(codec_->decode(entry));
}

void ListWidgetField::Delete(int index) {
    delete list_->takeItem(index);
}

void ListWidgetField::Clear() {
    list_->clear();
}

} // namespace wpe
