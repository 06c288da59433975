#include "catalogue/CategoryChanges.h"

#include "catalogue/CatalogueText.h"
#include "skin/TagParser.h"
#include "util/Exception.h"
#include "webpart/Fields.h"
#include "xml/XXmlDom.h"

#include <vector>

namespace wpe {

namespace {

// Names from `top` down to `node` (both included).
std::vector<std::string> NamesFrom(const TCatNode* top, const TCatNode* node)
{
    std::vector<std::string> names;
    for (const TCatNode* n = node; n; n = n->Parent()) {
        names.push_back(n->Text());
        if (n == top)
            break;
    }
    return {names.rbegin(), names.rend()};
}

std::string Join(const std::string& head, const std::string& tail)
{
    if (head.empty())
        return tail;
    if (tail.empty())
        return head;
    return head + "/" + tail;
}

// Every category node of node's subtree, node first, in tree order.
std::vector<TCatNode*> SubtreeCategories(const TCatNode* node)
{
    std::vector<TCatNode*> out;
    const TCatTree& tree = node->Tree();
    const TCatNode* end = tree.NextSkippingChildren(node);
    for (TCatNode* n = const_cast<TCatNode*>(node); n && n != end; n = tree.Next(n))
        if (n->IsCategory())
            out.push_back(n);
    return out;
}

TCatNode* TargetCategory(TCatNode* target)
{
    if (target && target->IsWebPart())
        return target->Parent();
    return target;
}

TCatData& ListOf(TCatalogue& catalogue, TCatNode* category)
{
    if (!category)
        return catalogue.RootList();
    if (!category->CatData())
        category->Tree().SetCatData(category, catalogue.NewCatData());
    return *category->CatData();
}

void Expand(TCatNode* node)
{
    if (!node)
        return;
    node->expanded = true;
    if (node->CatData())
        node->CatData()->expanded = true;
}

} // namespace

// ---- recording

void RecordCategoryMove(const TCatNode* moved, const std::string& oldParentPath)
{
    for (TCatNode* c : SubtreeCategories(moved)) {
        if (!c->CatData())
            continue;
        const std::string newPath = TCatalogue::CategoryPath(c);
        const std::string oldPath = Join(oldParentPath, JoinCategoryPath(NamesFrom(moved, c)));
        for (const auto& entry : c->CatData()->Entries())
            entry->Push(newPath, oldPath);
    }
}

void RecordCategoryRename(const TCatNode* node, const std::string& oldName)
{
    const std::string parentPath = TCatalogue::CategoryPath(node->Parent());
    for (TCatNode* c : SubtreeCategories(node)) {
        if (!c->CatData())
            continue;
        std::vector<std::string> names = NamesFrom(node, c);
        names.front() = oldName;
        const std::string newPath = TCatalogue::CategoryPath(c);
        const std::string oldPath = Join(parentPath, JoinCategoryPath(names));
        for (const auto& entry : c->CatData()->Entries())
            entry->Push(newPath, oldPath);
    }
}

void RecordCategoryDelete(TCatalogue& catalogue, TCatNode* node)
{
    TCatNode* parent = node->Parent();
    TCatData& target = ListOf(catalogue, parent);
    const std::string parentPath = TCatalogue::CategoryPath(parent);
    for (TCatNode* c : SubtreeCategories(node)) {
        TCatData* own = c->CatData();
        if (!own)
            continue;
        const std::string oldPath = TCatalogue::CategoryPath(c);
        const std::vector<TWPDataPtr> entries = own->Entries();
        for (const auto& entry : entries) {
            std::string newPath;
            if (parent) {
                if (!target.Contains(entry.get())) {
                    target.Add(entry);
                    newPath = parentPath;
                }
            } else if (!target.Contains(entry.get()) && !catalogue.InOtherCategoryList(entry.get(), own)) {
                target.Add(entry);
            }
            entry->Push(newPath, oldPath);
        }
        catalogue.DiscardCatData(own);
    }
}

// ---- moving and copying web parts

bool MoveWebPart(TCatalogue& catalogue, TCatNode* webPart, TCatNode* target)
{
    if (!webPart || !webPart->IsWebPart() || !webPart->Entry())
        return false;
    TCatNode* category = TargetCategory(target);
    TCatNode* from = webPart->Parent();
    // Dropping a part into the category it sits in must not lose the category.
    if (category == from)
        return false;
    TCatTree& tree = webPart->Tree();
    const TWPDataPtr entry = webPart->EntryLink();

    bool duplicate = false;
    for (size_t i = 0; i < tree.Count(category) && !duplicate; ++i) {
        const TCatNode* sibling = tree.Child(category, i);
        duplicate = sibling->IsWebPart() && sibling->Entry() && SameAsciiCaseless(sibling->Text(), webPart->Text()) &&
                    sibling->Entry()->fileName == entry->fileName;
    }
    TCatData& fromList = ListOf(catalogue, from);
    const bool dropped = !category && catalogue.InOtherCategoryList(entry.get(), from ? &fromList : nullptr);

    const std::string oldPath = TCatalogue::CategoryPath(from);
    fromList.Remove(entry.get());
    std::string newPath;
    if (!duplicate && !dropped) {
        ListOf(catalogue, category).Add(entry);
        tree.Move(webPart, category);
        newPath = TCatalogue::CategoryPath(category);
    } else {
        tree.Delete(webPart);
    }
    entry->Push(newPath, oldPath);
    Expand(category);
    return true;
}

bool CopyWebPart(TCatalogue& catalogue, TCatNode* webPart, TCatNode* target)
{
    if (!webPart || !webPart->IsWebPart() || !webPart->Entry())
        return false;
    TCatNode* category = TargetCategory(target);
    // A part cannot sit at the top level and in a category at once.
    if (!category)
        return false;
    TCatTree& tree = webPart->Tree();
    const TWPDataPtr entry = webPart->EntryLink();
    if (tree.HasWebPartChild(category, webPart->Text(), entry->fileName))
        return false;
    ListOf(catalogue, category).Add(entry);
    tree.AddWebPart(category, entry);
    entry->Push(TCatalogue::CategoryPath(category), std::string());
    Expand(category);
    return true;
}

// ---- write-back

bool SameCategoryPath(std::string_view written, std::string_view path)
{
    const std::vector<std::string> a = SplitCategoryPath(written);
    const std::vector<std::string> b = SplitCategoryPath(path);
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (!SameAsciiCaseless(a[i], b[i]))
            return false;
    return true;
}

void ReplayOnList(ICategoryListField& list, const std::deque<TOperation>& operations)
{
    for (const TOperation& op : operations) {
        if (list.Count() == 0) {
            // An empty entry would be written as an empty element.
            if (!op.newPath.empty())
                list.Add(op.newPath);
        } else if (!op.oldPath.empty()) {
            for (int i = 0; i < list.Count(); ++i) {
                if (!SameCategoryPath(list.Entry(i), op.oldPath))
                    continue;
                if (op.newPath.empty())
                    list.Delete(i);
                else
                    list.SetEntry(i, op.newPath);
                break;
            }
        } else if (!op.newPath.empty()) {
            list.Add(op.newPath);
        }
    }
}

namespace {

// Inserts a Category element at the start of the WebPart element's content,
// as markup, keeping every other byte. The path is escaped so that it reads
// back unchanged.
TTagParser InsertCategory(const TTagParser& parser, const std::string& fileName, const std::string& path)
{
    TTagParser probe(parser);
    probe.Reset();
    if (!probe.Find("WebPart"))
        throw Exception(fileName + " is not a WebPart!");
    const std::string startTag = probe.GetStartTag();
    std::string text = probe.Text();
    const size_t tagStart = probe.Position() - 1;
    const size_t tagEnd = tagStart + startTag.size();  // just after '>'
    const std::string element = std::string("\r\n  <Category>") + XmlEscape(path) + "</Category>";
    if (startTag.size() >= 2 && startTag[startTag.size() - 2] == '/') {
        // <WebPart/>: open it so the new element has somewhere to live.
        text.replace(tagEnd - 2, 2, ">" + element + "\r\n</WebPart>");
    } else {
        text.insert(tagEnd, element);
    }
    return TTagParser(std::move(text));
}

} // namespace

void RewriteCategories(const std::string& fileName, const std::deque<TOperation>& operations)
{
    TTagParser parser = TTagParser::CreateFromFile(fileName);
    bool changed = false;
    for (const TOperation& op : operations) {
        bool matched = false;
        parser.Reset();
        // Elements are matched the way the catalogue reads them, so "news"
        // or "/News/" is the same category as News.
        while (parser.Find("Category")) {
            if (!SameCategoryPath(parser.GetText(), op.oldPath))
                continue;
            if (op.newPath.empty())
                parser.ReplaceElement("");
            else
                parser.SetText(op.newPath);
            matched = changed = true;
            break;
        }
        // Removing a category the file does not hold changes nothing; an
        // empty element would send the part to the top level.
        if (!matched && !op.newPath.empty()) {
            parser = InsertCategory(parser, fileName, op.newPath);
            changed = true;
        }
    }
    if (changed)
        parser.SaveToFile(fileName);
}

void ApplyCategoryChanges(TCatalogue& catalogue, IOpenWebParts* openParts)
{
    // A copy: an editor's change handling may reload the catalogue.
    const std::vector<TWPDataPtr> entries = catalogue.AllEntries();
    for (const auto& entry : entries) {
        if (!entry->modified)
            continue;
        if (IOpenWebPart* editor = openParts ? openParts->FindOpenWebPart(entry->fileName) : nullptr) {
            ReplayOnList(editor->CategoryList(), entry->operations);
            editor->SetModified(true);
        } else if (!entry->operations.empty()) {
            try {
                RewriteCategories(entry->fileName, entry->operations);
            } catch (const std::exception& e) {
                const std::string text = e.what();
                if (text.find(entry->fileName) != std::string::npos)
                    throw;
                throw Exception(entry->fileName + ": " + text);
            }
        }
        entry->operations.clear();
        entry->modified = false;
    }
}

} // namespace wpe
