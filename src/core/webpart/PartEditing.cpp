#include "webpart/PartEditing.h"

#include "util/Exception.h"
#include "util/Paths.h"
#include "util/Text.h"
#include "webpart/WebPart.h"

namespace wpe {

namespace {

bool emptyLink(const std::string& text) { return text.empty() || SameAsciiCaseless(text, "http://"); }

IField& fieldOf(IFieldSource& fields, const std::string& name) {
    IField* field = fields.FindField(name);
    if (!field) throw Exception("The editor has no field \"" + name + "\"");
    return *field;
}

[[noreturn]] void notText(const std::string& name) {
    throw Exception("The field \"" + name + "\" holds no text");
}

template <class T>
T& fieldAs(IFieldSource& fields, const std::string& name) {
    auto* field = dynamic_cast<T*>(&fieldOf(fields, name));
    if (!field) throw Exception("The field \"" + name + "\" is not of the expected kind");
    return *field;
}

} // namespace

// ---- fields by name ----

std::string FieldText(IFieldSource& fields, const std::string& name) {
    IField& field = fieldOf(fields, name);
    switch (field.Kind()) {
    case FieldKind::Text: return static_cast<ITextField&>(field).GetText();
    case FieldKind::Code: return static_cast<ICodeField&>(field).GetText();
    case FieldKind::Choice: return static_cast<IChoiceField&>(field).GetText();
    default: notText(name);
    }
}

void SetFieldText(IFieldSource& fields, const std::string& name, const std::string& text) {
    IField& field = fieldOf(fields, name);
    switch (field.Kind()) {
    case FieldKind::Text: static_cast<ITextField&>(field).SetText(text); break;
    case FieldKind::Code: static_cast<ICodeField&>(field).SetText(text); break;
    case FieldKind::Choice: static_cast<IChoiceField&>(field).SetText(text); break;
    default: notText(name);
    }
}

// ---- saving ----

std::vector<std::string> SaveWarnings(IFieldSource& fields) {
    std::vector<std::string> warnings;
    if (FieldText(fields, "Content").empty() && emptyLink(FieldText(fields, "ContentLink")))
        warnings.push_back(kContentEmpty);
    if (fieldAs<IChoiceField>(fields, "ContentType").ItemIndex() == 3 && FieldText(fields, "XSL").empty() &&
        emptyLink(FieldText(fields, "XSLLink")))
        warnings.push_back(kXslEmpty);
    return warnings;
}

std::string ProposedFileName(const std::string& fileName, const std::string& title) {
    std::string own = ExtractFileName(fileName);
    if (!own.empty()) return own;
    std::string_view t = TrimBlanks(title);
    return t.empty() ? "Untitled" : SafeFileName(t, "-");
}

std::optional<std::string> MasterPartLinkAfterSave(const std::string& link, const std::string& oldFileName,
                                                   const std::string& chosenPath, bool saveAs) {
    std::string oldName = ExtractFileName(oldFileName);
    if (emptyLink(link) || (saveAs && !oldName.empty() && link == oldName)) return ExtractFileName(chosenPath);
    return std::nullopt;
}

// ---- smaller commands ----

void ApplyRssSettings(TWebPart& part, IFieldSource& fields) {
    SetFieldText(fields, "XSLLink", "rss.xsl");
    fieldAs<IChoiceField>(fields, "ContentType").SetItemIndex(3);
    part.EnsureItem("ContentType");
    SetFieldText(fields, "CustomizationWidth", "233");
    SetFieldText(fields, "CustomizationHeight", "182");
}

void ApplyCacheTimeout(TWebPart& part, IFieldSource& fields, int seconds) {
    SetFieldText(fields, "CacheTimeout", std::to_string(seconds));
    auto& behavior = fieldAs<IChoiceField>(fields, "CacheBehavior");
    if (seconds != 0 && behavior.ItemIndex() == 0) {
        behavior.SetItemIndex(2);
        part.EnsureItem("CacheBehavior");
    }
}

std::string CategoryEditPath(const ICategoryListField& list, int selected, const std::string& entryTitle) {
    if (list.Count() == 0) return entryTitle;
    int index = selected >= 0 && selected < list.Count() ? selected : 0;
    return list.Entry(index) + "/" + entryTitle;
}

std::optional<std::string> BrowsableAddress(const std::string& text) {
    std::string_view t = TrimBlanks(text);
    if (!StartsAsciiCaseless(t, "http://")) return std::nullopt;
    return std::string(t);
}

} // namespace wpe
