#include "dialogs/NewItemsForm.h"

#include "portal/BaseITF.h"
#include "shell/DocumentEditor.h"
#include "util/Dialogs.h"
#include "util/Exception.h"
#include "webpart/RssImport.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

namespace wpe {

namespace {

struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

bool looksLikeFeedAddress(const QString& text) {
    if (!text.contains("p://"))
        return false;
    for (const char* word : {"rss", "xml", "feed", "rdf"})
        if (text.contains(QLatin1String(word)))
            return true;
    return false;
}

} // namespace

TNewItemsForm::TNewItemsForm(NewItemsActions actions, QWidget* owner)
    : QDialog(owner), actions_(std::move(actions)), internetAvailable_(&IsInternetAvailable),
      download_([](const std::string& url) { return GetURLDataEx("wpeditor", url); }) {
    setObjectName("NewItemsForm");
    setWindowTitle("New Items");

    auto* group = new QGroupBox("Choose: ");
    group->setObjectName("gbChoose");
    radios_[0] = new QRadioButton("WebPart");
    radios_[0]->setObjectName("rbWebPart");
    radios_[1] = new QRadioButton("Import WebPart from RSS");
    radios_[1]->setObjectName("rbRss");
    radios_[2] = new QRadioButton("Skin");
    radios_[2]->setObjectName("rbSkin");
    auto* urlLabel = new QLabel("URL:");
    urlLabel->setObjectName("lblURL");
    url_ = new QLineEdit("http://");
    url_->setObjectName("edtURL");
    url_->setMinimumWidth(320);
    urlLabel->setBuddy(url_);

    auto* urlRow = new QHBoxLayout;
    urlRow->addSpacing(20);
    urlRow->addWidget(urlLabel);
    urlRow->addWidget(url_, 1);
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(radios_[0]);
    groupLayout->addWidget(radios_[1]);
    groupLayout->addLayout(urlRow);
    groupLayout->addWidget(radios_[2]);

    auto* buttons = new QDialogButtonBox;
    ok_ = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    ok_->setObjectName("btnOK");
    ok_->setDefault(true);
    QPushButton* cancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    cancel->setObjectName("btnCancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);

    for (int tag = 0; tag < 3; ++tag)
        connect(radios_[tag], &QRadioButton::clicked, this, [this, tag] { Choose(tag); });
    radios_[0]->setChecked(true);
    url_->setEnabled(false);
}

TNewItemsForm& TNewItemsForm::Of(QWidget* owner, const NewItemsActions& actions) {
    if (auto* existing = owner->findChild<TNewItemsForm*>("NewItemsForm", Qt::FindDirectChildrenOnly))
        return *existing;
    return *new TNewItemsForm(actions, owner);
}

int TNewItemsForm::Choice() const {
    for (int tag = 0; tag < 3; ++tag)
        if (radios_[tag]->isChecked())
            return tag;
    return 0;
}

void TNewItemsForm::Choose(int tag) {
    for (int i = 0; i < 3; ++i)
        radios_[i]->setChecked(i == tag);
    url_->setEnabled(tag == 1);
    if (tag == 1) {
        url_->setFocus();
        CheckClipboard();
    }
}

void TNewItemsForm::CheckClipboard() {
    QString text = QGuiApplication::clipboard()->text(QClipboard::Clipboard).trimmed();
    if (looksLikeFeedAddress(text)) {
        url_->setText(text);
        url_->selectAll();
    }
}

void TNewItemsForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (Choice() == 1) {
        url_->setFocus();
        CheckClipboard();
    } else {
        ok_->setFocus();
    }
}

void TNewItemsForm::Execute() {
    if (exec() == QDialog::Accepted)
        CreateChosenItem();
}

void TNewItemsForm::createFromFeed() {
    if (!internetAvailable_())
        throw Exception("Cannot download RSS file - no Internet connection available");
    std::string url = url_->text().trimmed().toStdString();
    std::string feed = download_(url);
    // A feed that yields no part text fails here, before a tab exists.
    BuildRssWebPartText(std::string(), feed, url);
    IDocumentEditor* editor = actions_.newWebPartTab ? actions_.newWebPartTab() : nullptr;
    if (editor)
        editor->NewFromRss(feed, url);
}

void TNewItemsForm::CreateChosenItem() {
    WaitCursor wait;
    hide();
    try {
        switch (Choice()) {
        case 0:
            if (actions_.newWebPart)
                actions_.newWebPart();
            break;
        case 1: createFromFeed(); break;
        case 2:
            if (actions_.newSkin)
                actions_.newSkin();
            break;
        }
    } catch (const std::exception& e) {
        Dialogs().Show(MsgKind::Error, e.what());
    }
}

} // namespace wpe
