// The catalogue frame's Categories tab: the commands of the category
// editor, forwarded to the core's editing operations.

#include "catalogue/CatFrame.h"

#include "catalogue/CatTreeModel.h"
#include "catalogue/CatTreeView.h"
#include "catalogue/CategoryEditing.h"
#include "catalogue/EntryListModel.h"
#include "util/Dialogs.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace wpe {

// ---- Categories tab

void TCatFrame::EditChanged(TCatNode* select, bool beginEdit)
{
    if (sortAutomatically_->isChecked())
        SortCategoryTree(catalogue_.EditTree());
    RefreshEdit(select);
    btnOKEdit_->setEnabled(state_.Modified());
    if (beginEdit && select) {
        editTree_->setFocus();
        editTree_->edit(editModel_->IndexOf(select));
    }
}

void TCatFrame::RefreshEdit(const TCatNode* select)
{
    editModel_->BeginChange();
    editModel_->EndChange();
    editTree_->ShowExpansion();
    editTree_->SelectNode(select);
    EditSelected();
}

void TCatFrame::EditSelected()
{
    const TCatNode* node = editTree_->SelectedNode();
    descrEdit_->setText(node ? CatalogueText(TCatFrameState::EditDescription(node)) : QString(kEditHint));
}

void TCatFrame::AddCategory()
{
    TCatNode* node = AddCategoryAfter(catalogue_, catalogue_.EditTree(), editTree_->SelectedNode());
    state_.SetModified();
    EditChanged(node, true);
}

void TCatFrame::AddChildCategory()
{
    TCatNode* node = wpe::AddChildCategory(catalogue_, catalogue_.EditTree(), editTree_->SelectedNode());
    if (!node)
        return;
    state_.SetModified();
    EditChanged(node, true);
}

void TCatFrame::DeleteCategory()
{
    TCatNode* node = editTree_->SelectedNode();
    if (!node)
        return;
    const std::string question = "Delete node <" + node->Text() + ">";
    if (Dialogs().Ask(MsgKind::Confirmation, question, MsgButtons::YesNo) != MsgResult::Yes)
        return;
    TCatNode* next = node->NextSibling() ? node->NextSibling() : node->PrevSibling();
    if (!next)
        next = node->Parent();
    wpe::DeleteCategory(catalogue_, node);
    state_.SetModified();
    EditChanged(next);
}

void TCatFrame::RenameCategory()
{
    TCatNode* node = editTree_->SelectedNode();
    if (!node)
        return;
    renameInProgress_ = true;
    editTree_->edit(editModel_->IndexOf(node));
}

void TCatFrame::EndRename(TCatNode* node, const std::string& name)
{
    if (!wpe::RenameCategory(catalogue_, node, name))
        return;
    state_.SetModified();
    renameInProgress_ = false;
    btnOKEdit_->setEnabled(true);
    // The editor is still closing: refresh (and sort) once it is done.
    QTimer::singleShot(0, this, [this, node] {
        if (sortAutomatically_->isChecked())
            EditChanged(node);
        else
            EditSelected();
    });
}

void TCatFrame::MoveLeft()
{
    TCatNode* node = editTree_->SelectedNode();
    if (!node)
        return;
    MoveCategoryLeft(node);
    state_.SetModified();
    EditChanged(node);
}

void TCatFrame::MoveRight()
{
    TCatNode* node = editTree_->SelectedNode();
    if (!node)
        return;
    if (MoveCategoryRight(node) && node->Parent())
        node->Parent()->expanded = true;
    state_.SetModified();
    EditChanged(node);
}

void TCatFrame::MoveUp()
{
    TCatNode* node = editTree_->SelectedNode();
    if (!node)
        return;
    MoveCategoryUp(node);
    state_.SetModified();
    EditChanged(node);
}

void TCatFrame::MoveDown()
{
    TCatNode* node = editTree_->SelectedNode();
    if (!node)
        return;
    MoveCategoryDown(node);
    state_.SetModified();
    EditChanged(node);
}

void TCatFrame::SortSubtree()
{
    TCatNode* node = editTree_->SelectedNode();
    if (!node || !node->HasChildren())
        return;
    SortCategoryLevel(catalogue_.EditTree(), node);
    // A sort is a change like any other, so leaving the tab keeps it.
    state_.SetModified();
    EditChanged(node);
}

void TCatFrame::SortTotal()
{
    SortCategoryTree(catalogue_.EditTree());
    state_.SetModified();
    EditChanged(editTree_->SelectedNode());
}

void TCatFrame::Apply()
{
    browseModel_->BeginChange();
    editModel_->BeginChange();
    Guarded([this] { state_.Apply(); });
    editModel_->EndChange();
    browseModel_->EndChange();
    browseTree_->ShowExpansion();
    editTree_->ShowExpansion();
    btnOKEdit_->setEnabled(state_.Modified());
}

bool TCatFrame::EditKey(QKeyEvent* key)
{
    const auto mods = key->modifiers() & ~Qt::KeypadModifier;
    switch (key->key()) {
    case Qt::Key_Insert:
        if (mods == Qt::NoModifier)
            AddCategory();
        else if (mods == Qt::AltModifier)
            AddChildCategory();
        else
            return false;
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (editTree_->IsEditing())
            return false;
        AddCategory();
        return true;
    case Qt::Key_Delete:
        if (mods != Qt::NoModifier || renameInProgress_)
            return false;
        DeleteCategory();
        return true;
    case Qt::Key_F2:
        if (mods != Qt::NoModifier)
            return false;
        RenameCategory();
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (mods != Qt::ControlModifier)
            return false;
        if (key->key() == Qt::Key_Left)
            MoveLeft();
        else if (key->key() == Qt::Key_Right)
            MoveRight();
        else if (key->key() == Qt::Key_Up)
            MoveUp();
        else
            MoveDown();
        return true;
    default: return false;
    }
}

} // namespace wpe
