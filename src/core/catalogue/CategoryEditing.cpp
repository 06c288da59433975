#include "catalogue/CategoryEditing.h"

#include "catalogue/CatalogueText.h"
#include "catalogue/CategoryChanges.h"

namespace wpe {

TCatNode* AddCategoryAfter(TCatalogue& catalogue, TCatTree& tree, TCatNode* selected)
{
    const std::string name = catalogue.NextNewCategoryName();
    if (!selected)
        return tree.AddCategory(nullptr, name, catalogue.NewCatData());
    return tree.AddCategory(selected->Parent(), name, catalogue.NewCatData(), selected->Index() + 1);
}

TCatNode* AddChildCategory(TCatalogue& catalogue, TCatTree& tree, TCatNode* selected)
{
    if (!selected || !selected->IsCategory())
        return nullptr;
    TCatNode* node = tree.AddCategory(selected, catalogue.NextNewCategoryName(), catalogue.NewCatData());
    selected->expanded = true;
    return node;
}

void DeleteCategory(TCatalogue& catalogue, TCatNode* node)
{
    if (!node)
        return;
    if (node->IsCategory())
        RecordCategoryDelete(catalogue, node);
    node->Tree().Delete(node);
}

bool RenameCategory(TCatalogue& catalogue, TCatNode* node, const std::string& newName)
{
    if (!node)
        return false;
    if (newName.empty()) {
        if (node->Text().empty())
            node->Tree().SetText(node, catalogue.NextNewCategoryName());
        return false;
    }
    if (newName == node->Text())
        return false;
    const std::string oldName = node->Text();
    node->Tree().SetText(node, newName);
    RecordCategoryRename(node, oldName);
    return true;
}

bool MoveCategoryLeft(TCatNode* node)
{
    if (!node || !node->Parent())
        return false;
    TCatNode* parent = node->Parent();
    const std::string oldParentPath = TCatalogue::CategoryPath(parent);
    node->Tree().Move(node, parent->Parent(), parent->Index() + 1);
    RecordCategoryMove(node, oldParentPath);
    return true;
}

bool MoveCategoryRight(TCatNode* node)
{
    if (!node)
        return false;
    TCatNode* previous = node->PrevSibling();
    if (!previous || !previous->IsCategory())
        return false;
    const std::string oldParentPath = TCatalogue::CategoryPath(node->Parent());
    node->Tree().Move(node, previous);
    RecordCategoryMove(node, oldParentPath);
    return true;
}

bool MoveCategoryUp(TCatNode* node)
{
    if (!node || node->Index() == 0)
        return false;
    node->Tree().Move(node, node->Parent(), node->Index() - 1);
    return true;
}

bool MoveCategoryDown(TCatNode* node)
{
    if (!node)
        return false;
    TCatNode* next = node->NextSibling();
    if (!next)
        return false;
    node->Tree().Move(next, node->Parent(), node->Index());
    return true;
}

bool CanDropCategory(const TCatNode* node, const TCatNode* target)
{
    if (!node)
        return false;
    if (!target)
        return node->Parent() != nullptr;
    if (!target->IsCategory() || target == node->Parent())
        return false;
    return !target->IsWithin(node);
}

bool DropCategory(TCatNode* node, TCatNode* target)
{
    if (!CanDropCategory(node, target))
        return false;
    const std::string oldParentPath = TCatalogue::CategoryPath(node->Parent());
    node->Tree().Move(node, target);
    RecordCategoryMove(node, oldParentPath);
    return true;
}

namespace {

bool ByName(const TCatNode* a, const TCatNode* b) { return CompareWithCase(a->Text(), b->Text()) < 0; }

} // namespace

void SortCategoryLevel(TCatTree& tree, TCatNode* node)
{
    if (!node || !node->HasChildren())
        return;
    tree.SortChildren(node, ByName, false);
}

void SortCategoryTree(TCatTree& tree) { tree.SortChildren(nullptr, ByName, true); }

void RebuildWebPartNodes(TCatalogue& catalogue, TCatTree& tree)
{
    std::vector<TCatNode*> categories;
    tree.ForEach([&](TCatNode* n) {
        if (n->IsCategory())
            categories.push_back(n);
    });
    for (TCatNode* category : categories) {
        if (!category->CatData())
            continue;
        for (const auto& entry : category->CatData()->Entries())
            if (!tree.HasWebPartChild(category, entry->title, entry->fileName))
                tree.AddWebPart(category, entry);
    }
    for (const auto& entry : catalogue.RootList().Entries())
        if (!tree.HasWebPartChild(nullptr, entry->title, entry->fileName))
            tree.AddWebPart(nullptr, entry);
}

void RemoveWebPartNodes(TCatTree& tree)
{
    tree.RemoveIf([](const TCatNode* n) { return n->IsWebPart(); });
}

} // namespace wpe
