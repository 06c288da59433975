// Reading and writing "category.xml", the OPML file of the category tree.

#include "catalogue/Catalogue.h"
#include "util/PlatformTime.h"
#include "util/Text.h"

#include "catalogue/CatalogueText.h"
#include "util/Dialogs.h"
#include "util/Files.h"
#include "xml/XXmlDom.h"

#include <clocale>
#include <ctime>
#include <string>

namespace wpe {

namespace {

constexpr const char* kCrLf = "\r\n";
constexpr const char* kOwnerEmail = "devkit@orlendt.example";

// The current local date and time in the user's short-date and long-time form.
std::string LocalDateTimeText()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    platform::LocalTime(now, local);
    return platform::FormatInUserLocale("%x %X", local);
}

std::string Indent(int level) { return std::string(static_cast<size_t>(2 * level), ' '); }

bool HasCategoryChild(const TCatNode* node)
{
    for (size_t i = 0; i < node->Count(); ++i)
        if (node->Child(i)->IsCategory())
            return true;
    return false;
}

std::vector<std::string> SplitExpansionState(const std::string& text)
{
    return SplitNonEmpty(text, ',');
}

// A whole decimal integer, optionally signed and blank-padded.
bool ParseIndex(const std::string& text, long long& value)
{
    size_t b = text.find_first_not_of(" \t\r\n");
    size_t e = text.find_last_not_of(" \t\r\n");
    if (b == std::string::npos)
        return false;
    const std::string t = text.substr(b, e - b + 1);
    size_t i = (t[0] == '-' || t[0] == '+') ? 1 : 0;
    if (i == t.size() || t.size() - i > 18)
        return false;
    for (size_t k = i; k < t.size(); ++k)
        if (t[k] < '0' || t[k] > '9')
            return false;
    value = std::stoll(t);
    return true;
}

} // namespace

struct TCatalogue::OutlineState {
    int previousLevel = 0;        // P
    TCatNode* last = nullptr;     // N
    std::vector<std::string> expansion;
};

void TCatalogue::WriteCategoryFile(const TCatTree& tree, const std::string& fileName) const
{
    std::string expansion;
    std::string body;
    size_t index = 0;
    int previous = 0;
    for (TCatNode* node = tree.First(); node; node = tree.Next(node), ++index) {
        if (!node->IsCategory())
            continue;
        if (node->CatData() && node->CatData()->expanded) {
            if (!expansion.empty())
                expansion += ',';
            expansion += std::to_string(index);
        }
        const int level = node->Level();
        for (int k = previous - 1; k >= level; --k)
            body += Indent(k) + "</outline>" + kCrLf;
        // Names are escaped so that any name reads back unchanged. Only
        // category children count: a stray web part must not open an outline
        // that is never closed.
        const std::string name = XmlEscape(node->Text());
        if (HasCategoryChild(node))
            body += Indent(level) + "<outline text=\"" + name + "\">" + kCrLf;
        else
            body += Indent(level) + "<outline text=\"" + name + "\"/>" + kCrLf;
        previous = level;
    }
    for (int k = previous - 1; k >= 0; --k)
        body += Indent(k) + "</outline>" + kCrLf;

    std::string text;
    text += "<?xml version=\"1.0\" encoding=\"WINDOWS-1251\" ?>";
    text += kCrLf;
    text += "<opml version=\"1.0\">";
    text += kCrLf;
    text += "<head>";
    text += kCrLf;
    text += "  <title>Tolvinex category list</title>";
    text += kCrLf;
    text += "  <dateModified>" + LocalDateTimeText() + "</dateModified>" + kCrLf;
    text += "  <ownerName>Orlendt Development</ownerName>";
    text += kCrLf;
    text += std::string("  <ownerEmail>") + kOwnerEmail + "</ownerEmail>" + kCrLf;
    text += "  <expansionState>" + expansion + "</expansionState>" + kCrLf;
    text += "</head>";
    text += kCrLf;
    text += "<body>";
    text += kCrLf;
    text += body;
    text += "</body>";
    text += kCrLf;
    text += "</opml>";
    WriteWholeFile(fileName, text);
}

bool TCatalogue::ReadCategoryFile(TCatTree& tree, const std::string& fileName)
{
    TRef<TXmlDDocument> doc = MakeRef<TXmlDDocument>();
    try {
        doc->LoadFromFile(fileName);
    } catch (const std::exception& e) {
        Dialogs().Show(MsgKind::Error, "Error while loading \"" + fileName + "\" :" + kCrLf + e.what());
        return false;
    }

    const TXmlDNode* opml = doc->SelectChild("opml");
    if (!opml)
        return true;
    OutlineState state;
    if (const TXmlDNode* head = opml->SelectChild("head"))
        if (const TXmlDNode* exp = head->SelectChild("expansionState"))
            state.expansion = SplitExpansionState(exp->Text());

    const TXmlDNode* body = opml->SelectChild("body");
    if (!body)
        return true;
    tree.Clear();
    for (const TXmlDNode* child : body->Children())
        if (SameAsciiCaseless(child->NodeName(), "OUTLINE"))
            ReadOutline(tree, child, 0, state);
    return true;
}

void TCatalogue::ReadOutline(TCatTree& tree, const TXmlDNode* outline, int level, OutlineState& state)
{
    if (outline->NodeType() != ntElement || static_cast<size_t>(level) >= kMaxCategoryDepth)
        return;
    const auto* element = static_cast<const TXmlDElement*>(outline);
    const TXmlDAttribute* text = element->GetAttributeNode("text");
    if (!text)
        return;
    const std::string& name = text->Value();

    TCatNode* parent = nullptr;
    if (level > state.previousLevel) {
        parent = state.last;
    } else if (level == state.previousLevel) {
        parent = state.last ? state.last->Parent() : nullptr;
    } else {
        TCatNode* n = state.last;
        while (n && n->Level() != level)
            n = tree.Previous(n);
        parent = n ? n->Parent() : nullptr;
    }
    state.last = FindOrAddCategory(tree, parent, name);

    if (!state.expansion.empty()) {
        long long wanted = 0;
        if (ParseIndex(state.expansion.front(), wanted) && wanted >= 0 &&
            static_cast<size_t>(wanted) == tree.AbsoluteIndex(state.last)) {
            if (state.last->CatData())
                state.last->CatData()->expanded = true;
            state.expansion.erase(state.expansion.begin());
        }
    }

    if (outline->HasChildNodes()) {
        state.previousLevel = level;
        for (const TXmlDNode* child : outline->Children())
            ReadOutline(tree, child, level + 1, state);
        state.previousLevel = level + 1;
    } else {
        state.previousLevel = level;
    }
}

} // namespace wpe
