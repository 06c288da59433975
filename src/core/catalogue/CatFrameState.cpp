#include "catalogue/CatFrameState.h"

#include "catalogue/CatalogueText.h"
#include "catalogue/CategoryEditing.h"
#include "util/Dialogs.h"

#include <algorithm>
#include <cstdlib>
#include <exception>

namespace wpe {

// ---- snapshot

void TCatalogueSnapshot::Capture(TCatalogue& catalogue)
{
    lists_.clear();
    queues_.clear();
    for (const TCatDataPtr& list : catalogue.CategoryLists())
        lists_.emplace_back(list, list->Entries());
    rootEntries_ = catalogue.RootList().Entries();
    for (const TWPDataPtr& entry : catalogue.AllEntries())
        queues_.push_back({entry, entry->operations, entry->modified});
    captured_ = true;
}

void TCatalogueSnapshot::Restore(TCatalogue& catalogue) const
{
    if (!captured_)
        return;
    for (const TCatDataPtr& list : catalogue.CategoryLists())
        catalogue.DiscardCatData(list.get());
    auto refill = [](TCatData& list, const std::vector<TWPDataPtr>& entries) {
        list.Clear();
        for (const TWPDataPtr& entry : entries)
            list.Add(entry);
    };
    for (const auto& [list, entries] : lists_) {
        catalogue.RegisterCatData(list);
        refill(*list, entries);
    }
    refill(catalogue.RootList(), rootEntries_);
    for (const Queue& q : queues_) {
        q.entry->operations = q.operations;
        q.entry->modified = q.modified;
    }
}

// ---- frame state

namespace {

bool AskYesByDialog(const std::string& question)
{
    return Dialogs().Ask(MsgKind::Confirmation, question, MsgButtons::YesNo) == MsgResult::Yes;
}

// Runs step; a failure is kept in `error` (the first one wins) so that the
// steps after it still bring the trees into a consistent state.
template <typename F>
void Keep(std::exception_ptr& error, F&& step)
{
    try {
        step();
    } catch (...) {
        if (!error)
            error = std::current_exception();
    }
}

} // namespace

TCatFrameState::TCatFrameState(TCatalogue& catalogue, IOpenWebParts* openParts)
    : catalogue_(catalogue), openParts_(openParts), ask_(AskYesByDialog)
{
}

void TCatFrameState::ChangeTab(TCatTab to)
{
    if (to == active_)
        return;
    pageLeft_ = active_;
    std::exception_ptr error;
    if (active_ == TCatTab::Categories) {
        if (modified_) {
            if (ask_(kSaveCategoriesQuestion)) {
                Keep(error, [this] { ApplyAndRebuild(); });
            } else {
                // Declined edits leave nothing behind: no queued renames, no
                // lists handed to a parent by a delete.
                beforeEdit_.Restore(catalogue_);
            }
            modified_ = false;
        }
        catalogue_.EditTree().CopyFrom(catalogue_.BrowseTree());
    }
    active_ = to;
    switch (to) {
    case TCatTab::Browse: Refilter(); break;
    case TCatTab::Search: break;
    case TCatTab::Categories:
        catalogue_.ApplyFilter(0, catalogue_.BrowseTree());
        catalogue_.ApplyFilter(kFilterCategoriesOnly, catalogue_.EditTree());
        beforeEdit_.Capture(catalogue_);
        break;
    }
    if (error)
        std::rethrow_exception(error);
}

void TCatFrameState::Refilter()
{
    const int mask = catalogue_.FilterMask();
    if (mask != 0) {
        catalogue_.ApplyFilter(0, catalogue_.BrowseTree());
        catalogue_.ApplyFilter(mask, catalogue_.BrowseTree());
    } else {
        TCatalogue::ExpandSaved(catalogue_.BrowseTree());
    }
}

void TCatFrameState::ChooseLanguage(int language)
{
    catalogue_.languageChoice = language;
    catalogue_.ApplyFilter(0, catalogue_.BrowseTree());
    if (catalogue_.FilterMask() != 0)
        catalogue_.ApplyFilter(catalogue_.FilterMask(), catalogue_.BrowseTree());
}

void TCatFrameState::ChooseItems(int items)
{
    catalogue_.itemChoice = items;
    catalogue_.ApplyFilter(0, catalogue_.BrowseTree());
    if (catalogue_.FilterMask() != 0)
        catalogue_.ApplyFilter(catalogue_.FilterMask(), catalogue_.BrowseTree());
}

bool TCatFrameState::CanStartDrag(const TCatNode* selected, int dx, int dy, bool copy)
{
    if (!selected || !selected->IsWebPart())
        return false;
    if (std::abs(dx) < kDragThreshold && std::abs(dy) < kDragThreshold)
        return false;
    return !copy || selected->Parent() != nullptr;
}

bool TCatFrameState::CanDropOnBrowse(const std::string& source, const TCatNode* dragged, const TCatNode* target,
                                     bool copy)
{
    if (!SameAsciiCaseless(source, "BrowseTree") || !dragged || !dragged->IsWebPart() || !dragged->Entry())
        return false;
    if (!target)
        return !copy && dragged->Parent() != nullptr;
    if (target->IsCategory())
        return target != dragged->Parent();
    return target->Parent() != dragged->Parent();
}

void TCatFrameState::AfterBrowseEdit()
{
    // With a filter chosen the browse tree lacks what the filter hides; the
    // edit tree keeps it and only follows the lists.
    if (catalogue_.FilterMask() == 0)
        catalogue_.EditTree().CopyFrom(catalogue_.BrowseTree());
    else
        SyncWebPartNodes(catalogue_, catalogue_.EditTree());
}

bool TCatFrameState::DropOnBrowse(TCatNode* dragged, TCatNode* target, bool copy)
{
    if (!dragged || !dragged->Entry())
        return false;
    const bool done = copy ? CopyWebPart(catalogue_, dragged, target) : MoveWebPart(catalogue_, dragged, target);
    if (!done)
        return false;
    std::exception_ptr error;
    Keep(error, [this] { ApplyCategoryChanges(catalogue_, openParts_); });
    AfterBrowseEdit();
    if (error)
        std::rethrow_exception(error);
    return true;
}

bool TCatFrameState::RemoveFromCategory(TCatNode* webPart)
{
    if (!webPart || !webPart->IsWebPart() || !webPart->Parent())
        return false;
    return DropOnBrowse(webPart, nullptr, false);
}

bool TCatFrameState::MoveSelectedWebPart(TCatNode* selected, TCatNode* target)
{
    if (!selected || !selected->IsWebPart())
        return false;
    return DropOnBrowse(selected, target, false);
}

void TCatFrameState::ApplyAndRebuild()
{
    std::exception_ptr error;
    Keep(error, [this] { ApplyCategoryChanges(catalogue_, openParts_); });
    modified_ = false;
    catalogue_.BrowseTree().CopyFrom(catalogue_.EditTree());
    RebuildWebPartNodes(catalogue_, catalogue_.BrowseTree());
    Keep(error, [this] { SaveCategoryTree(); });
    if (onCategoriesApplied)
        onCategoriesApplied();
    if (error)
        std::rethrow_exception(error);
}

void TCatFrameState::Apply()
{
    std::exception_ptr error;
    Keep(error, [this] { ApplyAndRebuild(); });
    // What is applied is no longer undone by a later No.
    if (active_ == TCatTab::Categories)
        beforeEdit_.Capture(catalogue_);
    if (error)
        std::rethrow_exception(error);
}

void TCatFrameState::Write(const TCatTree& tree)
{
    // The file holds categories only; a copy keeps the shown tree whole.
    TCatTree categories;
    categories.CopyFrom(tree);
    RemoveWebPartNodes(categories);
    catalogue_.WriteCategoryFile(categories, catalogue_.CategoryFilePath());
}

void TCatFrameState::SaveCategoryTree()
{
    if (active_ != TCatTab::Categories || !modified_) {
        Write(catalogue_.EditTree());
        return;
    }
    modified_ = false;
    if (ask_(kSaveCategoriesQuestion)) {
        std::exception_ptr error;
        Keep(error, [this] { ApplyCategoryChanges(catalogue_, openParts_); });
        Keep(error, [this] { Write(catalogue_.EditTree()); });
        if (error)
            std::rethrow_exception(error);
        return;
    }
    beforeEdit_.Restore(catalogue_);
    Write(catalogue_.BrowseTree());
}

// ---- texts

std::string TCatFrameState::BrowseDescription(const TCatNode* node)
{
    if (!node)
        return {};
    if (node->IsWebPart())
        return node->Entry() ? node->Entry()->description : std::string();
    return node->Text() + " category";
}

std::string TCatFrameState::EditDescription(const TCatNode* node)
{
    if (!node)
        return {};
    if (node->IsCategory() && node->CatData()) {
        std::string text;
        for (const TWPDataPtr& entry : node->CatData()->Entries())
            text += entry->title + "; ";
        return text;
    }
    return node->Text() + " category";
}

std::string TCatFrameState::SearchDescription(const std::string& text)
{
    const bool blank = std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) <= ' '; });
    if (blank)
        return kSearchHint;
    return "Search webparts for \"" + text + "\" substring";
}

// ---- category picker

bool TCatFrameState::PickerChoiceAllowed(const TCatNode* mainSelected, const TCatNode* pickerSelected)
{
    if (!mainSelected || !mainSelected->IsWebPart())
        return false;
    if (!mainSelected->Parent() || !pickerSelected)
        return true;
    return pickerSelected->Text() != mainSelected->Parent()->Text();
}

TCatNode* TCatFrameState::FindCategoryByPath(const TCatTree& tree, const std::string& path)
{
    const std::vector<std::string> names = SplitCategoryPath(path);
    if (names.empty())
        return nullptr;
    TCatNode* node = nullptr;
    for (const std::string& name : names) {
        TCatNode* found = nullptr;
        for (size_t i = 0; i < tree.Count(node) && !found; ++i) {
            TCatNode* child = tree.Child(node, i);
            if (child->IsCategory() && child->Text() == name)
                found = child;
        }
        if (!found)
            return nullptr;
        node = found;
    }
    return node;
}

// ---- tree upkeep

void SyncWebPartNodes(TCatalogue& catalogue, TCatTree& tree)
{
    const TCatData* root = &catalogue.RootList();
    tree.RemoveIf([root](const TCatNode* n) {
        if (!n->IsWebPart() || !n->Entry())
            return false;
        const TCatData* list = n->Parent() ? n->Parent()->CatData() : root;
        return !list || !list->Contains(n->Entry());
    });
    RebuildWebPartNodes(catalogue, tree);
}

} // namespace wpe
