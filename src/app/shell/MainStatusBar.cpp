#include "shell/MainStatusBar.h"

#include <QAction>
#include <QLabel>

namespace wpe {
namespace {

QLabel* MakePanel(QStatusBar* bar, const char* name, int width, Qt::Alignment align, int stretch)
{
    auto* label = new QLabel(bar);
    label->setObjectName(name);
    label->setMinimumWidth(width);
    label->setAlignment(align | Qt::AlignVCenter);
    label->setFrameShape(QFrame::StyledPanel);
    label->setFrameShadow(QFrame::Sunken);
    if (stretch == 0)
        label->setFixedWidth(width);
    bar->addWidget(label, stretch);
    return label;
}

} // namespace

TMainStatusBar::TMainStatusBar(QWidget* captionWindow, QAction* saveAction, QWidget* parent)
    : QStatusBar(parent), captionWindow_(captionWindow), saveAction_(saveAction)
{
    setObjectName("StatusBar");
    setSizeGripEnabled(true);
    position_ = MakePanel(this, "pnlPosition", 80, Qt::AlignHCenter, 0);
    modified_ = MakePanel(this, "pnlModified", 80, Qt::AlignLeft, 0);
    mode_ = MakePanel(this, "pnlMode", 70, Qt::AlignHCenter, 0);
    message_ = MakePanel(this, "pnlMessage", 50, Qt::AlignLeft, 1);
    Show();
}

void TMainStatusBar::Reset() { state_.Reset(); Show(); }
void TMainStatusBar::SetModified(bool modified) { state_.SetModified(modified); Show(); }
void TMainStatusBar::SetInsertMode(int mode) { state_.SetInsertMode(mode); Show(); }
void TMainStatusBar::SetCaretX(int n) { state_.SetCaretX(n); Show(); }
void TMainStatusBar::SetCaretY(int n) { state_.SetCaretY(n); Show(); }
void TMainStatusBar::SetMessage(const std::string& text) { state_.SetMessage(text); Show(); }

void TMainStatusBar::SetDocumentName(const std::string& name)
{
    state_.SetDocumentName(name);
    Show();
}

void TMainStatusBar::Show()
{
    position_->setText(QString::fromStdString(state_.PositionText()));
    modified_->setText(QString::fromStdString(state_.ModifiedText()));
    mode_->setText(QString::fromStdString(state_.ModeText()));
    message_->setText(QString::fromStdString(state_.MessageText()));
    if (captionWindow_)
        captionWindow_->setWindowTitle(QString::fromStdString(state_.Caption()));
    if (saveAction_)
        saveAction_->setEnabled(state_.SaveEnabled());
}

} // namespace wpe
