#include "webpart/WebPart.h"
#include "util/Text.h"

#include <algorithm>

#include "util/Dialogs.h"
#include "util/Exception.h"
#include "util/FastStrings.h"
#include "util/Files.h"
#include "util/Paths.h"

namespace wpe {

namespace {

const std::string kCrLf = "\r\n";

// Tag names in the order of the user's alphabet, without regard to case. A
// comment named after a neighbour sorts with that neighbour's name, just
// before or just after it: its own name, one code away, may fold to another
// place ("Dat`" sorts after "DATA"), and the comment would move at every save.
bool nameLess(const TWebPartItem* a, const TWebPartItem* b) {
    auto key = [](const TWebPartItem* item) {
        std::string name = item->Name;
        if (item->NeighbourStep && !name.empty())
            name.back() = static_cast<char>(static_cast<unsigned char>(name.back()) - item->NeighbourStep);
        return name;
    };
    const int order = CompareNoCase(key(a), key(b));
    return order != 0 ? order < 0 : a->NeighbourStep < b->NeighbourStep;
}

bool isTreeBound(const TWebPartItem& item) {
    return item.Bound() && item.Control->Kind() == FieldKind::PartStorage;
}

} // namespace

// ---- items ----

TWebPartItem::TWebPartItem(const std::string& name, const TWebPartTemplate* tmpl) : Template(tmpl) { SetName(name); }

void TWebPartItem::SetName(const std::string& name) {
    Name = name;
    TagIndex = Template ? Template->IndexOf(name) : -1;
    if (TagIndex >= 0) {
        const TTagTemplate& tag = Template->Tags()[static_cast<std::size_t>(TagIndex)];
        Section = tag.Section;
        Control = tag.Control;
        Setter = tag.Setter;
        Getter = tag.Getter;
    } else {
        Section = kUnknownSection;
        Control = nullptr;
        Setter = nullptr;
        Getter = nullptr;
    }
}

void TWebPartItem::SetText(const std::string& text) {
    if (Bound()) Setter(*Control, text);
    Text = text;
}

std::string TWebPartItem::GetText() {
    if (Bound()) Text = Getter(*Control);
    return Text;
}

TWebPartItem& TWebPartItems::Add(std::unique_ptr<TWebPartItem> item) {
    items_.push_back(std::move(item));
    return *items_.back();
}

TWebPartItem* TWebPartItems::Find(const std::string& name) const {
    for (const auto& item : items_)
        if (item->Name == name) return item.get();
    return nullptr;
}

void TWebPartItems::RemoveAll(const std::string& name) {
    std::erase_if(items_, [&](const auto& item) { return item->Name == name; });
}

std::vector<TWebPartItem*> TWebPartItems::Items() const {
    std::vector<TWebPartItem*> out;
    out.reserve(items_.size());
    for (const auto& item : items_) out.push_back(item.get());
    return out;
}

// ---- writer layout ----

std::string ItemsText(const std::vector<TWebPartItem*>& items) {
    std::string out;
    for (TWebPartItem* item : items) {
        // Listed tags are always written as elements, whatever their section,
        // so a tag never loses its element around its value.
        if (!item->Listed() || item->IsComment) {
            std::string text = item->GetText();
            // A stray text keeps the line breaks it was read with, and every
            // item is written on lines of its own: untrimmed, the text would
            // gain a blank line on each side at every save.
            if (item->Name == "#text") {
                text = std::string(TrimChars(text, "\r\n"));
                // On a line of its own a blank text is dropped by the next
                // read; writing it would make the two saves differ.
                if (TrimBlanks(text).empty())
                    continue;
            }
            out += text + kCrLf;
            continue;
        }
        std::string text = item->GetText();
        if (item->Name == "PartStorage" && isTreeBound(*item) && !text.empty())
            out += "  <" + item->Name + item->Attributes + ">" + text + "  </" + item->Name + ">" + kCrLf;
        else
            out += "  <" + item->Name + item->Attributes + ">" + text + "</" + item->Name + ">" + kCrLf;
    }
    return out;
}

std::string ItemsText(const TWebPartItems& items) { return ItemsText(items.Items()); }

// ---- template ----

TWebPartTemplate::TWebPartTemplate(const std::string& programDir, IFieldSource* editor) : editor_(editor) {
    std::string path = WithTrailingBackslash(programDir) + kWebPartTemplateFileName;
    if (!FileExists(path))
        throw Exception(std::string("WebPart template \"") + kWebPartTemplateFileName + "\" not found!");
    Load(path);
    for (const TTagTemplate& tag : tags_) {
        if (!tag.Required) continue;
        auto item = std::make_unique<TWebPartItem>(tag.Name, this);
        item->Text = tag.Default;
        requiredItems_.Add(std::move(item));
    }
}

void TWebPartTemplate::Load(const std::string& path) {
    TRef<TXmlDDocument> doc = MakeRef<TXmlDDocument>();
    doc->LoadFromFile(path);

    const TXmlDNode* webPart = nullptr;
    for (TXmlDNode* node : doc->Children()) {
        if (node->NodeType() == ntElement && node->NodeName() == "WebPart") {
            auto item = std::make_unique<TWebPartItem>("", this);
            item->Text = "<WebPart" + node->AttributesXml() + ">";
            prolog_.Add(std::move(item));
            webPart = node;
            break;
        }
        if (node->NodeType() == ntElement || node->NodeType() == ntProcessingInstruction) {
            auto item = std::make_unique<TWebPartItem>(node->NodeName(), this);
            item->Text = node->Xml();
            prolog_.Add(std::move(item));
        }
    }
    if (!webPart)
        throw Exception(std::string("WebPart template \"") + kWebPartTemplateFileName + "\" has no WebPart element!");

    for (TXmlDNode* child : webPart->Children()) {
        if (child->NodeType() != ntElement) continue;
        if (child->NodeName() != "Section") {
            AddTag(*child, kUnknownSection);
            continue;
        }
        std::string id = static_cast<const TXmlDElement*>(child)->GetAttribute("id");
        // Each section is written once, and "UNKNOWN" always comes last.
        if (!id.empty() && id != kUnknownSection && std::find(sections_.begin(), sections_.end(), id) == sections_.end())
            sections_.push_back(id);
        for (TXmlDNode* tag : child->Children())
            if (tag->NodeType() == ntElement) AddTag(*tag, id);
    }
    sections_.push_back(kUnknownSection);
}

void TWebPartTemplate::AddTag(const TXmlDNode& element, const std::string& section) {
    TTagTemplate tag;
    tag.Name = element.NodeName();
    tag.Default = element.InnerXml();
    std::string required = static_cast<const TXmlDElement&>(element).GetAttribute("required");
    tag.Required = SameNoCase(required, "true") || required == "1";
    tag.Section = section;
    TagBinding binding = BindTag(tag.Name, editor_);
    if (binding.Bound()) {
        tag.Control = binding.control;
        tag.Setter = binding.setter;
        tag.Getter = binding.getter;
    }
    tags_.push_back(std::move(tag));
}

int TWebPartTemplate::IndexOf(const std::string& name) const {
    for (std::size_t i = 0; i < tags_.size(); ++i)
        if (tags_[i].Name == name) return static_cast<int>(i);
    return -1;
}

std::string TWebPartTemplate::SectionOf(const std::string& name) const {
    int i = name.empty() ? -1 : IndexOf(name);
    return i < 0 ? std::string(kUnknownSection) : tags_[static_cast<std::size_t>(i)].Section;
}

ICategoryListField* TWebPartTemplate::CategoryList() const {
    int i = IndexOf("Category");
    if (i < 0) return nullptr;
    const TTagTemplate& tag = tags_[static_cast<std::size_t>(i)];
    if (!tag.Control || !tag.Setter || tag.Control->Kind() != FieldKind::CategoryList) return nullptr;
    return static_cast<ICategoryListField*>(tag.Control);
}

void TWebPartTemplate::ResetControls() {
    FillingFieldsScope filling;
    for (const TTagTemplate& tag : tags_) {
        if (!tag.Control || !tag.Setter) continue;
        if (tag.Name == "Category" && tag.Control->Kind() == FieldKind::CategoryList) {
            auto* list = static_cast<ICategoryListField*>(tag.Control);
            list->Clear();
            list->ResetCursor();
            continue;
        }
        tag.Setter(*tag.Control, tag.Default);
    }
}

// ---- document ----

TWebPart::TWebPart(const std::string& programDir, IFieldSource* editor)
    : template_(std::make_unique<TWebPartTemplate>(programDir, editor)), document_(MakeRef<TXmlDDocument>()) {}

void TWebPart::SetSourceText(const std::string& text) {
    Source.clear();
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            Source.push_back(text.substr(start));
            break;
        }
        Source.push_back(text.substr(start, end - start));
        start = end + ((text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n') ? 2 : 1);
    }
}

std::string TWebPart::SourceText() const {
    std::string text;
    for (const std::string& line : Source) text += line + kCrLf;
    return text;
}

bool TWebPart::IsSectionHeader(const std::string& text) const {
    for (const std::string& id : template_->Sections())
        if (text == "<!-- " + id + " -->") return true;
    return false;
}

bool TWebPart::EnsureItem(const std::string& name) {
    if (body_.Find(name)) return false;
    body_.Add(std::make_unique<TWebPartItem>(name, template_.get()));
    return true;
}

void TWebPart::Parse() {
    FillingFieldsScope filling;
    TRef<TXmlDDocument> doc = MakeRef<TXmlDDocument>();
    doc->LoadXml(SourceText());

    // Everything is checked and read into new lists first, so that a text
    // that fails leaves the part's items as they were.
    TXmlDNode* root = doc->SelectChild("WebPart");
    if (!root || root->NodeType() != ntElement) throw Exception("This document is not a WebPart!");

    TWebPartItems prolog, epilog, body;
    bool afterRoot = false;
    for (TXmlDNode* node : doc->Children()) {
        if (node == root) {
            auto item = std::make_unique<TWebPartItem>("WebPart", template_.get());
            item->Text = "<WebPart" + node->AttributesXml() + ">";
            prolog.Add(std::move(item));
            afterRoot = true;
            continue;
        }
        auto item = std::make_unique<TWebPartItem>(node->NodeName(), template_.get());
        item->Text = node->Xml();
        (afterRoot ? epilog : prolog).Add(std::move(item));
    }
    ReadBody(*root, body);

    prolog_.Swap(prolog);
    epilog_.Swap(epilog);
    body_.Swap(body);
    document_ = doc;
}

void TWebPart::ReadBody(const TXmlDNode& root, TWebPartItems& body) {
    const TXmlDNodeList& children = root.ChildNodes();
    const int n = children.Count();
    for (int i = 0; i < n; ++i) {
        const TXmlDNode* c = children.Item(i);
        auto item = std::make_unique<TWebPartItem>(c->NodeName(), template_.get());

        if (item->Listed()) {
            // The first occurrence wins; a later one must not reach the field.
            if (item->Name != "Category" && body.Find(item->Name)) {
                Dialogs().Ask(MsgKind::Warning, "Duplicate tag <" + item->Name + "> !", MsgButtons::Ok);
                continue;
            }
            item->SetText(isTreeBound(*item) ? c->Xml() : c->InnerXml());
            item->Attributes = c->AttributesXml();
            body.Add(std::move(item));
            continue;
        }

        if (c->NodeType() == ntComment) {
            // Named after its neighbour, one character code away, so that
            // sorting keeps the comment next to the tag it stood by.
            // The section headers of a text this writer made are no
            // neighbours: they are dropped, and a comment written after the
            // last tag of a section must stay with that tag when read again.
            auto header = [&](const TXmlDNode* node) {
                return node->NodeType() == ntComment && IsSectionHeader(node->Xml());
            };
            const TXmlDNode* neighbour = nullptr;
            int step = 0;
            if (i < n - 1 && !header(children.Item(i + 1))) {
                neighbour = children.Item(i + 1);
                step = -1;
            } else if (i > 0 && !header(children.Item(i - 1))) {
                neighbour = children.Item(i - 1);
                step = 1;
            }
            if (neighbour) {
                std::string name = neighbour->NodeName();
                name.back() = static_cast<char>(static_cast<unsigned char>(name.back()) + step);
                item->Name = name;
                item->NeighbourStep = step;
                item->Section = template_->SectionOf(neighbour->NodeName());
            }
            item->IsComment = true;
        }
        item->SetText(c->Xml());

        if (!template_->HasTag(item->Name)) {
            if (item->IsComment && IsSectionHeader(item->Text)) continue;  // the writer makes these
            body.Add(std::move(item));
        } else if (item->Name != "Category" && body.Find(item->Name)) {
            Dialogs().Ask(MsgKind::Warning, "Duplicate tag <" + item->Name + "> !", MsgButtons::Ok);
        } else {
            body.Add(std::move(item));
        }
    }
}

std::string TWebPart::BuildText() {
    if (ICategoryListField* list = template_->CategoryList()) {
        body_.RemoveAll("Category");
        for (int i = 0; i < list->Count(); ++i) body_.Add(std::make_unique<TWebPartItem>("Category", template_.get()));
        list->ResetCursor();
    }

    std::string text = ItemsText(prolog_);
    if (text.empty()) text = ItemsText(template_->Prolog());

    const std::vector<TWebPartItem*> body = body_.Items();
    const std::vector<TWebPartItem*> required = template_->RequiredItems().Items();
    for (const std::string& section : template_->Sections()) {
        std::vector<TWebPartItem*> block;
        for (TWebPartItem* item : body)
            if (item->Section == section) block.push_back(item);
        for (TWebPartItem* item : required) {
            if (item->Section != section) continue;
            auto sameName = [&](const TWebPartItem* b) { return b->Name == item->Name; };
            if (std::none_of(block.begin(), block.end(), sameName)) block.push_back(item);
        }
        std::stable_sort(block.begin(), block.end(), nameLess);
        text += kCrLf + "  <!-- " + section + " -->" + kCrLf + ItemsText(block);
    }
    text += "</WebPart>" + ItemsText(epilog_);
    return text;
}

} // namespace wpe
