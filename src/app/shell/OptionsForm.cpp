#include "shell/OptionsForm.h"

#include "shell/SettingsStore.h"
#include "widgets/FileNameEdit.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace wpe {
namespace {

QWidget* Page(QTabWidget* tabs, const char* name, const QString& caption)
{
    auto* page = new QWidget(tabs);
    page->setObjectName(name);
    tabs->addTab(page, caption);
    return page;
}

QGroupBox* Group(QWidget* page, const QString& title)
{
    auto* layout = new QVBoxLayout(page);
    auto* group = new QGroupBox(title, page);
    layout->addWidget(group);
    layout->addStretch();
    return group;
}

} // namespace

TOptionsForm::TOptionsForm(ISettingsStore& store, QWidget* parent) : QDialog(parent), store_(store)
{
    setObjectName("OptionsForm");
    setWindowTitle("Settings");
    setModal(true);

    auto* tabs = new QTabWidget(this);
    tabs->setObjectName("PageControl");

    auto* main = Group(Page(tabs, "tabMain", "Main"), " Restore at start-up: ");
    auto* mainLayout = new QVBoxLayout(main);
    optRestoreFiles_ = new QCheckBox("Latest opened files", main);
    optRestoreFiles_->setObjectName("optRestoreFiles");
    optRestoreFolder_ = new QCheckBox("Last opened folder", main);
    optRestoreFolder_->setObjectName("optRestoreFolder");
    mainLayout->addWidget(optRestoreFiles_);
    mainLayout->addWidget(optRestoreFolder_);

    auto* skin = Group(Page(tabs, "tabSkin", "Skin"), " External editors: ");
    auto* skinLayout = new QFormLayout(skin);
    optHTMLEditor_ = new FileNameEdit(skin);
    optHTMLEditor_->setObjectName("optHTMLEditor");
    optCSSEditor_ = new FileNameEdit(skin);
    optCSSEditor_->setObjectName("optCSSEditor");
    skinLayout->addRow("HTML editor:", optHTMLEditor_);
    skinLayout->addRow("CSS editor:", optCSSEditor_);

    auto* weblet = Group(Page(tabs, "tabWeblet", "Weblet"), " Saving: ");
    auto* webletLayout = new QVBoxLayout(weblet);
    optCreateWebletArchive_ = new QCheckBox("Create Weblet archive file", weblet);
    optCreateWebletArchive_->setObjectName("optCreateWebletArchive");
    webletLayout->addWidget(optCreateWebletArchive_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("btnOK");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("btnCancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addWidget(buttons);
    resize(420, 260);

    LoadStored();
}

TOptionsForm::~TOptionsForm()
{
    Store();
}

TOptions TOptionsForm::Options() const
{
    TOptions o;
    o.restoreFiles = optRestoreFiles_->isChecked();
    o.restoreFolder = optRestoreFolder_->isChecked();
    o.htmlEditor = optHTMLEditor_->FileName().toStdString();
    o.cssEditor = optCSSEditor_->FileName().toStdString();
    o.createWebletArchive = optCreateWebletArchive_->isChecked();
    return o;
}

void TOptionsForm::done(int result)
{
    if (result != QDialog::Accepted)
        LoadStored();
    Store();
    QDialog::done(result);
}

void TOptionsForm::showEvent(QShowEvent* event)
{
    LoadStored();
    QDialog::showEvent(event);
}

void TOptionsForm::LoadStored()
{
    TOptions o = LoadOptions(store_);
    optRestoreFiles_->setChecked(o.restoreFiles);
    optRestoreFolder_->setChecked(o.restoreFolder);
    optHTMLEditor_->SetFileName(QString::fromStdString(o.htmlEditor));
    optCSSEditor_->SetFileName(QString::fromStdString(o.cssEditor));
    optCreateWebletArchive_->setChecked(o.createWebletArchive);
}

void TOptionsForm::Store()
{
    SaveOptions(store_, Options());
}

} // namespace wpe
