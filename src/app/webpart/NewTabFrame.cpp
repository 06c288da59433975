#include "webpart/NewTabFrame.h"

#include "catalogue/CatalogueData.h"
#include "portal/PortalText.h"
#include "shell/AppFolders.h"
#include "shell/CatalogueHook.h"
#include "shell/MainServices.h"
#include "shell/MainStatusBar.h"
#include "shell/Options.h"
#include "shell/Settings.h"
#include "util/Dialogs.h"
#include "util/Files.h"
#include "util/Paths.h"
#include "webpart/Archive.h"
#include "webpart/PartEditing.h"
#include "webpart/RssImport.h"
#include "webpart/WPComment.h"
#include "webpart/WebPart.h"

#include <Qsci/qsciscintilla.h>

#include <QApplication>
#include <QFileInfo>
#include <QListWidget>
#include <QTabWidget>

#include <chrono>

namespace wpe {

namespace {

const char* const kCommentsEncoding = "windows-1251";

// The wait cursor for the length of a scope.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

// ---- state ----

void TNewTab::SetModified(bool modified) {
    modified_ = modified;
    if (!modified)
        memo_->setModified(false);
    UpdateStatus();
}

ICategoryListField& TNewTab::CategoryList() {
    return static_cast<ICategoryListField&>(*fields_.at("Category"));
}

bool TNewTab::IsModified() const {
    return modified_ || memo_->isModified();
}

void TNewTab::UpdateStatus() {
    bool modified = IsModified();
    QString caption = fileName_.empty() ? QString("Untitled") : QFileInfo(QString::fromStdString(fileName_)).completeBaseName();
    if (caption.isEmpty())
        caption = QString::fromStdString(ExtractFileName(fileName_));
    services_.SetTabCaption(this, (caption + (modified ? " *" : "")).toStdString());
    if (services_.ActiveEditor() != this)
        return;
    TMainStatusBar& bar = services_.StatusBar();
    bar.Reset();
    bar.SetDocumentName(fileName_.empty() ? "Untitled" : fileName_);
    bar.SetModified(modified);
    if (pages_->currentIndex() == kEdit) {
        int line = 0, column = 0;
        memo_->getCursorPosition(&line, &column);
        bar.SetCaretX(column + 1);
        bar.SetCaretY(line + 1);
        bar.SetModified(modified);
        bar.SetInsertMode(memo_->overwriteMode() ? 1 : 0);
    }
}

// ---- starting a part ----

void TNewTab::NewPart() {
    part_->Template().ResetControls();
    modified_ = false;
    UpdateStatus();
}

void TNewTab::LoadFromFile(const std::string& path) {
    std::string bytes = ReadWholeFile(path);
    codec_ = TextCodec::ForDeclaration(QByteArray::fromStdString(bytes));
    setSourceText(codec_.decode(bytes));
    fileName_ = path;
    modified_ = false;
    UpdateStatus();
    if (!loadSourceIntoFields(bytes)) {
        switchingPage_ = true;
        pages_->setCurrentIndex(kEdit);
        switchingPage_ = false;
        currentPage_ = kEdit;
    }
    entry_ = services_.Catalogue().FindEntry(path);
    {
        FillingFieldsScope quiet;
        std::string comment = services_.Comments().GetComment(ExtractFileName(path));
        findChild<QsciScintilla*>("Comments")->setText(TextCodec(kCommentsEncoding).decode(comment));
    }
    modified_ = false;
    memo_->setModified(false);
    UpdateStatus();
}

void TNewTab::NewFromRss(const std::string& feedText, const std::string& url) {
    TextCodec partCodec = TextCodec::ForDeclaration(QByteArray::fromStdString(ItemsText(part_->Template().Prolog())));
    std::string feed = FeedInPartEncoding(QByteArray::fromStdString(feedText), partCodec);
    std::string partUrl = FeedInPartEncoding(QByteArray::fromStdString(url), partCodec);
    std::string text = BuildRssWebPartText(ItemsText(part_->Template().Prolog()), feed, partUrl);
    codec_ = partCodec;
    setSourceText(codec_.decode(text));
    UpdateStatus();
    if (!loadSourceIntoFields(text)) {
        switchingPage_ = true;
        pages_->setCurrentIndex(kEdit);
        switchingPage_ = false;
        currentPage_ = kEdit;
    }
    // An imported part exists nowhere yet: closing it asks to save.
    modified_ = true;
    UpdateStatus();
}

// ---- saving ----

bool TNewTab::validate() {
    std::vector<std::string> warnings = SaveWarnings(*this);
    for (const std::string& warning : warnings)
        Dialogs().Show(MsgKind::Warning, warning);
    return warnings.empty();
}

void TNewTab::stampLastModified() {
    setText("LastModified", QString::fromStdString(GetInternetDateTime(std::chrono::system_clock::now())));
}

void TNewTab::applyMasterPartLink(const std::string& chosenPath, bool saveAs) {
    if (auto link = MasterPartLinkAfterSave(text("MasterPartLink").toStdString(), fileName_, chosenPath, saveAs))
        setText("MasterPartLink", QString::fromStdString(*link));
}

void TNewTab::writeSource(const std::string& path) {
    TextCodec codec = TextCodec::ForDeclaration(memo_->text());
    std::string bytes = codec.encode(memo_->text());
    part_->SetSourceText(bytes);
    WriteWholeFile(path, part_->SourceText());
}

bool TNewTab::Save(bool saveAs, bool deferRefresh) {
    // A refused part counts as handled, so that "Save All" goes on.
    SaveOutcome outcome = trySave(saveAs, deferRefresh);
    return outcome == SaveOutcome::Saved || outcome == SaveOutcome::Refused;
}

TNewTab::SaveOutcome TNewTab::trySave(bool saveAs, bool deferRefresh) {
    try {
        if (!validate())
            return SaveOutcome::Refused;
    } catch (const std::exception& e) {
        // A field the part's encoding cannot hold fails already here.
        Dialogs().Show(MsgKind::Error, e.what());
        return SaveOutcome::Failed;
    }
    WaitCursor wait;
    bool sourceActive = pages_->currentIndex() == kEdit;
    bool exists = !fileName_.empty() && FileExists(fileName_);
    try {
        if (IsModified() && exists && !saveAs) {
            if (!sourceActive) {
                stampLastModified();
                showSourceFromFields();
            }
            writeSource(fileName_);
            SetModified(false);
        } else if (IsModified() || saveAs || !exists) {
            services_.ActivateTab(this);
            std::string proposed = ProposedFileName(fileName_, text("Title").toStdString());
            std::optional<std::string> chosen = services_.ChooseSaveFile(proposed, services_.Folders().StorageDir);
            if (!chosen)
                return SaveOutcome::Cancelled;
            if (!sourceActive) {
                stampLastModified();
                applyMasterPartLink(*chosen, saveAs);
                showSourceFromFields();
            }
            writeSource(*chosen);
            fileName_ = *chosen;
            SetModified(false);
            services_.AddToReopenList(fileName_);
        }
    } catch (const std::exception& e) {
        // Nothing was written (files are replaced whole), so the tab must stay.
        Dialogs().Show(MsgKind::Error, e.what());
        UpdateStatus();
        return SaveOutcome::Failed;
    }
    afterSave(deferRefresh);
    return SaveOutcome::Saved;
}

void TNewTab::copyLinkedFiles() {
    std::vector<LinkField> links;
    for (const std::string& name : kLinkFieldNames)
        links.push_back({name, text(QString::fromStdString(name)).trimmed().toStdString()});
    // Fields already copied keep their short names, also when a later copy fails.
    auto showShortNames = [&] {
        for (const LinkField& link : links)
            if (link.changed)
                setText(QString::fromStdString(link.name), QString::fromStdString(link.text));
    };
    try {
        CopyLinkedFiles(fileName_, links);
    } catch (...) {
        showShortNames();
        throw;
    }
    showShortNames();
}

void TNewTab::afterSave(bool deferRefresh) {
    // Each step runs even when an earlier one failed, so that, say, a
    // missing folder never costs the user the part's comment.
    auto step = [](const std::function<void()>& run) {
        try {
            run();
        } catch (const std::exception& e) {
            Dialogs().Show(MsgKind::Error, e.what());
        }
    };
    step([this] { copyLinkedFiles(); });
    if (services_.Options().createWebletArchive)
        step([this] { WritePartArchive(fileName_); });
    if (!deferRefresh)
        step([this] { services_.Catalogue().ReloadCatalogue(); });
    step([this] {
        std::string comment =
            TextCodec(kCommentsEncoding).encode(findChild<QsciScintilla*>("Comments")->text().trimmed());
        services_.Comments().SetComment(ExtractFileName(fileName_), comment);
        services_.Comments().Save(services_.Folders().CommentFilePath);
    });
    if (!entry_)
        entry_ = services_.Catalogue().FindEntry(fileName_);
    UpdateStatus();
}

bool TNewTab::CloseQuery(bool remember) {
    bool result = true;
    if (IsModified()) {
        services_.ActivateTab(this);
        std::string question =
            fileName_.empty() ? "Save changes to Untitled?" : "Save changes to " + fileName_ + " ?";
        switch (Dialogs().Ask(MsgKind::Confirmation, question, MsgButtons::YesNoCancel)) {
        case MsgResult::Cancel: result = false; break;
        // Only a part that was written may go; a refused or failed save
        // keeps the tab and its edits.
        case MsgResult::Yes: result = trySave(false, false) == SaveOutcome::Saved; break;
        default: break;
        }
    }
    if (remember && !fileName_.empty())
        WriteSetting(std::to_string(services_.TabIndexOf(this)), fileName_, "LastOpenedFiles");
    return result;
}

// ---- smaller commands ----

// The commands run from buttons and menus: an error is shown, never thrown
// back into the event loop.
void TNewTab::runCommand(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& e) {
        Dialogs().Show(MsgKind::Error, e.what());
    }
}

void TNewTab::ViewInBrowser(const QString& fieldName) {
    runCommand([&] {
        if (auto address = BrowsableAddress(text(fieldName).toStdString()))
            openUrl_(QString::fromStdString(*address));
    });
}

void TNewTab::UseRssSettings() {
    runCommand([this] { ApplyRssSettings(*part_, *this); });
}

void TNewTab::SetCacheTimeout(int seconds) {
    runCommand([&] { ApplyCacheTimeout(*part_, *this, seconds); });
}

std::string TNewTab::CategoryEditPath() {
    auto* list = dynamic_cast<ICategoryListField*>(FindField("Category"));
    return wpe::CategoryEditPath(*list, categories_->currentRow(), entry_ ? entry_->title : std::string());
}

void TNewTab::EditCategory() {
    // The hook selects by file; the path check keeps a part that is not in
    // the catalogue from jumping to an unrelated node.
    ICatalogueHook& catalogue = services_.Catalogue();
    runCommand([&] {
        if (catalogue.FindCategoryNode(CategoryEditPath()) && !fileName_.empty())
            catalogue.ShowEntry(fileName_);
    });
}

} // namespace wpe
