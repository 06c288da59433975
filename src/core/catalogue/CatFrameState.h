#pragma once
// The catalogue frame's state and decisions without its widgets: which tab
// is active, the filter choices, whether the category editor holds changes,
// what happens to the two trees when tabs change, which drops are accepted,
// when a drag may begin, the description texts and how the category tree is
// saved. The frame only shows the trees and forwards the user's actions.

#include "catalogue/Catalogue.h"
#include "catalogue/CategoryChanges.h"

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace wpe {

enum class TCatTab { Browse = 0, Search = 1, Categories = 2 };

// A drag moves the mouse this many pixels (in either direction) before it begins.
inline constexpr int kDragThreshold = 6;

inline constexpr const char* kSaveCategoriesQuestion = "Save changes to categories tree?";
inline constexpr const char* kBrowseHint =
    "Select desired webpart and drag it to the needed category.\r\nUse drag'n'drop or button to add webpart to the "
    "Start Page.";
inline constexpr const char* kSearchHint = "Enter a keyword in the search box";
inline constexpr const char* kEditHint = "Select desired webpart and press Add to the Start Page button";
inline constexpr const char* kNoItemsText = "There are no items which match your current filter criteria.";

// The lists and queues of a catalogue as they were at one moment, so that
// category edits the user declines can be undone completely.
class TCatalogueSnapshot {
public:
    void Capture(TCatalogue& catalogue);
    // Puts every list, registration, queue and modified flag back.
    void Restore(TCatalogue& catalogue) const;
    bool Empty() const { return !captured_; }

private:
    bool captured_ = false;
    std::vector<std::pair<TCatDataPtr, std::vector<TWPDataPtr>>> lists_;
    std::vector<TWPDataPtr> rootEntries_;
    struct Queue {
        TWPDataPtr entry;
        std::deque<TOperation> operations;
        bool modified;
    };
    std::vector<Queue> queues_;
};

class TCatFrameState {
public:
    // Asks a Yes/No question; true for Yes.
    using AskYes = std::function<bool(const std::string& question)>;

    explicit TCatFrameState(TCatalogue& catalogue, IOpenWebParts* openParts = nullptr);

    TCatalogue& Catalogue() { return catalogue_; }
    void SetOpenParts(IOpenWebParts* openParts) { openParts_ = openParts; }
    void SetAskYes(AskYes ask) { ask_ = std::move(ask); }
    // Called after category changes were applied from the Categories tab.
    std::function<void()> onCategoriesApplied;

    TCatTab ActiveTab() const { return active_; }
    TCatTab PageLeft() const { return pageLeft_; }
    // The category editor holds changes not yet applied.
    bool Modified() const { return modified_; }
    // Marks a change made in the category editor.
    void SetModified() { modified_ = true; }

    // ---- tabs
    // Leaves the active tab (asking to save category changes when the
    // Categories tab holds some) and prepares the trees for `to`. Answering
    // No discards the recorded changes as well as the tree edits. An error
    // of the write-back is raised after the trees are in their new state.
    void ChangeTab(TCatTab to);

    // ---- Browse tab
    // Sets the language (0, 2, 4, 8, 16) or item (0, 32, 64) choice and
    // shows the browse tree filtered by both, starting from the full tree.
    void ChooseLanguage(int language);
    void ChooseItems(int items);
    // A drag of `selected` may begin once the pointer moved far enough; a
    // copy drag only for a web part that sits in a category.
    static bool CanStartDrag(const TCatNode* selected, int dx, int dy, bool copy);
    // Whether a drag from the control named `source` of web part node
    // `dragged` may end on `target` (null: empty space) of the browse tree.
    static bool CanDropOnBrowse(const std::string& source, const TCatNode* dragged, const TCatNode* target, bool copy);
    // The drop: copies or moves the part and writes the change back at once.
    // True when something was done.
    bool DropOnBrowse(TCatNode* dragged, TCatNode* target, bool copy);
    // Delete on a web part inside a category: the part leaves that category.
    bool RemoveFromCategory(TCatNode* webPart);
    // Moves the browse tree's selected web part into `target` and writes
    // the change back (the category picker's choice).
    bool MoveSelectedWebPart(TCatNode* selected, TCatNode* target);

    // ---- Categories tab
    // Writes the recorded changes, makes the browse tree the edited tree with
    // its web parts, saves the category file and tells the applied handler.
    void Apply();
    // Writes "category.xml" as the shut-down does; may ask whether to apply.
    void SaveCategoryTree();

    // ---- texts
    // uiDescr for the browse tree's selected node.
    static std::string BrowseDescription(const TCatNode* node);
    // DescrEdit for the edit tree's selected node.
    static std::string EditDescription(const TCatNode* node);
    // uiDescr2 while the search text is typed.
    static std::string SearchDescription(const std::string& text);

    // ---- category picker
    // Whether the picker may move `mainSelected` (the main browse tree's
    // selected node) into the picker's selected category.
    static bool PickerChoiceAllowed(const TCatNode* mainSelected, const TCatNode* pickerSelected);
    // The node of tree whose path from the top level is exactly `path`
    // (each name among the children of the one before); null when none.
    static TCatNode* FindCategoryByPath(const TCatTree& tree, const std::string& path);

private:
    void Refilter();
    void AfterBrowseEdit();
    void ApplyAndRebuild();
    void Write(const TCatTree& tree);

    TCatalogue& catalogue_;
    IOpenWebParts* openParts_;
    AskYes ask_;
    TCatTab active_ = TCatTab::Browse;
    TCatTab pageLeft_ = TCatTab::Browse;
    bool modified_ = false;
    TCatalogueSnapshot beforeEdit_;
};

// Makes the web part nodes of tree agree with the category lists: nodes of
// entries no longer in their category's list go, entries missing a node get
// one at the end. Category nodes and the order of kept nodes stay.
void SyncWebPartNodes(TCatalogue& catalogue, TCatTree& tree);

} // namespace wpe
