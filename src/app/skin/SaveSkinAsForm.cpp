#include "skin/SaveSkinAsForm.h"

#include "skin/SkinFolder.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

namespace wpe {

TSaveSkinAsForm::TSaveSkinAsForm(QWidget* parent) : QDialog(parent)
{
    setObjectName("SaveSkinAsForm");
    setWindowTitle("Save skin as");
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);

    auto* label = new QLabel("Name:", this);
    label->setObjectName("Label1");
    edtSkinName_ = new QLineEdit(this);
    edtSkinName_->setObjectName("edtSkinName");
    edtSkinName_->setMinimumWidth(260);
    label->setBuddy(edtSkinName_);
    problem_ = new QLabel(this);
    problem_->setObjectName("lblNameProblem");
    problem_->setStyleSheet("color: #b00020;");
    ok_ = new QPushButton("OK", this);
    ok_->setObjectName("Button1");
    ok_->setDefault(true);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("Button2");

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel);
    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(edtSkinName_, 0, 1);
    grid->addWidget(problem_, 1, 1);
    grid->addLayout(buttons, 2, 0, 1, 2);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(edtSkinName_, &QLineEdit::textChanged, this, &TSaveSkinAsForm::nameChanged);
    nameChanged();
}

void TSaveSkinAsForm::SetName(const std::string& name)
{
    edtSkinName_->setText(QString::fromStdString(name));
    edtSkinName_->selectAll();
}

std::string TSaveSkinAsForm::Name() const
{
    return edtSkinName_->text().toStdString();
}

void TSaveSkinAsForm::nameChanged()
{
    const std::string problem = SkinNameProblem(Name());
    problem_->setText(QString::fromStdString(problem));
    problem_->setVisible(!problem.empty());
    ok_->setEnabled(problem.empty());
}

std::optional<std::string> TSaveSkinAsForm::Ask(const std::string& proposed, QWidget* parent)
{
    // One dialog for the program run, made on first use.
    static QPointer<TSaveSkinAsForm> form;
    if (!form)
        form = new TSaveSkinAsForm(parent ? parent->window() : nullptr);
    form->SetName(proposed);
    if (form->exec() != QDialog::Accepted)
        return std::nullopt;
    return form->Name();
}

} // namespace wpe
