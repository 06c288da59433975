#include "webpart/NewTabFrame.h"

#include "webpart/PartStorageEditor.h"
#include "webpart/PreviewView.h"
#include "webpart/WidgetFields.h"

#include "catalogue/CatalogueData.h"
#include "portal/BaseITF.h"
#include "portal/PortalText.h"
#include "shell/AppFolders.h"
#include "shell/CatalogueHook.h"
#include "shell/MainServices.h"
#include "shell/MainStatusBar.h"
#include "shell/Options.h"
#include "shell/Settings.h"
#include "util/Dialogs.h"
#include "util/Exception.h"
#include "util/Files.h"
#include "util/Paths.h"
#include "webpart/Archive.h"
#include "webpart/Preview.h"
#include "webpart/RssImport.h"
#include "webpart/WPComment.h"
#include "webpart/WebPart.h"
#include "xml/XXml.h"

#include <Qsci/qsciscintilla.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QStringDecoder>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <chrono>

namespace wpe {

namespace {

const char* const kCommentsEncoding = "windows-1251";

// The wait cursor for the length of a scope.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

bool emptyLink(const QString& text) {
    return text.isEmpty() || text.compare("http://", Qt::CaseInsensitive) == 0;
}

QString fileNameOnly(const std::string& path) {
    return QString::fromStdString(ExtractFileName(path));
}

QToolButton* smallButton(const QString& name, const QString& text, const QString& hint, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(text);
    button->setToolTip(hint);
    return button;
}

} // namespace

// ---- construction ----

TNewTab::TNewTab(IMainServices& services, QWidget* parent)
    : IDocumentEditor(parent), services_(services),
      generator_([](const std::string& xml, const std::string& xsl, std::string* warnings) {
          return ExecuteGeneratorStr(xml, xsl, warnings);
      }),
      openUrl_([](const QString& url) { QDesktopServices::openUrl(QUrl(url)); }) {
    setObjectName("NewTab");
    pages_ = new QTabWidget(this);
    pages_->setObjectName("PageControl");
    auto* basic = new QWidget;
    basic->setObjectName("tabBasic");
    auto* viewStyle = new QWidget;
    viewStyle->setObjectName("tabViewStyle");
    auto* edit = new QWidget;
    edit->setObjectName("tabEdit");
    auto* previewPage = new QWidget;
    previewPage->setObjectName("tabPreview");
    pages_->addTab(basic, "&Basic");
    pages_->addTab(viewStyle, "View &Style");
    pages_->addTab(edit, "&Edit");
    pages_->addTab(previewPage, "&Preview");

    auto* close = smallButton("btnClose", "x", "Close", pages_);
    close->setAutoRaise(true);
    pages_->setCornerWidget(close, Qt::TopRightCorner);
    connect(close, &QToolButton::clicked, this, [this] { emit closeTabRequested(parentWidget()); });

    buildBasicPage(basic);
    buildViewStylePage(viewStyle);
    buildEditPage(edit);
    buildPreviewPage(previewPage);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pages_);

    // The template binds its tags to the fields above, so they exist first.
    part_ = std::make_unique<TWebPart>(services_.Folders().ProgramDir, this);
    connect(pages_, &QTabWidget::currentChanged, this, &TNewTab::onPageChanged);
}

TNewTab::~TNewTab() = default;

QLineEdit* TNewTab::addTextField(QGridLayout* grid, int row, int column, const QString& name,
                                 const QString& caption, const QString& initial) {
    auto* label = new QLabel(caption);
    label->setObjectName("lbl" + name);
    auto* edit = new QLineEdit(initial);
    edit->setObjectName(name);
    label->setBuddy(edit);
    grid->addWidget(label, row, column);
    grid->addWidget(edit, row, column + 1);
    fields_[name.toStdString()] = std::make_unique<LineEditField>(edit, &codec_);
    connect(edit, &QLineEdit::textChanged, this, [this, name] { ControlChange(name); });
    return edit;
}

QComboBox* TNewTab::addChoiceField(QGridLayout* grid, int row, int column, const QString& name,
                                   const QString& caption, const QStringList& items, bool editable) {
    auto* label = new QLabel(caption);
    label->setObjectName("lbl" + name);
    auto* box = new QComboBox;
    box->setObjectName(name);
    box->addItems(items);
    box->setEditable(editable);
    label->setBuddy(box);
    grid->addWidget(label, row, column);
    grid->addWidget(box, row, column + 1);
    std::function<void()> handler;
    if (name == "ContentType") {
        handler = [this, box] {
            SetHighlighting(findChild<QsciScintilla*>("Content"), HighlightingOfContentType(box->currentIndex()));
            ControlChange("ContentType");
        };
        connect(box, QOverload<int>::of(&QComboBox::activated), this, handler);
    } else {
        connect(box, QOverload<int>::of(&QComboBox::activated), this, [this, name] { ControlChange(name); });
    }
    if (editable)
        connect(box, &QComboBox::editTextChanged, this, [this, name] { ControlChange(name); });
    fields_[name.toStdString()] = std::make_unique<ComboBoxField>(box, &codec_, handler);
    return box;
}

QsciScintilla* TNewTab::addCodeField(const QString& name, Highlighting highlighting, QWidget* parent) {
    QsciScintilla* editor = NewCodeEditor(name, highlighting, parent);
    fields_[name.toStdString()] = std::make_unique<CodeEditorField>(editor, &codec_);
    connect(editor, &QsciScintilla::textChanged, this, [this, name] { ControlChange(name); });
    watchCodeEditor(editor);
    return editor;
}

QCheckBox* TNewTab::addCheckField(const QString& name, const QString& caption, bool on, QWidget* parent) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setTristate(true);
    box->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    fields_[name.toStdString()] = std::make_unique<CheckBoxField>(box);
    connect(box, &QCheckBox::stateChanged, this, [this, name] { ControlChange(name); });
    // A user's click cycles through the three states; on and off are what count.
    connect(box, &QCheckBox::clicked, this, [box] {
        if (box->checkState() == Qt::PartiallyChecked)
            box->setCheckState(Qt::Checked);
    });
    return box;
}

QWidget* TNewTab::macroButton(const QString& name) {
    auto* button = smallButton(name, "...", "Macros", nullptr);
    button->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(button);
    const struct {
        const char* text;
        Macro macro;
    } items[] = {{"&CDATA block", Macro::CData},
                 {"Angle &brackets", Macro::AngleBrackets},
                 {"Double &quotes", Macro::DoubleQuotes}};
    for (const auto& item : items) {
        QAction* action = menu->addAction(item.text);
        Macro macro = item.macro;
        connect(action, &QAction::triggered, this, [this, macro] { RunMacro(macro); });
    }
    button->setMenu(menu);
    return button;
}

void TNewTab::watchCodeEditor(QsciScintilla* editor) {
    connect(editor, &QsciScintilla::cursorPositionChanged, this, [this] { UpdateStatus(); });
    connect(editor, &QsciScintilla::modificationChanged, this, [this] { UpdateStatus(); });
    editor->installEventFilter(this);
}

void TNewTab::buildBasicPage(QWidget* page) {
    auto* top = new QWidget;
    auto* grid = new QGridLayout(top);
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(4, 2);

    addTextField(grid, 0, 0, "Title", "Title", "");
    addTextField(grid, 1, 0, "Description", "Description", "");
    addTextField(grid, 2, 0, "ContentLink", "Content Link", "http://");
    auto* viewContent = smallButton("btnViewContentLink", "Go", "View in browser", top);
    grid->addWidget(viewContent, 2, 2);
    connect(viewContent, &QToolButton::clicked, this, [this] { ViewInBrowser("ContentLink"); });
    addTextField(grid, 3, 0, "XSLLink", "XSL Link", "http://");
    auto* rss = smallButton("btnRss", "rss", "RSS reader settings", top);
    grid->addWidget(rss, 3, 2);
    connect(rss, &QToolButton::clicked, this, &TNewTab::UseRssSettings);
    addTextField(grid, 4, 0, "PublisherName", "Publisher Name", "");
    addTextField(grid, 5, 0, "PublisherURL", "Publisher URL", "http://");
    auto* viewPublisher = smallButton("btnViewPublisherURL", "Go", "View in browser", top);
    grid->addWidget(viewPublisher, 5, 2);
    connect(viewPublisher, &QToolButton::clicked, this, [this] { ViewInBrowser("PublisherURL"); });

    addTextField(grid, 0, 3, "Popularity", "Popularity", "0");
    QComboBox* language = addChoiceField(grid, 1, 3, "Language", "Language", {"en", "ru", "fr"}, true);
    language->lineEdit()->setMaxLength(2);
    language->setCurrentIndex(0);
    addTextField(grid, 2, 3, "LastModified", "Last Modified", "");
    addTextField(grid, 3, 3, "Namespace", "Namespace", "");
    addChoiceField(grid, 4, 3, "ContentType", "Content Type", {"HTML", "VBScript", "JavaScript", "XML"}, false);

    auto* categoryLabel = new QLabel("Category");
    categoryLabel->setObjectName("lblCategory");
    categories_ = new QListWidget;
    categories_->setObjectName("Category");
    categories_->setMaximumHeight(64);
    auto* categoryEdit = new QPushButton("Edit");
    categoryEdit->setObjectName("btnCategoryEdit");
    connect(categoryEdit, &QPushButton::clicked, this, &TNewTab::EditCategory);
    fields_["Category"] = std::make_unique<ListWidgetField>(categories_, &codec_);
    grid->addWidget(categoryLabel, 5, 3);
    auto* categoryRow = new QHBoxLayout;
    categoryRow->addWidget(categories_, 1);
    categoryRow->addWidget(categoryEdit, 0, Qt::AlignTop);
    grid->addLayout(categoryRow, 5, 4, 2, 1);

    contentPages_ = new QTabWidget;
    contentPages_->setObjectName("pcContentXSL");
    const struct {
        const char* page;
        const char* caption;
        const char* field;
        Highlighting highlighting;
    } codePages[] = {{"tabContent", "Content", "Content", Highlighting::Html},
                     {"TabSheet1", "No Content", "NoContent", Highlighting::Html},
                     {"tabXSL", "XSL", "XSL", Highlighting::Xml},
                     {"tabComments", "Comments", "Comments", Highlighting::Plain}};
    for (const auto& p : codePages) {
        auto* tab = new QWidget;
        tab->setObjectName(p.page);
        auto* tabLayout = new QVBoxLayout(tab);
        tabLayout->setContentsMargins(2, 2, 2, 2);
        tabLayout->addWidget(addCodeField(p.field, p.highlighting, tab));
        contentPages_->addTab(tab, p.caption);
    }
    contentPages_->setCornerWidget(macroButton("btnContentMacros"), Qt::TopRightCorner);

    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(top);
    splitter->addWidget(contentPages_);
    splitter->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(splitter);
}

void TNewTab::buildViewStylePage(QWidget* page) {
    auto* top = new QWidget;
    auto* grid = new QGridLayout(top);
    grid->setColumnStretch(1, 2);
    grid->setColumnStretch(4, 2);

    addChoiceField(grid, 0, 0, "CacheBehavior", "Cache Behavior", {"None", "All Users", "Each User"}, false);
    addTextField(grid, 1, 0, "CacheTimeout", "Cache Timeout", "");
    auto* cacheMenuButton = smallButton("btnCacheTimeout", "...", "Cache timeout", top);
    cacheMenuButton->setPopupMode(QToolButton::InstantPopup);
    auto* cacheMenu = new QMenu(cacheMenuButton);
    cacheMenu->setObjectName("pmCacheTimeout");
    const struct {
        const char* text;
        int seconds;
    } timeouts[] = {{"No cache", 0},      {"30 min", 1800},     {"1 hour", 3600},  {"3 hours", 10800},
                    {"6 hours", 21600}, {"12 hours", 43200}, {"24 hours", 86400}};
    for (const auto& t : timeouts) {
        int seconds = t.seconds;
        connect(cacheMenu->addAction(t.text), &QAction::triggered, this, [this, seconds] { SetCacheTimeout(seconds); });
    }
    cacheMenuButton->setMenu(cacheMenu);
    grid->addWidget(cacheMenuButton, 1, 2);
    addChoiceField(grid, 2, 0, "Zone", "Zone", {"Top", "Left", "Center", "Right", "Bottom"}, false);
    addTextField(grid, 3, 0, "CustomizationLink", "Customization Link", "http://");
    addTextField(grid, 4, 0, "MasterPartLink", "MasterPart Link", "http://");
    addTextField(grid, 5, 0, "DetailLink", "Detail Link", "http://");
    addTextField(grid, 0, 3, "Height", "Height", "");
    addTextField(grid, 1, 3, "Width", "Width", "");
    addTextField(grid, 2, 3, "CustomizationHeight", "Customization Height", "");
    addTextField(grid, 3, 3, "CustomizationWidth", "Customization Width", "");

    auto* checks = new QGroupBox;
    checks->setObjectName("gbFrame");
    auto* checkLayout = new QGridLayout(checks);
    const struct {
        const char* name;
        const char* caption;
        bool on;
    } checkFields[] = {{"AllowMinimize", "Allow Minimize", true},   {"AllowRemove", "Allow Remove", true},
                       {"FrameState", "Frame State", true},         {"HasFrame", "Has Frame", true},
                       {"InternetRequired", "Internet Required", true}, {"RequiresIsolation", "Requires Isolation", false},
                       {"KeepLoaded", "Keep Loaded", false}};
    int i = 0;
    for (const auto& c : checkFields) {
        checkLayout->addWidget(addCheckField(c.name, c.caption, c.on, checks), i / 4, i % 4);
        ++i;
    }
    grid->addWidget(checks, 6, 0, 1, 5);

    viewStylePages_ = new QTabWidget;
    viewStylePages_->setObjectName("pcViewStyle");
    auto* valuePage = new QWidget;
    valuePage->setObjectName("tabPartStorage");
    psValue_ = NewCodeEditor("PSValue", Highlighting::Xml, valuePage);
    watchCodeEditor(psValue_);
    auto* valueLayout = new QVBoxLayout(valuePage);
    valueLayout->setContentsMargins(2, 2, 2, 2);
    valueLayout->addWidget(psValue_);
    viewStylePages_->addTab(valuePage, "Part Storage value");
    auto* customizationPage = new QWidget;
    customizationPage->setObjectName("tabCustomization");
    auto* customizationLayout = new QVBoxLayout(customizationPage);
    customizationLayout->setContentsMargins(2, 2, 2, 2);
    customizationLayout->addWidget(addCodeField("Customization", Highlighting::Html, customizationPage));
    viewStylePages_->addTab(customizationPage, "Customization");
    viewStylePages_->setCornerWidget(macroButton("btnPartStorageMacros"), Qt::TopRightCorner);

    partStorage_ = new TPartStorageEditor(psValue_, &codec_);
    partStorage_->setSelectionChanged([this] { ControlChange("PartStorage"); });
    auto* storageBox = new QWidget;
    auto* storageLayout = new QVBoxLayout(storageBox);
    storageLayout->setContentsMargins(0, 0, 0, 0);
    auto* storageLabel = new QLabel("Part Storage");
    storageLabel->setObjectName("lblPartStorage");
    storageLayout->addWidget(storageLabel);
    storageLayout->addWidget(partStorage_, 1);

    auto* lower = new QSplitter(Qt::Horizontal);
    lower->addWidget(storageBox);
    lower->addWidget(viewStylePages_);
    lower->setStretchFactor(0, 1);
    lower->setStretchFactor(1, 1);
    lower->setSizes({600, 500});

    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->addWidget(top);
    splitter->addWidget(lower);
    splitter->setStretchFactor(1, 1);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(splitter);
}

void TNewTab::buildEditPage(QWidget* page) {
    memo_ = NewCodeEditor("Memo", Highlighting::Xml, page);
    watchCodeEditor(memo_);
    connect(memo_, &QsciScintilla::marginClicked, this,
            [this](int, int line, Qt::KeyboardModifiers) { SourceGutterClicked(line); });
    auto* bar = new QHBoxLayout;
    bar->addStretch();
    bar->addWidget(macroButton("btnSourceMacros"));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(bar);
    layout->addWidget(memo_, 1);
}

void TNewTab::buildPreviewPage(QWidget* page) {
    auto* view = new TPreviewView(page);
    view->setObjectName("Preview");
    view->setLinkHandler([this](const QUrl& url) { openUrl_(url.toString()); });
    preview_ = view;
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(preview_);
}

// ---- fields ----

IField* TNewTab::FindField(const std::string& name) {
    if (name == "PartStorage")
        return partStorage_;
    auto it = fields_.find(name);
    return it == fields_.end() ? nullptr : it->second.get();
}

QString TNewTab::text(const QString& fieldName) const {
    if (auto* edit = findChild<QLineEdit*>(fieldName))
        return edit->text();
    if (auto* code = findChild<QsciScintilla*>(fieldName))
        return code->text();
    if (auto* box = findChild<QComboBox*>(fieldName))
        return box->currentText();
    return {};
}

void TNewTab::setText(const QString& fieldName, const QString& value) {
    if (auto* edit = findChild<QLineEdit*>(fieldName))
        edit->setText(value);
}

void TNewTab::ControlChange(const QString& fieldName) {
    if (FillingFields())
        return;
    QWidget* field = findChild<QWidget*>(fieldName);
    QWidget* label = qobject_cast<QCheckBox*>(field) ? field : findChild<QLabel*>("lbl" + fieldName);
    if (label) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    modified_ = true;
    UpdateStatus();
    // Fields without a tag (Comments) live outside the part.
    if (part_ && part_->Template().HasTag(fieldName.toStdString()))
        part_->EnsureItem(fieldName.toStdString());
}

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

bool TNewTab::eventFilter(QObject* watched, QEvent* event) {
    // The Insert key toggles the insert mode; Scintilla tells nobody.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Insert)
        QTimer::singleShot(0, this, [this] { UpdateStatus(); });
    return IDocumentEditor::eventFilter(watched, event);
}

void TNewTab::CycleInnerPage(bool forward) {
    int count = pages_->count();
    pages_->setCurrentIndex((pages_->currentIndex() + (forward ? 1 : count - 1)) % count);
}

// ---- source and pages ----

void TNewTab::setSourceText(const QString& text) {
    // What the program puts into the source view is no edit of the user's.
    if (memo_->isModified())
        modified_ = true;
    FillingFieldsScope quiet;
    memo_->setText(text);
    memo_->setModified(false);
}

void TNewTab::showParseError(const std::exception& e) {
    Dialogs().Show(MsgKind::Error, e.what());
    // The message stays as the reader words it; where it stopped is shown
    // by the caret, a mark in the gutter and the status bar.
    auto* xml = dynamic_cast<const EXmlError*>(&e);
    if (!xml || xml->Offset() == EXmlError::kNoOffset)
        return;
    std::string source = part_->SourceText();
    XmlTextPosition at = PositionInText(source, xml->Offset());
    QString before = codec_.decode(source.substr(at.lineStart, at.column - 1));
    int index = EditorIndex(before, int(before.size()));
    ShowErrorMark(memo_, at.line - 1, index);
    services_.StatusBar().SetMessage("line " + std::to_string(at.line) + ", column " + std::to_string(index + 1));
}

bool TNewTab::loadSourceIntoFields(const std::string& bytes) {
    ClearErrorMark(memo_);
    try {
        part_->SetSourceText(bytes);
        part_->Template().ResetControls();
        part_->Parse();
        return true;
    } catch (const std::exception& e) {
        showParseError(e);
        return false;
    }
}

bool TNewTab::parseSource() {
    std::string bytes;
    try {
        TextCodec codec = TextCodec::ForDeclaration(memo_->text());
        bytes = codec.encode(memo_->text());
        codec_ = codec;
    } catch (const std::exception& e) {
        showParseError(e);
        return false;
    }
    bool typed = memo_->isModified();
    bool ok = loadSourceIntoFields(bytes);
    if (ok && typed)
        modified_ = true;
    return ok;
}

void TNewTab::showSourceFromFields() {
    setSourceText(codec_.decode(part_->BuildText()));
}

void TNewTab::onPageChanged(int index) {
    if (switchingPage_)
        return;
    int left = currentPage_;
    if (left == kEdit && index != kEdit && !parseSource()) {
        switchingPage_ = true;
        pages_->setCurrentIndex(kEdit);
        switchingPage_ = false;
        return;
    }
    if (index == kEdit) {
        try {
            showSourceFromFields();
        } catch (const std::exception& e) {
            Dialogs().Show(MsgKind::Error, e.what());
            switchingPage_ = true;
            pages_->setCurrentIndex(left);
            switchingPage_ = false;
            return;
        }
    }
    currentPage_ = index;
    UpdateStatus();
    if (index == kPreview)
        renderPreview();
}

void TNewTab::SetGenerator(std::function<std::string(const std::string&, const std::string&)> generator) {
    generator_ = [generator = std::move(generator)](const std::string& xml, const std::string& xsl, std::string*) {
        return generator(xml, xsl);
    };
}

void TNewTab::SetGenerator(Generator generator) { generator_ = std::move(generator); }

void TNewTab::renderPreview() {
    std::string content = text("Content").toStdString();
    if (content.empty())
        return;
    std::string xsl = text("XSL").toStdString();
    std::string html;
    if (!xsl.empty()) {
        // What went wrong is shown in the preview itself, never a blank page.
        try {
            std::string warnings;
            html = generator_(DecodePreviewEntities(content), DecodePreviewEntities(xsl), &warnings);
            html = WithPreviewWarnings(html, warnings);
        } catch (const std::exception& e) {
            html = PreviewErrorPage("The preview cannot be shown", e.what());
        }
    } else {
        html = ContentPreviewHtml(content);
    }
    previewHtml_ = QString::fromStdString(html);
    QUrl base = fileName_.empty()
                    ? QUrl()
                    : QUrl::fromLocalFile(QFileInfo(QString::fromStdString(fileName_)).absolutePath() + "/");
    static_cast<TPreviewView*>(preview_)->showHtml(previewHtml_, base);
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

std::string TNewTab::FeedInPartEncoding(const QByteArray& feed, const TextCodec& partCodec) {
    QString text;
    std::optional<QStringConverter::Encoding> bom = QStringConverter::encodingForData(feed);
    if (bom) {
        QStringDecoder decoder(*bom);
        text = decoder.decode(feed);
    } else {
        QString declared = DeclaredEncoding(feed);
        QStringDecoder decoder(declared.isEmpty() ? "UTF-8" : declared.toLatin1().constData(),
                               QStringConverter::Flag::Stateless);
        if (!decoder.isValid())
            decoder = QStringDecoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        text = decoder.decode(feed);
        // Feeds that claim UTF-8 but hold single-byte text are read as Latin-1.
        if (decoder.hasError())
            text = QString::fromLatin1(feed);
    }
    std::string out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QString one = text.mid(i, length);
        try {
            out += partCodec.encode(one);
        } catch (const Exception&) {
            out += "&#" + std::to_string(one.toUcs4().value(0)) + ";";
        }
        i += length - 1;
    }
    return out;
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
    bool refused = false;
    if (text("Content").isEmpty() && emptyLink(text("ContentLink"))) {
        Dialogs().Show(MsgKind::Warning, "Content (ContentLink) is empty!");
        refused = true;
    }
    auto* type = findChild<QComboBox*>("ContentType");
    if (type->currentIndex() == 3 && text("XSL").isEmpty() && emptyLink(text("XSLLink"))) {
        Dialogs().Show(MsgKind::Warning, "XSL (XSLLink) is empty!");
        refused = true;
    }
    return !refused;
}

void TNewTab::stampLastModified() {
    setText("LastModified", QString::fromStdString(GetInternetDateTime(std::chrono::system_clock::now())));
}

void TNewTab::applyMasterPartLink(const std::string& chosenPath, bool saveAs) {
    QString master = text("MasterPartLink");
    QString oldName = fileNameOnly(fileName_);
    if (emptyLink(master) || (saveAs && !oldName.isEmpty() && master == oldName))
        setText("MasterPartLink", fileNameOnly(chosenPath));
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
    if (!validate())
        return SaveOutcome::Refused;
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
            std::string proposed = ExtractFileName(fileName_);
            if (proposed.empty()) {
                QString title = text("Title").trimmed();
                proposed = title.isEmpty() ? "Untitled" : SafeFileName(title.toStdString(), "-");
            }
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
    try {
        CopyLinkedFiles(fileName_, links);
    } catch (...) {
        // Fields already copied keep their short names.
        for (const LinkField& link : links)
            if (link.changed)
                setText(QString::fromStdString(link.name), QString::fromStdString(link.text));
        throw;
    }
    for (const LinkField& link : links)
        if (link.changed)
            setText(QString::fromStdString(link.name), QString::fromStdString(link.text));
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

void TNewTab::ViewInBrowser(const QString& fieldName) {
    QString url = text(fieldName).trimmed();
    if (url.startsWith("http://", Qt::CaseInsensitive))
        openUrl_(url);
}

void TNewTab::UseRssSettings() {
    setText("XSLLink", "rss.xsl");
    findChild<QComboBox*>("ContentType")->setCurrentIndex(3);
    // Set without its change handling, but written with the part all the same.
    part_->EnsureItem("ContentType");
    setText("CustomizationWidth", "233");
    setText("CustomizationHeight", "182");
}

void TNewTab::SetCacheTimeout(int seconds) {
    setText("CacheTimeout", QString::number(seconds));
    auto* behavior = findChild<QComboBox*>("CacheBehavior");
    if (seconds != 0 && behavior->currentIndex() == 0) {
        behavior->setCurrentIndex(2);
        part_->EnsureItem("CacheBehavior");
    }
}

std::string TNewTab::CategoryEditPath() const {
    std::string title = entry_ ? entry_->title : std::string();
    if (categories_->count() == 0)
        return title;
    QListWidgetItem* item = categories_->currentItem() ? categories_->currentItem() : categories_->item(0);
    return codec_.encode(item->text()) + "/" + title;
}

void TNewTab::EditCategory() {
    // The hook selects by file; the path check keeps a part that is not in
    // the catalogue from jumping to an unrelated node.
    ICatalogueHook& catalogue = services_.Catalogue();
    if (catalogue.FindCategoryNode(CategoryEditPath()) && !fileName_.empty())
        catalogue.ShowEntry(fileName_);
}

QsciScintilla* TNewTab::visibleCodeEditor() const {
    switch (pages_->currentIndex()) {
    case kBasic: {
        QWidget* page = contentPages_->currentWidget();
        QsciScintilla* editor = page ? page->findChild<QsciScintilla*>() : nullptr;
        // No Content has no macros.
        return editor && editor->objectName() != "NoContent" ? editor : nullptr;
    }
    case kViewStyle: {
        QWidget* page = viewStylePages_->currentWidget();
        return page ? page->findChild<QsciScintilla*>() : nullptr;
    }
    case kEdit: return memo_;
    default: return nullptr;
    }
}

void TNewTab::RunMacro(Macro macro) {
    if (QsciScintilla* editor = visibleCodeEditor()) {
        ApplyMacro(editor, macro);
        editor->setFocus();
    }
}

void TNewTab::SourceGutterClicked(int line) {
    SelectLineValue(memo_, line);
}

} // namespace wpe
