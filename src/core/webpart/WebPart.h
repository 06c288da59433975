#pragma once
// The web part document: a `WebPart` XML text read into items, each known
// tag kept in step with the editor field of the same name, and written back
// in one canonical layout (prolog, one block per template section with its
// tags sorted by name, the unlisted content last, end tag, epilog).
//
// Which tags exist, their sections, defaults and required marks come from
// "webpart template.xml" in the program folder. The document never touches
// web part files itself: it reads and writes the lines of the source view.

#include <memory>
#include <string>
#include <vector>

#include "webpart/Bindings.h"
#include "webpart/Fields.h"
#include "xml/XXmlDom.h"

namespace wpe {

inline constexpr const char* kWebPartTemplateFileName = "webpart template.xml";
inline constexpr const char* kUnknownSection = "UNKNOWN";

class TWebPartTemplate;

// One tag of the template.
struct TTagTemplate {
    std::string Name;
    std::string Default;
    bool Required = false;
    std::string Section;
    IField* Control = nullptr;   // the bound editor field, or none
    TagSetter Setter = nullptr;  // none when unbound
    TagGetter Getter = nullptr;
};

// One tag, or one piece of other content, of a web part.
class TWebPartItem {
public:
    // A new item of that name (SetName), belonging to tmpl (which may be null).
    TWebPartItem(const std::string& name, const TWebPartTemplate* tmpl);

    // Stores the name and takes the section and binding of the first tag of
    // that name; an unlisted name gets section "UNKNOWN" and no binding.
    void SetName(const std::string& name);
    // For a bound item, first puts text into its field; then stores it.
    void SetText(const std::string& text);
    // For a bound item, first refreshes Text from its field; returns Text.
    std::string GetText();
    bool Bound() const { return Control && Setter && Getter; }
    // True when the template lists the item's name.
    bool Listed() const { return TagIndex >= 0; }

    std::string Name;
    std::string Attributes;  // " name=\"value\"" each, as read; empty for new items
    std::string Text;
    bool IsComment = false;  // a comment among the children of `WebPart`
    // A comment named after the tag it stood by: -1 before it, 1 after it.
    int NeighbourStep = 0;
    std::string Section;
    IField* Control = nullptr;
    TagSetter Setter = nullptr;
    TagGetter Getter = nullptr;
    const TWebPartTemplate* Template = nullptr;
    int TagIndex = -1;       // index of its tag template, -1 when unlisted
};

// An ordered list of items that owns them.
class TWebPartItems {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    bool Empty() const { return items_.empty(); }
    TWebPartItem& operator[](int index) const { return *items_.at(static_cast<std::size_t>(index)); }
    // Appends item and returns it.
    TWebPartItem& Add(std::unique_ptr<TWebPartItem> item);
    // The first item of that name, or null.
    TWebPartItem* Find(const std::string& name) const;
    // Removes every item whose name is name.
    void RemoveAll(const std::string& name);
    void Clear() { items_.clear(); }
    void Swap(TWebPartItems& other) noexcept { items_.swap(other.items_); }
    // The items, in order, without ownership.
    std::vector<TWebPartItem*> Items() const;

private:
    std::vector<std::unique_ptr<TWebPartItem>> items_;
};

// The text of items in the writer's layout: unlisted content and comments as
// their text on a line of its own; tags as "  <Name Attributes>value</Name>";
// a non-empty part storage tree on lines of its own. Values are written as
// the fields deliver them.
std::string ItemsText(const std::vector<TWebPartItem*>& items);
std::string ItemsText(const TWebPartItems& items);

// The template: its tags with their bindings, sections, required items and
// prolog. Created once per editor; it never changes afterwards.
class TWebPartTemplate {
public:
    // Loads programDir + "webpart template.xml" and binds each tag to the
    // field of the same name in editor (may be null: no tag is bound).
    // Throws "WebPart template \"webpart template.xml\" not found!" when the
    // file is missing, the reader's error when it is not well formed.
    TWebPartTemplate(const std::string& programDir, IFieldSource* editor);
    TWebPartTemplate(const TWebPartTemplate&) = delete;
    TWebPartTemplate& operator=(const TWebPartTemplate&) = delete;

    // Puts every bound field back to its tag's default and empties the
    // category list. Sets the filling-fields flag while it runs.
    void ResetControls();
    // Whether a tag of that name exists.
    bool HasTag(const std::string& name) const { return IndexOf(name) >= 0; }
    // The index of the first tag of that name, or -1.
    int IndexOf(const std::string& name) const;
    // The section of the first tag of that name; "UNKNOWN" for an empty or unlisted name.
    std::string SectionOf(const std::string& name) const;

    const std::vector<TTagTemplate>& Tags() const { return tags_; }
    // Section ids in file order, "UNKNOWN" last.
    const std::vector<std::string>& Sections() const { return sections_; }
    // One item per required tag, holding the tag's default.
    TWebPartItems& RequiredItems() { return requiredItems_; }
    // The prolog for parts that have none; ends with the `WebPart` start tag.
    TWebPartItems& Prolog() { return prolog_; }
    IFieldSource* Editor() const { return editor_; }
    // The category list when the tag `Category` is bound to one, else null.
    ICategoryListField* CategoryList() const;

private:
    void Load(const std::string& path);
    void AddTag(const TXmlDNode& element, const std::string& section);

    IFieldSource* editor_;
    std::vector<TTagTemplate> tags_;
    std::vector<std::string> sections_;
    TWebPartItems requiredItems_;
    TWebPartItems prolog_;
};

class TWebPart {
public:
    // Creates the template (see TWebPartTemplate) and empty item lists.
    TWebPart(const std::string& programDir, IFieldSource* editor);

    // The lines of the source view.
    std::vector<std::string> Source;
    // Replaces Source with the lines of text (CR LF, LF or CR end a line; a
    // final line break adds no empty line).
    void SetSourceText(const std::string& text);
    // Source as one text, each line followed by CR LF.
    std::string SourceText() const;

    // Reads Source into the items and fills the editor's fields. A text that
    // is not well formed, or has no `WebPart` element, throws and leaves the
    // items as they were; fields keep what was put into them before the error.
    // A listed tag met twice (but `Category`) is warned about and dropped.
    void Parse();
    // The canonical text of the part as the fields now show it.
    std::string BuildText();
    // True when text is "<!-- " + a section id + " -->".
    bool IsSectionHeader(const std::string& text) const;
    // Appends an item of that name to Body unless one exists; true if added.
    // The editor calls it when a field is edited, so that its tag is written.
    bool EnsureItem(const std::string& name);

    TWebPartItems& Body() { return body_; }
    TWebPartItems& Prolog() { return prolog_; }
    TWebPartItems& Epilog() { return epilog_; }
    // The document of the last text parsed successfully.
    TXmlDDocument& Document() { return *document_; }
    TWebPartTemplate& Template() { return *template_; }

private:
    void ReadBody(const TXmlDNode& root, TWebPartItems& body);

    std::unique_ptr<TWebPartTemplate> template_;
    TWebPartItems body_;
    TWebPartItems prolog_;
    TWebPartItems epilog_;
    TRef<TXmlDDocument> document_;
};

} // namespace wpe
