#include "webpart/NewTabFrame.h"

#include "webpart/PartStorageEditor.h"
#include "webpart/PreviewView.h"
#include "webpart/WidgetFields.h"

#include "portal/BaseITF.h"
#include "shell/AppFolders.h"
#include "shell/MainServices.h"
#include "webpart/PartEditing.h"
#include "webpart/WebPart.h"

#include <Qsci/qsciscintilla.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
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
#include <QTimer>
#include <QTabWidget>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

// The web part editor's pages: its fields, labels, buttons and code editors,
// and which of them the user sees.

namespace wpe {

namespace {

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

QString TNewTab::text(const QString& fieldName) {
    return codec_.decode(FieldText(*this, fieldName.toStdString()));
}

void TNewTab::setText(const QString& fieldName, const QString& value) {
    SetFieldText(*this, fieldName.toStdString(), codec_.encode(value));
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

// ---- pages ----

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

} // namespace wpe
