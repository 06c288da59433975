#pragma once
// The editor's fields as the web part document sees them. Each tag of the
// web part template is bound by name to the field of the same name; the
// field's kind decides how the tag text is converted to and from the field.
// The Qt editor implements these over its widgets; MemoryFields.h has plain
// in-memory versions for tests, tools and the catalogue.

#include <string>

#include "webpart/PartStorageTree.h"

namespace wpe {

enum class FieldKind {
    Text,          // single-line text
    Code,          // multi-line code editor
    PartStorage,   // the part storage tree
    Choice,        // drop-down choice list, possibly with free text
    Check,         // check box used as on/off
    CategoryList,  // the list of category paths
};

class IField {
public:
    virtual ~IField() = default;
    virtual FieldKind Kind() const = 0;
};

// A single-line text field.
class ITextField : public IField {
public:
    FieldKind Kind() const final { return FieldKind::Text; }
    virtual std::string GetText() const = 0;
    virtual void SetText(const std::string& text) = 0;
};

// A multi-line code editor; its text is markup kept as written.
class ICodeField : public IField {
public:
    FieldKind Kind() const final { return FieldKind::Code; }
    virtual std::string GetText() const = 0;
    virtual void SetText(const std::string& text) = 0;
};

// The part storage tree. The document replaces the tree as a whole and reads
// it as a whole; the editor may keep its own view of it in step.
class IPartStorageField : public IField {
public:
    FieldKind Kind() const final { return FieldKind::PartStorage; }
    virtual const PartStorageTree& GetTree() const = 0;
    virtual void SetTree(PartStorageTree tree) = 0;
};

// A drop-down choice list. Selecting from the program never runs the field's
// change handling; RunChangeHandler does, as a user's selection would.
class IChoiceField : public IField {
public:
    FieldKind Kind() const final { return FieldKind::Choice; }
    virtual int ItemCount() const = 0;
    virtual std::string Item(int index) const = 0;
    // The selected item, -1 when none is selected (free text that names no item).
    virtual int ItemIndex() const = 0;
    // Selects the item at index (-1 selects none); the shown text follows.
    virtual void SetItemIndex(int index) = 0;
    // The shown text: the selected item, or free text where the list allows it.
    virtual std::string GetText() const = 0;
    // Shows text; an item of the same text becomes selected, else none is.
    virtual void SetText(const std::string& text) = 0;
    // Runs the change handling of the field (ContentType switches highlighting).
    virtual void RunChangeHandler() = 0;
};

// A check box used as on/off; a third, undecided state reads as off.
class ICheckField : public IField {
public:
    FieldKind Kind() const final { return FieldKind::Check; }
    virtual bool IsChecked() const = 0;
    virtual void SetChecked(bool checked) = 0;
};

// The list of category paths of a part. Besides its entries it has a read
// cursor: the writer takes one entry per Category tag in list order.
class ICategoryListField : public IField {
public:
    FieldKind Kind() const final { return FieldKind::CategoryList; }
    virtual int Count() const = 0;
    virtual std::string Entry(int index) const = 0;
    // Appends an entry at the end.
    virtual void Add(const std::string& entry) = 0;
    // Replaces the entry at index (0 <= index < Count()).
    virtual void SetEntry(int index, const std::string& entry) = 0;
    // Removes the entry at index (0 <= index < Count()).
    virtual void Delete(int index) = 0;
    // Removes every entry.
    virtual void Clear() = 0;

    // Puts the read cursor at the first entry.
    void ResetCursor() { cursor_ = 0; }
    // The entry under the cursor, then moves on; empty past the last entry.
    std::string ReadNext() {
        if (cursor_ < 0 || cursor_ >= Count()) return {};
        return Entry(cursor_++);
    }

private:
    int cursor_ = 0;
};

// Where the document finds the editor's fields.
class IFieldSource {
public:
    virtual ~IFieldSource() = default;
    // The field whose component name is exactly name, or nullptr.
    virtual IField* FindField(const std::string& name) = 0;
};

// True while the document fills fields from a template or a text
// (ResetControls, Parse); the editor ignores field changes while it is set.
bool FillingFields();

// Sets the filling-fields flag for its lifetime and restores the former
// state when it ends, also when an error leaves the scope.
class FillingFieldsScope {
public:
    FillingFieldsScope();
    ~FillingFieldsScope();
    FillingFieldsScope(const FillingFieldsScope&) = delete;
    FillingFieldsScope& operator=(const FillingFieldsScope&) = delete;

private:
    bool previous_;
};

} // namespace wpe
