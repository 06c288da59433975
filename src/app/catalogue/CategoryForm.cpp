#include "catalogue/CategoryForm.h"

#include "catalogue/CatFrame.h"
#include "catalogue/CatTreeModel.h"
#include "catalogue/CatTreeView.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace wpe {

TCategoryForm::TCategoryForm(TCatFrame& mainFrame, QWidget* parent) : QDialog(parent), main_(mainFrame)
{
    setObjectName("CategoryForm");
    setWindowTitle("Select category");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* panel = new QWidget(this);
    panel->setObjectName("CatPanel");
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(4, 4, 4, 4);
    picker_ = new TCatFrame(TCatFrame::Mode::Picker, panel);
    panelLayout->addWidget(picker_);
    layout->addWidget(panel);
    resize(320, 420);

    connect(picker_, &TCatFrame::browseSelectionChanged, this, &TCategoryForm::BrowseTreeChange);
    connect(picker_, &TCatFrame::browseActivated, this, &TCategoryForm::Activated);
    connect(picker_, &TCatFrame::okClicked, this, [this] { done(QDialog::Accepted); });
    connect(picker_, &TCatFrame::cancelClicked, this, [this] { done(QDialog::Rejected); });
    main_.SetOnCategoriesApplied([this] { TreeChange(); });
    TreeChange();
}

TCategoryForm::~TCategoryForm() { main_.SetOnCategoriesApplied(nullptr); }

void TCategoryForm::TreeChange()
{
    picker_->ShowCategoriesOf(main_.Catalogue().EditTree());
    UpdateOk();
}

bool TCategoryForm::ChoiceAllowed() const
{
    return TCatFrameState::PickerChoiceAllowed(main_.SelectedBrowseNode(), picker_->SelectedBrowseNode());
}

void TCategoryForm::UpdateOk() { picker_->findChild<QPushButton*>("btnOK")->setEnabled(ChoiceAllowed()); }

void TCategoryForm::BrowseTreeChange()
{
    if (const TCatNode* node = picker_->SelectedBrowseNode())
        picker_->Description()->setText(CatalogueText(node->Text() + " category"));
    UpdateOk();
}

void TCategoryForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    picker_->BrowseTree()->setFocus();
    if (!lastPath_.empty()) {
        if (const TCatNode* node = TCatFrameState::FindCategoryByPath(picker_->Catalogue().BrowseTree(), lastPath_))
            picker_->BrowseTree()->SelectNode(node);
    }
    UpdateOk();
}

void TCategoryForm::AddBtnClick()
{
    const TCatNode* chosen = picker_->SelectedBrowseNode();
    if (!chosen)
        return;
    lastPath_ = TCatalogue::CategoryPath(chosen);
    // The node the user chose, not a namesake deeper in another branch.
    if (TCatNode* target = TCatFrameState::FindCategoryByPath(main_.Catalogue().BrowseTree(), lastPath_))
        main_.MoveSelectedWebPart(target);
}

void TCategoryForm::Activated()
{
    if (!ChoiceAllowed())
        return;
    AddBtnClick();
    // Closed from inside the choice: the cancel result keeps it from running twice.
    choosing_ = true;
    done(QDialog::Rejected);
    choosing_ = false;
}

void TCategoryForm::done(int result)
{
    if (result == QDialog::Accepted && !choosing_) {
        choosing_ = true;
        AddBtnClick();
        choosing_ = false;
    }
    QDialog::done(result);
}

} // namespace wpe
