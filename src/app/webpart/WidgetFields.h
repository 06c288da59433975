#pragma once
// The web part document's field interfaces over the editor's widgets. Texts
// cross between the document's bytes and the widgets with the editor's codec.

#include "webpart/Fields.h"

#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QsciScintilla;

namespace wpe {

class TextCodec;

class LineEditField final : public ITextField {
public:
    LineEditField(QLineEdit* edit, const TextCodec* codec) : edit_(edit), codec_(codec) {}
    std::string GetText() const override;
    void SetText(const std::string& text) override;

private:
    QLineEdit* edit_;
    const TextCodec* codec_;
};

class CodeEditorField final : public ICodeField {
public:
    CodeEditorField(QsciScintilla* edit, const TextCodec* codec) : edit_(edit), codec_(codec) {}
    std::string GetText() const override;
    void SetText(const std::string& text) override;

private:
    QsciScintilla* edit_;
    const TextCodec* codec_;
};

class ComboBoxField final : public IChoiceField {
public:
    ComboBoxField(QComboBox* box, const TextCodec* codec, std::function<void()> changeHandler = {})
        : box_(box), codec_(codec), changeHandler_(std::move(changeHandler)) {}
    int ItemCount() const override;
    std::string Item(int index) const override;
    int ItemIndex() const override;
    void SetItemIndex(int index) override;
    std::string GetText() const override;
    void SetText(const std::string& text) override;
    void RunChangeHandler() override;

private:
    QComboBox* box_;
    const TextCodec* codec_;
    std::function<void()> changeHandler_;
};

class CheckBoxField final : public ICheckField {
public:
    explicit CheckBoxField(QCheckBox* box) : box_(box) {}
    bool IsChecked() const override;
    void SetChecked(bool checked) override;

private:
    QCheckBox* box_;
};

class ListWidgetField final : public ICategoryListField {
public:
    ListWidgetField(QListWidget* list, const TextCodec* codec) : list_(list), codec_(codec) {}
    int Count() const override;
    std::string Entry(int index) const override;
    void Add(const std::string& entry) override;
    void SetEntry(int index, const std::string& entry) override;
    void Delete(int index) override;
    void Clear() override;

private:
    QListWidget* list_;
    const TextCodec* codec_;
};

} // namespace wpe
