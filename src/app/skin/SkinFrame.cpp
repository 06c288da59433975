#include "skin/SkinFrame.h"

#include "skin/SaveSkinAsForm.h"
#include "tidy/TidyOptionsForm.h"
#include "webpart/CodeEditors.h"
#include "webpart/PreviewView.h"

#include "portal/ElementFile.h"
#include "shell/AppFolders.h"
#include "shell/MainServices.h"
#include "shell/MainStatusBar.h"
#include "shell/Options.h"
#include "shell/Settings.h"
#include "skin/SkinFolder.h"
#include "skin/SkinPackage.h"
#include "skingen/SkinGenerator.h"
#include "tidy/Tidy.h"
#include "util/Dialogs.h"
#include "util/Exception.h"
#include "util/Files.h"
#include "util/Paths.h"
#include "xml/XXmlDom.h"

#include <Qsci/qsciscintilla.h>

#include <QDesktopServices>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

namespace wpe {

namespace {

const char* const kXhtmlTemp = "we~skin-xhtml.tmp";
const char* const kXslTemp = "we~skin-xsl.tmp";
const char* const kNoZonesWarning =
    "The skin template has no zone markers (elements with the ids ZONE1 to ZONE5), so the portal will "
    "show no web parts with this skin.";

std::string toStd(const QString& s) { return s.toStdString(); }
QString toQ(const std::string& s) { return QString::fromStdString(s); }

// Skin files are Windows-1251 unless they declare otherwise.
TextCodec skinFileCodec(const std::string& path)
{
    try {
        return TextCodec::ForDeclaration(QByteArray::fromStdString(ReadWholeFile(path)));
    } catch (const std::exception&) {
        return TextCodec();
    }
}

QString crlfToLf(QString text) { return text.replace("\r\n", "\n"); }

} // namespace

TSkinFrame::TSkinFrame(IMainServices& services, QWidget* parent) : IDocumentEditor(parent), services_(services)
{
    pages_ = new QTabWidget(this);
    pages_->setObjectName("SkinPageControl");

    auto* options = new QWidget;
    options->setObjectName("tabOptions");
    auto* templatePage = new QWidget;
    templatePage->setObjectName("tabHTMLTemplate");
    auto* previewPage = new QWidget;
    previewPage->setObjectName("tabPreview");
    auto* stylesheetPage = new QWidget;
    stylesheetPage->setObjectName("tabSkinTemplate");
    auto* errorsPage = new QWidget;
    errorsPage->setObjectName("tabErrors");

    pages_->addTab(options, "Options");
    pages_->addTab(templatePage, "Skin template");
    pages_->addTab(previewPage, "Preview");
    pages_->addTab(stylesheetPage, "Skin [read only]");
    pages_->addTab(errorsPage, "Errors");
    pages_->setTabVisible(kErrors, false);

    auto* close = new QToolButton(pages_);
    close->setObjectName("btnClose");
    close->setText("x");
    close->setToolTip("Close");
    close->setAutoRaise(true);
    pages_->setCornerWidget(close, Qt::TopRightCorner);
    connect(close, &QToolButton::clicked, this, [this] { emit closeTabRequested(parentWidget()); });

    buildOptionsPage(options);
    buildTemplatePage(templatePage);

    preview_ = new TPreviewView(previewPage);
    preview_->setObjectName("PreviewWB");
    preview_->setLinkHandler([](const QUrl& url) { QDesktopServices::openUrl(url); });
    auto* previewLayout = new QVBoxLayout(previewPage);
    previewLayout->setContentsMargins(0, 0, 0, 0);
    previewLayout->addWidget(preview_);

    skinSource_ = NewCodeEditor("SkinSource", Highlighting::Xml, stylesheetPage);
    skinSource_->setReadOnly(true);
    auto* stylesheetLayout = new QVBoxLayout(stylesheetPage);
    stylesheetLayout->setContentsMargins(0, 0, 0, 0);
    stylesheetLayout->addWidget(skinSource_);

    tidyErrors_ = new QPlainTextEdit(errorsPage);
    tidyErrors_->setObjectName("TidyErrors");
    tidyErrors_->setReadOnly(true);
    tidyErrors_->setLineWrapMode(QPlainTextEdit::NoWrap);
    auto* errorsLayout = new QVBoxLayout(errorsPage);
    errorsLayout->setContentsMargins(0, 0, 0, 0);
    errorsLayout->addWidget(tidyErrors_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pages_);
    pages_->setCurrentIndex(kTemplate);
    connect(pages_, &QTabWidget::currentChanged, this, &TSkinFrame::pageChanged);

    askName_ = [this](const std::string& proposed) { return TSaveSkinAsForm::Ask(proposed, this); };
}

TSkinFrame::~TSkinFrame()
{
    deletePreviewFile();
}

void TSkinFrame::SetNameAsker(std::function<std::optional<std::string>(const std::string&)> asker)
{
    askName_ = std::move(asker);
}

// ---- pages ----

void TSkinFrame::buildOptionsPage(QWidget* page)
{
    auto* form = new QFormLayout(page);
    edtSkinName_ = new QLineEdit(page);
    edtSkinName_->setObjectName("edtSkinName");
    edtAuthor_ = new QLineEdit(page);
    edtAuthor_->setObjectName("edtAuthor");

    auto* templateBox = new QWidget(page);
    templateBox->setObjectName("SkinTemplateDialog");
    auto* row = new QHBoxLayout(templateBox);
    row->setContentsMargins(0, 0, 0, 0);
    templateField_ = new QLineEdit(templateBox);
    templateField_->setObjectName("SkinTemplateField");
    templateBrowse_ = new QToolButton(templateBox);
    templateBrowse_->setObjectName("SkinTemplateBrowse");
    templateBrowse_->setText("...");
    templateBrowse_->setToolTip("Choose the skin template");
    row->addWidget(templateField_, 1);
    row->addWidget(templateBrowse_);

    comment_ = new QPlainTextEdit(page);
    comment_->setObjectName("SkinComment");

    form->addRow("Name:", edtSkinName_);
    form->addRow("Author:", edtAuthor_);
    form->addRow("Skin template:", templateBox);
    form->addRow("Comment:", comment_);

    connect(edtSkinName_, &QLineEdit::textEdited, this, &TSkinFrame::optionsChanged);
    connect(edtAuthor_, &QLineEdit::textEdited, this, &TSkinFrame::optionsChanged);
    connect(comment_, &QPlainTextEdit::textChanged, this, &TSkinFrame::optionsChanged);
    connect(templateBrowse_, &QToolButton::clicked, this, &TSkinFrame::browseTemplate);
    connect(templateField_, &QLineEdit::returnPressed, this, &TSkinFrame::templateTyped);
}

void TSkinFrame::buildTemplatePage(QWidget* page)
{
    templateSource_ = NewCodeEditor("SkinTemplateSource", Highlighting::Html, page);
    auto* edit = new QToolButton(page);
    edit->setObjectName("EditSkinTemplate");
    edit->setText("Edit...");
    edit->setToolTip("Edit in external editor");
    connect(edit, &QToolButton::clicked, this, &TSkinFrame::editInExternalEditor);

    auto* bar = new QHBoxLayout;
    bar->addStretch(1);
    bar->addWidget(edit);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(bar);
    layout->addWidget(templateSource_, 1);

    connect(templateSource_, &QsciScintilla::modificationChanged, this, [this](bool m) {
        if (!filling_)
            SetModified(m || modified_);
    });
    connect(templateSource_, &QsciScintilla::cursorPositionChanged, this, [this] { UpdateStatus(); });
    templateSource_->installEventFilter(this);
}

void TSkinFrame::CycleInnerPage(bool forward)
{
    int count = pages_->count();
    int index = pages_->currentIndex();
    for (int step = 0; step < count; ++step) {
        index = (index + (forward ? 1 : count - 1)) % count;
        if (pages_->isTabVisible(index))
            break;
    }
    pages_->setCurrentIndex(index);
}

void TSkinFrame::pageChanged(int index)
{
    UpdateStatus();
    if (index == kOptions)
        edtSkinName_->setFocus();
    if (index == kPreview)
        showPreview();
}

void TSkinFrame::showPreview()
{
    if (templateSource_->text().isEmpty())
        return;
    std::string name = "Untitled.html";
    std::string folder = skinFolder_;
    if (!templateSourceFile_.empty()) {
        name = ExtractFileName(templateSourceFile_);
        folder = ExtractFilePath(templateSourceFile_);
    }
    const std::string path = WithTrailingBackslash(folder) + "ts~" + name;
    if (!previewFile_.empty() && previewFile_ != path)
        deletePreviewFile();
    previewFile_ = path;
    try {
        WriteWholeFile(path, templateCodec_.encode(templateSource_->text()));
    } catch (const std::exception& e) {
        Dialogs().Show(MsgKind::Error, e.what());
        return;
    }
    preview_->load(QUrl::fromLocalFile(toQ(NativePath(path))));
}

void TSkinFrame::deletePreviewFile()
{
    if (previewFile_.empty())
        return;
    std::remove(NativePath(previewFile_).c_str());
    previewFile_.clear();
}

// ---- loading and the editors' files ----

void TSkinFrame::loadTemplateEditor(const std::string& path)
{
    const std::string bytes = ReadWholeFile(path);
    templateCodec_ = TextCodec(toQ(DeclaredEncoding(bytes)));
    filling_ = true;
    templateSource_->setText(templateCodec_.decode(bytes));
    templateSource_->setModified(false);
    filling_ = false;
    templateSourceFile_ = path;
}

void TSkinFrame::saveTemplateEditor(const std::string& path)
{
    WriteWholeFile(path, templateCodec_.encode(templateSource_->text()));
    templateSourceFile_ = path;
    filling_ = true;
    templateSource_->setModified(false);
    filling_ = false;
}

void TSkinFrame::showStylesheet(const std::string& text, const std::string& path)
{
    skinSource_->setReadOnly(false);
    skinSource_->setText(TextCodec(toQ(DeclaredEncoding(text))).decode(text));
    skinSource_->setReadOnly(true);
    skinSourceFile_ = path;
}

void TSkinFrame::NewSkin(const std::string& htmlTemplatePath, const std::string& styleSheetPath)
{
    const TAppFolders& f = services_.Folders();
    services_.ActivateTab(this);
    skinName_ = kUntitledSkin;
    services_.SetTabCaption(this, skinName_);

    const std::string folder = WithTrailingBackslash(f.SkinsDir + kUntitledSkin);
    const std::string source = htmlTemplatePath.empty() ? f.SkinTemplatePath : htmlTemplatePath;
    const std::string copy = folder + ExtractFileName(source);
    const std::string style = styleSheetPath.empty() ? f.ProgramDir + "skin.css" : styleSheetPath;

    if (FolderExists(folder))
        DeleteFolderTree(folder, false);
    else
        EnsureFolder(folder);

    const std::string skinFile = folder + "untitled.cso";
    try {
        ImportTemplate(source, folder, {}, "files");
        if (!styleSheetPath.empty() || htmlTemplatePath.empty())
            if (!CopyFileReplace(style, folder + kSkinCss))
                throw Exception("Cannot copy \"" + style + "\"");
        WriteWholeFile(folder + "skin.xsl", InitialSkinXsl());
        WriteWholeFile(skinFile, kInitialSkinFileText);
        SetElementInFile(skinFile, "htmltemplate", ExtractFileName(copy));
        loadTemplateEditor(copy);
    } catch (const std::exception& e) {
        deletePreviewFile();
        // The main window removes this tab when NewSkin raises.
        throw Exception(std::string("Error during creating skin: ") + e.what());
    }

    filling_ = true;
    edtSkinName_->setText(kUntitledSkin);
    edtAuthor_->clear();
    comment_->clear();
    templateField_->setText(toQ(copy));
    filling_ = false;
    showStylesheet(ReadWholeFile(folder + "skin.xsl"), folder + "skin.xsl");

    skinFolder_ = folder;
    skinFile_ = skinFile;
    templateFile_ = copy;
    SetModified(false);
    UpdateStatus();
}

void TSkinFrame::LoadFromFile(const std::string& path)
{
    const std::string file = NativePath(path);
    skinFolder_ = ExtractFilePath(file);
    skinName_ = ParentFolderName(skinFolder_);
    services_.SetTabCaption(this, skinName_);
    services_.ActivateTab(this);

    // A skin file that is not well-formed is refused whole, so nothing is
    // read from it by guesswork and nothing is written back into it.
    try {
        MakeRef<TXmlDDocument>()->LoadFromFile(file);
    } catch (const std::exception& e) {
        throw Exception(file + " is not a well-formed skin file: " + e.what());
    }
    const TextCodec codec = skinFileCodec(file);
    const std::string author = GetElementFromFile(file, "author");
    const std::string comment = GetElementFromFile(file, "comment");
    const std::string templateRef = GetElementFromFile(file, "htmltemplate");
    const std::string t = templateRef.empty() ? std::string() : ResolveLocalFile(templateRef, skinFolder_);

    filling_ = true;
    edtSkinName_->setText(toQ(skinName_));
    edtAuthor_->setText(codec.decode(author));
    comment_->setPlainText(crlfToLf(codec.decode(comment)));
    filling_ = false;

    if (!t.empty()) {
        loadTemplateEditor(t);
        templateField_->setText(toQ(t));
    } else {
        Dialogs().Show(MsgKind::Warning, "Skin template doesn't exists.");
    }
    const std::string xsl = skinFolder_ + "skin.xsl";
    if (FileExists(xsl))
        showStylesheet(TidyFileToText(xsl, TidyMode::Xml), xsl);

    skinFile_ = file;
    templateFile_ = t;
    SetModified(false);
    UpdateStatus();
}

// ---- save and close ----

bool TSkinFrame::Save(bool saveAs, bool /*deferRefresh*/)
{
    try {
        const TAppFolders& f = services_.Folders();
        std::string name = toStd(edtSkinName_->text());
        if (SaveAsksForName(name, saveAs)) {
            services_.ActivateTab(this);
            auto chosen = askName_(name);
            if (!chosen)
                return false;
            name = *chosen;
        }
        // Nothing is touched for a name that cannot be a folder.
        if (std::string problem = SkinNameProblem(name); !problem.empty()) {
            Dialogs().Show(MsgKind::Error, problem);
            return false;
        }

        std::string oldFolder;
        if (SaveMovesSkin(skinName_, name)) {
            // An existing folder is found whatever its letter case, as the
            // skins folder would on a file system that ignores case.
            std::string target = FindFileNoCase(f.SkinsDir, name);
            if (target.empty() || !FolderExists(target))
                target = f.SkinsDir + name;
            if (FolderExists(target)) {
                if (Dialogs().Ask(MsgKind::Warning,
                                  "Skin \"" + name + "\" already exists. Do you want to overwrite it?",
                                  MsgButtons::YesNo) != MsgResult::Yes)
                    return false;
                if (services_.FindSkinTab(name) > 0) {
                    Dialogs().Show(MsgKind::Error, "Skin \"" + name + "\" is opened. Close it before saving");
                    return false;
                }
                DeleteFolderTree(target, false);
            } else {
                EnsureFolder(target);
            }
            CopySkinFolder(skinFolder_, WithTrailingBackslash(target), skinName_, templateFile_);
            oldFolder = skinFolder_;
            skinFolder_ = WithTrailingBackslash(target);
            if (!templateFile_.empty())
                templateFile_ = skinFolder_ + ExtractFileName(templateFile_);
            templateField_->setText(toQ(templateFile_));
            templateSourceFile_ = templateFile_;
            skinSourceFile_ = skinFolder_ + "skin.xsl";
        }
        skinName_ = name;

        if (templateSource_->isModified()) {
            if (!templateFile_.empty() && FileExists(templateFile_))
                saveTemplateEditor(templateFile_);
            else
                Dialogs().Show(MsgKind::Warning, "Skin template not specified");
        }

        skinFile_ = FindSkinFile(skinFolder_, skinName_);
        if (skinFile_.empty())
            skinFile_ = skinFolder_ + skinName_ + ".cso";
        writeSkinFile(skinFile_);

        filling_ = true;
        edtSkinName_->setText(toQ(skinName_));
        filling_ = false;
        SetModified(false);
        services_.StatusBar().SetDocumentName(templateFile_);

        if (!oldFolder.empty())
            DeleteFolderTree(oldFolder, true);
        services_.RefreshSkins();
        return true;
    } catch (const std::exception& e) {
        Dialogs().Show(MsgKind::Error, e.what());
        return false;
    }
}

void TSkinFrame::writeSkinFile(const std::string& path)
{
    DeleteOtherSkinFiles(ExtractFilePath(path), ExtractFileName(path));
    if (!FileExists(path))
        WriteWholeFile(path, kInitialSkinFileText);
    const TextCodec codec = skinFileCodec(path);
    SetElementInFile(path, "name", codec.encode(toQ(skinName_)));
    SetElementInFile(path, "htmltemplate", codec.encode(toQ(ExtractFileName(templateFile_))));
    SetElementInFile(path, "author", codec.encode(edtAuthor_->text()));
    SetElementInFile(path, "comment", codec.encode(comment_->toPlainText().replace("\n", "\r\n")));
}

bool TSkinFrame::CloseQuery(bool remember)
{
    if (modified_) {
        services_.ActivateTab(this);
        switch (Dialogs().Ask(MsgKind::Confirmation, "Save changes to skin " + skinName_ + "?",
                              MsgButtons::YesNoCancel)) {
        case MsgResult::Cancel:
            return false;
        case MsgResult::Yes:
            // A save that was cancelled or refused keeps the tab and its edits.
            if (!Save(IsUntitledSkin(skinName_), false))
                return false;
            break;
        default:
            break;
        }
    }
    if (remember && !skinFile_.empty())
        WriteSetting(std::to_string(services_.TabIndexOf(this)), skinFile_, "LastOpenedFiles");
    deletePreviewFile();
    return true;
}

// ---- build ----

void TSkinFrame::BuildSkin()
{
    if (templateFile_.empty() || !FileExists(templateFile_)) {
        Dialogs().Show(MsgKind::Warning, "Skin template not specified");
        return;
    }
    try {
        if (templateSource_->isModified() &&
            Dialogs().Ask(MsgKind::Confirmation, "Skin template is modified. Save it before building skin?",
                          MsgButtons::YesNo) == MsgResult::Yes)
            saveTemplateEditor(templateFile_);

        const std::string temp = TempFolder();
        const std::string xhtml = temp + kXhtmlTemp;
        const std::string xslTemp = temp + kXslTemp;
        TidyFileToFile(templateFile_, xhtml, TidyMode::HtmlToXhtml);
        if (TidyErrorCount() > 0) {
            Dialogs().Show(MsgKind::Error, "Errors occured during converting skin template to XHTML");
            showErrors(TidyErrorText());
            return;
        }
        hideErrors();
        pages_->setCurrentIndex(kTemplate);

        struct TempFiles {
            std::string a, b;
            ~TempFiles()
            {
                std::remove(NativePath(a).c_str());
                std::remove(NativePath(b).c_str());
            }
        } cleanup{xhtml, xslTemp};

        const std::string text = GenerateSkinXsl(xhtml, skinFolder_);
        WriteWholeFile(xslTemp, text);

        const std::string tidied = TidyFileToText(xslTemp, TidyMode::Xml);
        showStylesheet(XmlUnescape(tidied), skinFolder_ + "skin.xsl");
        if (TidyErrorCount() > 0) {
            Dialogs().Show(MsgKind::Error, "Errors occured during tiding up skin");
            showErrors(TidyErrorText());
        } else {
            hideErrors();
            pages_->setCurrentIndex(kTemplate);
        }

        WriteWholeFile(skinFolder_ + "skin.xsl", text);
        PackageSkin(skinFolder_, skinName_);
        services_.StatusBar().SetMessage("Skin \"" + skinName_ + "\" is generated!");
        // A template without zones builds, but the portal would show no part.
        if (text.find("zone[@ID='") == std::string::npos)
            Dialogs().Show(MsgKind::Warning, kNoZonesWarning);
    } catch (const std::exception& e) {
        Dialogs().Show(MsgKind::Error, e.what());
    }
}

void TSkinFrame::showErrors(const std::string& text)
{
    tidyErrors_->setPlainText(crlfToLf(toQ(text)));
    pages_->setTabVisible(kErrors, true);
    pages_->setCurrentIndex(kErrors);
}

void TSkinFrame::hideErrors()
{
    pages_->setTabVisible(kErrors, false);
}

void TSkinFrame::MakeXhtmlCompatible()
{
    if (auto format = TTidyOptionsForm::Ask(this))
        ConvertTemplateToXhtml(*format);
}

void TSkinFrame::ConvertTemplateToXhtml(const TTidyFormat& format)
{
    const std::string bytes = templateCodec_.encode(templateSource_->text());
    TidyResult result = TidyText(bytes, TidyMode::HtmlToXhtml, ExtractFileName(templateSourceFile_), &format);
    if (result.output.empty()) {
        std::string messages;
        for (const auto& m : result.errors)
            messages += m.text + "\r\n";
        Dialogs().Show(MsgKind::Error, "Errors occured during converting skin template to XHTML");
        showErrors(messages);
        return;
    }
    pages_->setCurrentIndex(kTemplate);
    // One undoable step: select all and replace.
    templateSource_->selectAll();
    templateSource_->replaceSelectedText(templateCodec_.decode(result.output));
    templateSource_->setCursorPosition(0, 0);
}

// ---- skin template field ----

bool TSkinFrame::askSaveTemplate()
{
    if (!templateSource_->isModified())
        return true;
    switch (Dialogs().Ask(MsgKind::Confirmation, "Html template not saved. Save?", MsgButtons::YesNoCancel)) {
    case MsgResult::Cancel:
        return false;
    case MsgResult::Yes:
        saveTemplateEditor(templateSourceFile_);
        return true;
    default:
        return true;
    }
}

void TSkinFrame::browseTemplate()
{
    try {
        if (Dialogs().Ask(MsgKind::Confirmation, "Change skin template?", MsgButtons::YesNo) != MsgResult::Yes ||
            !askSaveTemplate())
            return;
        FileDialogOptions o;
        o.title = "Skin template";
        o.filter = "HTML files (*.htm; *.html)|*.htm; *.html|All files|*";
        o.initialDir = skinFolder_;
        auto chosen = Dialogs().ChooseOpenFile(o);
        if (!chosen)
            return;
        ImportTemplate(*chosen, skinFolder_, {}, "files");
        SetElementInFile(skinFile_, "htmltemplate", ExtractFileName(*chosen));
        templateFile_ = skinFolder_ + ExtractFileName(*chosen);
        templateField_->setText(toQ(templateFile_));
        loadTemplateEditor(templateFile_);
        pages_->setCurrentIndex(kTemplate);
        SetModified(true);
    } catch (const std::exception& e) {
        Dialogs().Show(MsgKind::Error, e.what());
    }
}

void TSkinFrame::templateTyped()
{
    try {
        if (!askSaveTemplate())
            return;
        const std::string typed = toStd(templateField_->text());
        if (!FileExists(typed)) {
            Dialogs().Show(MsgKind::Error, typed + " does not exists!");
            return;
        }
        loadTemplateEditor(typed);
        pages_->setCurrentIndex(kTemplate);
        SetModified(true);
    } catch (const std::exception& e) {
        Dialogs().Show(MsgKind::Error, e.what());
    }
}

void TSkinFrame::editInExternalEditor()
{
    const std::string program = services_.Options().htmlEditor;
    if (program.empty())
        return;
    QProcess::startDetached(toQ(program), {toQ(templateFile_)}, QFileInfo(toQ(program)).absolutePath());
}

// ---- status ----

void TSkinFrame::optionsChanged()
{
    if (!filling_)
        SetModified(true);
}

std::string TSkinFrame::caption() const
{
    return modified_ ? skinName_ + " *" : skinName_;
}

void TSkinFrame::SetModified(bool modified)
{
    modified_ = modified;
    services_.SetTabCaption(this, caption());
    if (services_.ActiveEditor() == this)
        services_.StatusBar().SetModified(modified);
}

std::string TSkinFrame::previewDocumentName() const
{
    return templateSourceFile_.empty() ? services_.Folders().SkinTemplatePath : templateSourceFile_;
}

void TSkinFrame::UpdateStatus()
{
    services_.SetTabCaption(this, caption());
    if (services_.ActiveEditor() != this)
        return;
    TMainStatusBar& bar = services_.StatusBar();
    bar.Reset();
    bar.SetModified(modified_);
    switch (pages_->currentIndex()) {
    case kPreview:
        bar.SetDocumentName(previewDocumentName());
        break;
    case kOptions:
        bar.SetDocumentName(skinFile_.empty() ? std::string(kUntitledSkin) : skinFile_);
        break;
    case kTemplate: {
        bar.SetDocumentName(previewDocumentName());
        int line = 0, column = 0;
        templateSource_->getCursorPosition(&line, &column);
        bar.SetCaretX(column + 1);
        bar.SetCaretY(line + 1);
        bar.SetInsertMode(templateSource_->overwriteMode() ? 1 : 0);
        break;
    }
    case kStylesheet:
        bar.SetDocumentName(skinSourceFile_);
        break;
    default:
        break;
    }
}

bool TSkinFrame::eventFilter(QObject* watched, QEvent* event)
{
    // The Insert key toggles the insert mode; Scintilla tells nobody.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Insert)
        QTimer::singleShot(0, this, [this] { UpdateStatus(); });
    return IDocumentEditor::eventFilter(watched, event);
}

} // namespace wpe
