#include "tidy/TidyOptionsForm.h"

#include "shell/Settings.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <string>

namespace wpe {

namespace {

const char* const kSettingsKey = "TidyOptions";

int readInt(const char* name, int fallback, int low, int high)
{
    try {
        int v = std::stoi(ReadSetting(name, kSettingsKey));
        return v >= low && v <= high ? v : fallback;
    } catch (const std::exception&) {
        return fallback;
    }
}

} // namespace

TTidyOptionsForm::TTidyOptionsForm(QWidget* parent) : QDialog(parent)
{
    setObjectName("TidyOptionsForm");
    setWindowTitle("Make XHTML compatible");

    indent_ = new QComboBox(this);
    indent_->setObjectName("Indent");
    indent_->addItems({"No indent", "Indent Blocks", "Auto Indent"});
    wrap_ = new QSpinBox(this);
    wrap_->setObjectName("Wrap");
    wrap_->setRange(1, 999);
    spacing_ = new QSpinBox(this);
    spacing_->setObjectName("Spacing");
    spacing_->setRange(1, 999);

    auto* form = new QFormLayout;
    form->addRow("Indent:", indent_);
    form->addRow("Wrap at column:", wrap_);
    form->addRow("Indent Spacing:", spacing_);

    auto* warning = new QLabel("Warning! This will reformat your entire document and cannot be undone!", this);
    warning->setObjectName("lblWarning");
    warning->setWordWrap(true);

    auto* make = new QPushButton("&Make", this);
    make->setObjectName("btnMake");
    make->setDefault(true);
    auto* cancel = new QPushButton("&Cancel", this);
    cancel->setObjectName("btnCancel");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(make);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(warning);
    layout->addLayout(buttons);

    connect(make, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    SetFormat(TTidyFormat{});
}

TTidyFormat TTidyOptionsForm::Format() const
{
    TTidyFormat f;
    f.indent = indent_->currentIndex() < 0 ? 2 : indent_->currentIndex();
    f.wrapAt = wrap_->value();
    f.spacing = spacing_->value();
    return f;
}

void TTidyOptionsForm::SetFormat(const TTidyFormat& format)
{
    indent_->setCurrentIndex(format.indent);
    wrap_->setValue(format.wrapAt);
    spacing_->setValue(format.spacing);
}

std::optional<TTidyFormat> TTidyOptionsForm::Ask(QWidget* parent)
{
    static QPointer<TTidyOptionsForm> form;
    if (!form)
        form = new TTidyOptionsForm(parent ? parent->window() : nullptr);
    TTidyFormat stored;
    stored.indent = readInt("Indent", stored.indent, 0, 2);
    stored.wrapAt = readInt("WrapAt", stored.wrapAt, 1, 999);
    stored.spacing = readInt("Spacing", stored.spacing, 1, 999);
    form->SetFormat(stored);
    if (form->exec() != QDialog::Accepted)
        return std::nullopt;
    TTidyFormat chosen = form->Format();
    WriteSetting("Indent", std::to_string(chosen.indent), kSettingsKey);
    WriteSetting("WrapAt", std::to_string(chosen.wrapAt), kSettingsKey);
    WriteSetting("Spacing", std::to_string(chosen.spacing), kSettingsKey);
    return chosen;
}

} // namespace wpe
