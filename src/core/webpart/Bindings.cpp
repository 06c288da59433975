#include "webpart/Bindings.h"
#include "util/Text.h"

#include <cctype>
#include <climits>

#include "xml/XXmlDom.h"

namespace wpe {

namespace {

// "&name;", "&#digits;" or "&#xhex;" at pos.
bool startsReference(const std::string& s, std::size_t pos) {
    std::size_t i = pos + 1;
    if (i < s.size() && s[i] == '#') {
        ++i;
        bool hex = i < s.size() && (s[i] == 'x' || s[i] == 'X');
        if (hex) ++i;
        std::size_t digits = i;
        while (i < s.size() && (hex ? std::isxdigit(static_cast<unsigned char>(s[i]))
                                    : std::isdigit(static_cast<unsigned char>(s[i]))))
            ++i;
        return i > digits && i < s.size() && s[i] == ';';
    }
    std::size_t name = i;
    while (i < s.size() && (std::isalnum(static_cast<unsigned char>(s[i])) || s[i] == '_' || s[i] == '-' ||
                            s[i] == '.' || s[i] == ':'))
        ++i;
    return i > name && i < s.size() && s[i] == ';' && !std::isdigit(static_cast<unsigned char>(s[name]));
}

// ---- single-line text ----

void setText(IField& f, const std::string& text) { static_cast<ITextField&>(f).SetText(XmlUnescape(text)); }
std::string getText(IField& f) { return TextFieldValue(static_cast<ITextField&>(f).GetText()); }

// ---- code ----

void setCode(IField& f, const std::string& text) { static_cast<ICodeField&>(f).SetText(text); }
std::string getCode(IField& f) { return std::string(TrimBlanks(static_cast<ICodeField&>(f).GetText())); }

// ---- part storage tree ----

void setTree(IField& f, const std::string& text) {
    auto& field = static_cast<IPartStorageField&>(f);
    PartStorageTree tree = field.GetTree();
    LoadPartStorageText(tree, text);
    field.SetTree(std::move(tree));
}
std::string getTree(IField& f) { return PartStorageText(static_cast<IPartStorageField&>(f).GetTree()); }

// ---- tri-state check ----

void setCheck(IField& f, const std::string& text) { static_cast<ICheckField&>(f).SetChecked(text != "0"); }
std::string getCheck(IField& f) { return static_cast<ICheckField&>(f).IsChecked() ? "1" : "0"; }

// ---- category list ----

void setCategory(IField& f, const std::string& text) {
    if (!text.empty()) static_cast<ICategoryListField&>(f).Add(text);
}
std::string getCategory(IField& f) { return static_cast<ICategoryListField&>(f).ReadNext(); }

// ---- choice lists, by name ----

// An index in 0..count-1 taken from text; anything else selects the first item.
void selectIndex(IChoiceField& field, const std::string& text, int offset, int count) {
    int n = 0;
    int index = (ParseInteger(text, n) && n - offset >= 0 && n - offset < count) ? n - offset : 0;
    field.SetItemIndex(index);
}

void setContentType(IField& f, const std::string& text) {
    auto& field = static_cast<IChoiceField&>(f);
    selectIndex(field, text, 0, 4);
    field.RunChangeHandler();
}
void setCacheBehavior(IField& f, const std::string& text) { selectIndex(static_cast<IChoiceField&>(f), text, 0, 3); }
void setZone(IField& f, const std::string& text) { selectIndex(static_cast<IChoiceField&>(f), text, 1, 5); }
std::string getIndex(IField& f) { return std::to_string(static_cast<IChoiceField&>(f).ItemIndex()); }
std::string getZone(IField& f) { return std::to_string(static_cast<IChoiceField&>(f).ItemIndex() + 1); }

void setLanguage(IField& f, const std::string& text) { static_cast<IChoiceField&>(f).SetText(text); }
std::string getLanguage(IField& f) { return TextFieldValue(static_cast<IChoiceField&>(f).GetText()); }

} // namespace

std::string TextFieldValue(const std::string& fieldText) {
    std::string s(TrimBlanks(fieldText));
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else if (c == '&' && !startsReference(s, i)) out += "&amp;";
        else out += c;
    }
    return out;
}

bool ParseInteger(const std::string& text, int& value) {
    std::size_t i = 0;
    while (i < text.size() && static_cast<unsigned char>(text[i]) <= 0x20) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i >= text.size()) return false;
    long long n = 0;
    for (; i < text.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
        n = n * 10 + (text[i] - '0');
        if (n > static_cast<long long>(INT_MAX) + 1) return false;
    }
    n = negative ? -n : n;
    if (n < INT_MIN || n > INT_MAX) return false;
    value = static_cast<int>(n);
    return true;
}

TagBinding BindTag(const std::string& tagName, IFieldSource* fields) {
    IField* field = fields ? fields->FindField(tagName) : nullptr;
    if (!field) return {};
    switch (field->Kind()) {
    case FieldKind::Text: return {field, setText, getText};
    case FieldKind::Code: return {field, setCode, getCode};
    case FieldKind::PartStorage: return {field, setTree, getTree};
    case FieldKind::Check: return {field, setCheck, getCheck};
    case FieldKind::CategoryList:
        if (tagName == "Category") return {field, setCategory, getCategory};
        return {};
    case FieldKind::Choice:
        if (tagName == "ContentType") return {field, setContentType, getIndex};
        if (tagName == "CacheBehavior") return {field, setCacheBehavior, getIndex};
        if (tagName == "Zone") return {field, setZone, getZone};
        if (tagName == "Language") return {field, setLanguage, getLanguage};
        return {};
    }
    return {};
}

} // namespace wpe
