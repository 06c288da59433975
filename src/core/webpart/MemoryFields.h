#pragma once
// Editor fields held in plain members: the web part document's fields where
// there is no window (tests, command-line tools, the catalogue's reading of
// parts). They behave like the editor's widgets as far as the document sees.

#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "webpart/Fields.h"

namespace wpe {

class MemoryTextField : public ITextField {
public:
    explicit MemoryTextField(std::string text = {}) : text_(std::move(text)) {}
    std::string GetText() const override { return text_; }
    void SetText(const std::string& text) override { text_ = text; }

private:
    std::string text_;
};

class MemoryCodeField : public ICodeField {
public:
    explicit MemoryCodeField(std::string text = {}) : text_(std::move(text)) {}
    std::string GetText() const override { return text_; }
    void SetText(const std::string& text) override { text_ = text; }

private:
    std::string text_;
};

class MemoryPartStorageField : public IPartStorageField {
public:
    const PartStorageTree& GetTree() const override { return tree_; }
    void SetTree(PartStorageTree tree) override { tree_ = std::move(tree); }
    PartStorageTree& Tree() { return tree_; }

private:
    PartStorageTree tree_;
};

class MemoryChoiceField : public IChoiceField {
public:
    // A list of items; with allowFreeText the shown text may name no item.
    explicit MemoryChoiceField(std::vector<std::string> items, bool allowFreeText = false);

    int ItemCount() const override { return static_cast<int>(items_.size()); }
    std::string Item(int index) const override { return items_.at(static_cast<std::size_t>(index)); }
    int ItemIndex() const override { return index_; }
    void SetItemIndex(int index) override;
    std::string GetText() const override { return text_; }
    void SetText(const std::string& text) override;
    void RunChangeHandler() override;

    // Called by RunChangeHandler; empty by default.
    std::function<void()> onChange;
    // How many times the change handling ran.
    int changeCount() const { return changeCount_; }

private:
    std::vector<std::string> items_;
    bool allowFreeText_;
    int index_ = -1;
    std::string text_;
    int changeCount_ = 0;
};

class MemoryCheckField : public ICheckField {
public:
    explicit MemoryCheckField(bool checked = false) : checked_(checked) {}
    bool IsChecked() const override { return checked_; }
    void SetChecked(bool checked) override { checked_ = checked; }

private:
    bool checked_;
};

class MemoryCategoryList : public ICategoryListField {
public:
    int Count() const override { return static_cast<int>(entries_.size()); }
    std::string Entry(int index) const override { return entries_.at(static_cast<std::size_t>(index)); }
    void Add(const std::string& entry) override { entries_.push_back(entry); }
    void SetEntry(int index, const std::string& entry) override;
    void Delete(int index) override;
    void Clear() override { entries_.clear(); }
    const std::vector<std::string>& Entries() const { return entries_; }

private:
    std::vector<std::string> entries_;
};

// A set of fields found by name.
class MemoryFieldSource : public IFieldSource {
public:
    IField* FindField(const std::string& name) override;
    // Adds (or replaces) the field of that name and returns it.
    template <class F>
    F& Add(const std::string& name, std::unique_ptr<F> field) {
        F& ref = *field;
        fields_[name] = std::move(field);
        return ref;
    }
    // The field of that name as type F; throws when it is missing or of another kind.
    template <class F>
    F& As(const std::string& name) {
        auto* f = dynamic_cast<F*>(FindField(name));
        if (!f) throw std::logic_error("no field " + name + " of that kind");
        return *f;
    }
    std::vector<std::string> Names() const;

private:
    std::map<std::string, std::unique_ptr<IField>> fields_;
};

// The fields of the web part editor, by the names of their tags, with the
// editor's initial values (link fields "http://", Popularity "0", Language
// "en", the first five check boxes on, the first item of each choice).
std::unique_ptr<MemoryFieldSource> MakeEditorFields();

} // namespace wpe
