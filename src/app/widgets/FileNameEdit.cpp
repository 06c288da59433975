#include "widgets/FileNameEdit.h"

#include "util/Dialogs.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QToolButton>

namespace wpe {

FileNameEdit::FileNameEdit(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    edit_ = new QLineEdit(this);
    browse_ = new QToolButton(this);
    browse_->setText("...");
    browse_->setToolTip("Browse");
    layout->addWidget(edit_, 1);
    layout->addWidget(browse_);
    connect(browse_, &QToolButton::clicked, this, &FileNameEdit::Browse);
}

QString FileNameEdit::FileName() const { return edit_->text(); }
void FileNameEdit::SetFileName(const QString& name) { edit_->setText(name); }

void FileNameEdit::Browse()
{
    FileDialogOptions o;
    o.title = "Choose a program";
    o.filter = "All Files|*";
    QFileInfo current(edit_->text());
    if (!edit_->text().isEmpty()) {
        o.initialDir = current.absolutePath().toStdString();
        o.fileName = current.fileName().toStdString();
    }
    if (auto chosen = Dialogs().ChooseOpenFile(o))
        edit_->setText(QString::fromStdString(*chosen));
}

} // namespace wpe
