#include "EditorFixture.h"

#include "webpart/Archive.h"
#include "webpart/PartStorageEditor.h"
#include "webpart/WebPart.h"

#include <Qsci/qsciscintilla.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QSettings>
#include <QTabWidget>
#include <QToolButton>

using namespace wpe;
using namespace wpe::test;

namespace {

const std::string kHead = "<?xml version=\"1.0\" encoding=\"WINDOWS-1251\" ?>\r\n";

std::string part(const std::string& body) {
    return kHead + "<WebPart>\r\n" + body + "</WebPart>";
}

bool contains(const std::string& text, const std::string& piece) {
    return text.find(piece) != std::string::npos;
}

} // namespace

TEST_F(EditorTest, EveryFieldHasItsWidgetLabelAndStart) {
    struct Text {
        const char* name;
        const char* label;
        const char* initial;
    } texts[] = {{"Title", "Title", ""},
                 {"Description", "Description", ""},
                 {"ContentLink", "Content Link", "http://"},
                 {"XSLLink", "XSL Link", "http://"},
                 {"PublisherName", "Publisher Name", ""},
                 {"PublisherURL", "Publisher URL", "http://"},
                 {"Popularity", "Popularity", "0"},
                 {"LastModified", "Last Modified", ""},
                 {"Namespace", "Namespace", ""},
                 {"CacheTimeout", "Cache Timeout", ""},
                 {"CustomizationLink", "Customization Link", "http://"},
                 {"MasterPartLink", "MasterPart Link", "http://"},
                 {"DetailLink", "Detail Link", "http://"},
                 {"Height", "Height", ""},
                 {"Width", "Width", ""},
                 {"CustomizationHeight", "Customization Height", ""},
                 {"CustomizationWidth", "Customization Width", ""}};
    for (const Text& t : texts) {
        auto* edit = widget<QLineEdit>(t.name);
        auto* label = widget<QLabel>((std::string("lbl") + t.name).c_str());
        ASSERT_TRUE(edit && label) << t.name;
        EXPECT_EQ(label->text(), t.label);
        EXPECT_EQ(edit->text(), t.initial) << t.name;
    }
    struct Choice {
        const char* name;
        QStringList items;
    } choices[] = {{"Language", {"en", "ru", "fr"}},
                   {"ContentType", {"HTML", "VBScript", "JavaScript", "XML"}},
                   {"CacheBehavior", {"None", "All Users", "Each User"}},
                   {"Zone", {"Top", "Left", "Center", "Right", "Bottom"}}};
    for (const Choice& c : choices) {
        auto* box = widget<QComboBox>(c.name);
        ASSERT_TRUE(box);
        QStringList items;
        for (int i = 0; i < box->count(); ++i)
            items << box->itemText(i);
        EXPECT_EQ(items, c.items) << c.name;
    }
    for (const char* on : {"AllowMinimize", "AllowRemove", "FrameState", "HasFrame", "InternetRequired"})
        EXPECT_EQ(widget<QCheckBox>(on)->checkState(), Qt::Checked) << on;
    for (const char* off : {"RequiresIsolation", "KeepLoaded"})
        EXPECT_EQ(widget<QCheckBox>(off)->checkState(), Qt::Unchecked) << off;
    for (const char* code : {"Content", "NoContent", "XSL", "Comments", "Customization", "Memo", "PSValue"})
        EXPECT_NE(editor->findChild<QsciScintilla*>(code), nullptr) << code;
    for (const char* page : {"tabBasic", "tabViewStyle", "tabEdit", "tabPreview", "tabContent", "TabSheet1",
                             "tabXSL", "tabComments", "tabPartStorage", "tabCustomization"})
        EXPECT_NE(editor->findChild<QWidget*>(page), nullptr) << page;
    EXPECT_EQ(widget<QComboBox>("Language")->lineEdit()->maxLength(), 2);
}

TEST_F(EditorTest, MalformedFileStaysInTheSourceViewUntilItParses) {
    std::string text = part("  <Title>Broken</Titel>\r\n");
    loadPart("broken.xml", text);

    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].kind, MsgKind::Error);
    EXPECT_EQ(editor->PageControl()->currentIndex(), TNewTab::kEdit);
    EXPECT_EQ(editor->Memo()->text().toStdString(), text);
    EXPECT_FALSE(editor->IsModified());

    editor->PageControl()->setCurrentIndex(TNewTab::kBasic);
    EXPECT_EQ(editor->PageControl()->currentIndex(), TNewTab::kEdit);
    EXPECT_EQ(dialogs.shown.size(), 2u);

    editor->Memo()->setText(QString::fromStdString(part("  <Title>Fixed</Title>\r\n")));
    editor->PageControl()->setCurrentIndex(TNewTab::kBasic);
    EXPECT_EQ(editor->PageControl()->currentIndex(), TNewTab::kBasic);
    EXPECT_EQ(widget<QLineEdit>("Title")->text(), "Fixed");
    EXPECT_EQ(dialogs.shown.size(), 2u);
}

TEST_F(EditorTest, EditedTitleIsAddedOnSave) {
    std::string file = loadPart("notitle.xml", part("  <Content>x</Content>\r\n"));
    EXPECT_FALSE(editor->IsModified());
    EXPECT_FALSE(widget<QLabel>("lblTitle")->font().bold());

    widget<QLineEdit>("Title")->setText("  Fresh title ");

    EXPECT_TRUE(editor->IsModified());
    EXPECT_TRUE(widget<QLabel>("lblTitle")->font().bold());
    EXPECT_EQ(services->caption, "notitle *");
    ASSERT_TRUE(editor->Save(false, false));
    std::string saved = ReadFile(file);
    EXPECT_TRUE(contains(saved, "  <Title>Fresh title</Title>\r\n")) << saved;
    EXPECT_TRUE(contains(saved, "  <LastModified>")) << saved;
    EXPECT_FALSE(contains(saved, "<Description>")) << "untouched optional tags stay out";
    EXPECT_FALSE(editor->IsModified());
    EXPECT_EQ(services->caption, "notitle");
    EXPECT_TRUE(services->proposals.empty()) << "an existing file is saved without asking";
}

TEST_F(EditorTest, UnmodifiedSaveWritesNothingButCopiesLinksAndStoresTheComment) {
    QDir(QString::fromStdString(programDir)).mkpath("x");
    WriteFile(path("x/page.html"), "<p>linked</p>");
    services->comments.SetComment("kept.xml", "A note");
    std::string text = part("  <Content>c</Content>\r\n  <ContentLink>" + path("x/page.html") + "</ContentLink>\r\n");
    std::string file = loadPart("kept.xml", text);
    auto stamp = std::filesystem::last_write_time(file);
    EXPECT_EQ(editor->findChild<QsciScintilla*>("Comments")->text(), "A note");
    ASSERT_FALSE(editor->IsModified());

    ASSERT_TRUE(editor->Save(false, false));

    EXPECT_EQ(ReadFile(file), text);
    EXPECT_EQ(std::filesystem::last_write_time(file), stamp);
    EXPECT_EQ(ReadFile(path("kept/page.html")), "<p>linked</p>");
    EXPECT_EQ(widget<QLineEdit>("ContentLink")->text(), "page.html");
    EXPECT_TRUE(editor->IsModified()) << "the short link name is an edit to save next time";
    EXPECT_EQ(services->catalogue.reloads, 1);
    EXPECT_TRUE(contains(ReadFile(path("WPComment.xml")), "<wp filename=\"kept.xml\">A note</wp>"));
    EXPECT_TRUE(services->proposals.empty());
}

TEST_F(EditorTest, NewsExampleCopiesTheLinkAndArchivesPartWithFolder) {
    QDir(QString::fromStdString(programDir)).mkpath("x");
    QDir(QString::fromStdString(programDir)).mkpath("parts");
    WriteFile(path("x/page.html"), "<b>news</b>");
    services->options.createWebletArchive = true;
    editor->NewPart();
    widget<QLineEdit>("Title")->setText("News");
    widget<QLineEdit>("ContentLink")->setText(QString::fromStdString(path("x/page.html")));
    services->saveAnswers.push_back(path("parts/news.xml"));

    ASSERT_TRUE(editor->Save(false, false));

    EXPECT_EQ(editor->FileName(), path("parts/news.xml"));
    EXPECT_EQ(ReadFile(path("parts/news/page.html")), "<b>news</b>");
    EXPECT_EQ(widget<QLineEdit>("ContentLink")->text(), "page.html");
    EXPECT_EQ(ArchiveEntryNames(path("parts/news.cwp")), (std::vector<std::string>{"news.xml", "news/page.html"}));
    EXPECT_EQ(ReadArchiveEntry(path("parts/news.cwp"), "news.xml"), ReadFile(path("parts/news.xml")));
    EXPECT_EQ(services->reopened, std::vector<std::string>{path("parts/news.xml")});

    // The next save writes the short name.
    ASSERT_TRUE(editor->Save(false, false));
    EXPECT_TRUE(contains(ReadFile(path("parts/news.xml")), "<ContentLink>page.html</ContentLink>"));
}

TEST_F(EditorTest, SaveAsRewritesMasterPartLinkNamingTheOldFile) {
    loadPart("old.xml", part("  <Content>c</Content>\r\n  <MasterPartLink>old.xml</MasterPartLink>\r\n"));
    services->saveAnswers.push_back(path("new.xml"));

    ASSERT_TRUE(editor->Save(true, false));

    EXPECT_EQ(services->proposals, std::vector<std::string>{"old.xml"});
    EXPECT_TRUE(contains(ReadFile(path("new.xml")), "<MasterPartLink>new.xml</MasterPartLink>"));
    EXPECT_EQ(editor->FileName(), path("new.xml"));
}

TEST_F(EditorTest, SaveAsKeepsAnotherMasterPartLink) {
    loadPart("old.xml", part("  <Content>c</Content>\r\n  <MasterPartLink>main.xml</MasterPartLink>\r\n"));
    services->saveAnswers.push_back(path("new.xml"));
    ASSERT_TRUE(editor->Save(true, false));
    EXPECT_TRUE(contains(ReadFile(path("new.xml")), "<MasterPartLink>main.xml</MasterPartLink>"));
}

TEST_F(EditorTest, YesThenCancelInTheSaveDialogKeepsTheTab) {
    editor->NewPart();
    widget<QLineEdit>("Title")->setText("x");
    editor->findChild<QsciScintilla*>("Content")->setText("c");
    dialogs.answers.push_back(MsgResult::Yes);

    EXPECT_FALSE(editor->CloseQuery(false));

    ASSERT_FALSE(dialogs.shown.empty());
    EXPECT_EQ(dialogs.shown[0].text, "Save changes to Untitled?");
    EXPECT_EQ(services->proposals.size(), 1u);
    EXPECT_TRUE(editor->IsModified());
}

TEST_F(EditorTest, ProposedNameComesFromTheTitleAndDialogStartsInStorage) {
    editor->NewPart();
    widget<QLineEdit>("Title")->setText("a/b:c");
    editor->findChild<QsciScintilla*>("Content")->setText("x");

    EXPECT_FALSE(editor->Save(false, false));

    EXPECT_EQ(services->proposals, std::vector<std::string>{"a-b-c"});
    EXPECT_EQ(services->dirs, std::vector<std::string>{programDir + "STORAGE/"});
    EXPECT_TRUE(editor->IsModified());
}

TEST_F(EditorTest, ValidationRefusesEmptyContentAndXmlWithoutXsl) {
    editor->NewPart();
    widget<QLineEdit>("Title")->setText("T");
    widget<QComboBox>("ContentType")->setCurrentIndex(3);
    services->saveAnswers.push_back(path("never.xml"));

    EXPECT_TRUE(editor->Save(false, false));

    EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{"Content (ContentLink) is empty!", "XSL (XSLLink) is empty!"}));
    EXPECT_TRUE(services->proposals.empty());
    EXPECT_FALSE(std::filesystem::exists(path("never.xml")));
}

TEST_F(EditorTest, PreviewWithXslPassesDecodedTextsToTheGenerator) {
    std::string xml, xsl;
    editor->SetGenerator([&](const std::string& x, const std::string& s) {
        xml = x;
        xsl = s;
        return std::string("<p>rendered</p>");
    });
    editor->findChild<QsciScintilla*>("Content")->setText("&lt;b&gt;x&lt;/b&gt;");
    editor->findChild<QsciScintilla*>("XSL")->setText("<xsl:value-of select=&quot;b&quot;/>");

    editor->PageControl()->setCurrentIndex(TNewTab::kPreview);

    EXPECT_EQ(xml, "<b>x</b>");
    EXPECT_EQ(xsl, "<xsl:value-of select=\"b\"/>");
    EXPECT_EQ(editor->PreviewHtml(), "<p>rendered</p>");
}

TEST_F(EditorTest, PreviewWithoutXslUnwrapsALeadingCDataSection) {
    struct Case {
        const char* content;
        const char* shown;
    } cases[] = {{"  <![CDATA[<i>a</i>]]> tail", "<i>a</i> tail"},
                 {"<b>plain</b>", "<b>plain</b>"},
                 {"x <![CDATA[y]]>", "x <![CDATA[y]]>"}};
    for (const Case& c : cases) {
        editor->PageControl()->setCurrentIndex(TNewTab::kBasic);
        editor->findChild<QsciScintilla*>("Content")->setText(c.content);
        editor->PageControl()->setCurrentIndex(TNewTab::kPreview);
        EXPECT_EQ(editor->PreviewHtml(), c.shown) << c.content;
    }
    // Empty content leaves the preview as it was.
    editor->PageControl()->setCurrentIndex(TNewTab::kBasic);
    editor->findChild<QsciScintilla*>("Content")->setText("");
    editor->PageControl()->setCurrentIndex(TNewTab::kPreview);
    EXPECT_EQ(editor->PreviewHtml(), "x <![CDATA[y]]>");
}

TEST_F(EditorTest, CacheTimeoutMenuSetsSecondsAndEachUser) {
    loadPart("cache.xml", part("  <Content>c</Content>\r\n"));
    auto* menu = editor->findChild<QMenu*>("pmCacheTimeout");
    ASSERT_NE(menu, nullptr);
    for (QAction* action : menu->actions())
        if (action->text() == "6 hours")
            action->trigger();

    EXPECT_EQ(widget<QLineEdit>("CacheTimeout")->text(), "21600");
    EXPECT_EQ(widget<QComboBox>("CacheBehavior")->currentText(), "Each User");
    ASSERT_TRUE(editor->Save(false, false));
    std::string saved = ReadFile(path("cache.xml"));
    EXPECT_TRUE(contains(saved, "<CacheTimeout>21600</CacheTimeout>")) << saved;
    EXPECT_TRUE(contains(saved, "<CacheBehavior>2</CacheBehavior>")) << saved;

    editor->SetCacheTimeout(0);
    EXPECT_EQ(widget<QLineEdit>("CacheTimeout")->text(), "0");
    EXPECT_EQ(widget<QComboBox>("CacheBehavior")->currentIndex(), 2);
}

TEST_F(EditorTest, RssButtonSetsTheReaderSettings) {
    editor->UseRssSettings();
    EXPECT_EQ(widget<QLineEdit>("XSLLink")->text(), "rss.xsl");
    EXPECT_EQ(widget<QComboBox>("ContentType")->currentIndex(), 3);
    EXPECT_EQ(widget<QLineEdit>("CustomizationWidth")->text(), "233");
    EXPECT_EQ(widget<QLineEdit>("CustomizationHeight")->text(), "182");
}

TEST_F(EditorTest, ContentTypeSwitchesTheHighlightingOfContent) {
    auto* type = widget<QComboBox>("ContentType");
    auto* content = editor->findChild<QsciScintilla*>("Content");
    const Highlighting expected[] = {Highlighting::Html, Highlighting::VBScript, Highlighting::JavaScript,
                                     Highlighting::Xml};
    for (int i = 3; i >= 0; --i) {
        type->setCurrentIndex(i);
        emit type->activated(i);
        EXPECT_EQ(CurrentHighlighting(content), expected[i]) << i;
    }
    EXPECT_TRUE(widget<QLabel>("lblContentType")->font().bold());
}

TEST_F(EditorTest, WindowsCyrillicTextShowsAndSavesBackByteForByte) {
    const std::string title = "\xCF\xF0\xE8\xE2\xE5\xF2";  // "Привет" in Windows-1251
    loadPart("ru.xml", part("  <Content>c</Content>\r\n  <Title>" + title + "</Title>\r\n"));
    EXPECT_EQ(widget<QLineEdit>("Title")->text(), QString::fromUtf8("Привет"));

    // The canonical text of the part, saved from the source view unchanged.
    editor->PageControl()->setCurrentIndex(TNewTab::kEdit);
    std::string canonical = editor->Codec().encode(editor->Memo()->text());
    EXPECT_TRUE(contains(canonical, "<Title>" + title + "</Title>"));
    editor->SetModified(true);
    ASSERT_TRUE(editor->Save(false, false));
    std::string saved = ReadFile(path("ru.xml"));
    EXPECT_EQ(saved, canonical + "\r\n");

    // Opened and saved again from the source view, not a byte changes.
    editor->LoadFromFile(path("ru.xml"));
    editor->PageControl()->setCurrentIndex(TNewTab::kEdit);
    editor->SetModified(true);
    ASSERT_TRUE(editor->Save(false, false));
    EXPECT_EQ(ReadFile(path("ru.xml")), saved);
}

TEST_F(EditorTest, CharacterTheEncodingCannotHoldIsAClearErrorAndNothingIsWritten) {
    std::string text = part("  <Content>c</Content>\r\n  <Title>T</Title>\r\n");
    std::string file = loadPart("cjk.xml", text);
    widget<QLineEdit>("Title")->setText(QString::fromUtf8("漢字"));

    EXPECT_FALSE(editor->Save(false, false));

    ASSERT_FALSE(dialogs.shown.empty());
    EXPECT_TRUE(contains(dialogs.shown.back().text, "cannot be stored")) << dialogs.shown.back().text;
    EXPECT_EQ(ReadFile(file), text);
    EXPECT_TRUE(editor->IsModified());
}

TEST_F(EditorTest, Utf8PartKeepsItsEncoding) {
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<WebPart>\r\n  <Content>c</Content>\r\n"
                       "  <Title>\xE6\xBC\xA2</Title>\r\n</WebPart>";
    loadPart("utf8.xml", text);
    EXPECT_EQ(widget<QLineEdit>("Title")->text(), QString::fromUtf8("漢"));
    widget<QLineEdit>("Description")->setText(QString::fromUtf8("é"));
    ASSERT_TRUE(editor->Save(false, false));
    std::string saved = ReadFile(path("utf8.xml"));
    EXPECT_TRUE(contains(saved, "<Title>\xE6\xBC\xA2</Title>")) << saved;
    EXPECT_TRUE(contains(saved, "<Description>\xC3\xA9</Description>")) << saved;
}

TEST_F(EditorTest, NewFromRssFillsTheFieldsAndPartStorage) {
    editor->NewFromRss("<rss><channel><title>Feed &amp; Co</title><link>http://f.example/</link>"
                       "<language>ru</language></channel></rss>",
                       "http://f.example/rss");
    EXPECT_TRUE(dialogs.shown.empty()) << (dialogs.shown.empty() ? "" : dialogs.shown[0].text);
    EXPECT_EQ(widget<QLineEdit>("Title")->text(), "Feed & Co");
    EXPECT_EQ(widget<QLineEdit>("ContentLink")->text(), "http://f.example/rss");
    EXPECT_EQ(widget<QComboBox>("ContentType")->currentIndex(), 3);
    EXPECT_EQ(widget<QComboBox>("CacheBehavior")->currentIndex(), 2);
    auto* storage = editor->findChild<TPartStorageEditor*>();
    ASSERT_NE(storage, nullptr);
    EXPECT_EQ(storage->GetTree().NodeCount(), 5);
    EXPECT_EQ(storage->GetTree().Root().Child(0)->attrColumn, "[local]");
    EXPECT_TRUE(editor->FileName().empty());
    EXPECT_TRUE(editor->IsModified());
}

TEST_F(EditorTest, FeedTextOutsideThePartEncodingBecomesCharacterReferences) {
    TextCodec cp1251("windows-1251");
    QByteArray utf8Feed = QString::fromUtf8("<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss><channel>"
                                            "<title>Новости 漢</title></channel></rss>")
                              .toUtf8();
    std::string converted = FeedInPartEncoding(utf8Feed, cp1251);
    EXPECT_TRUE(contains(converted, "<title>\xCD\xEE\xE2\xEE\xF1\xF2\xE8 &#28450;</title>")) << converted;
}

TEST_F(EditorTest, CloseQueryAsksAndRecordsTheOpenFile) {
    std::string file = loadPart("q.xml", part("  <Content>c</Content>\r\n"));
    widget<QLineEdit>("Title")->setText("changed");
    dialogs.answers.push_back(MsgResult::No);

    EXPECT_TRUE(editor->CloseQuery(true));

    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "Save changes to " + file + " ?");
    EXPECT_EQ(dialogs.shown[0].buttons, MsgButtons::YesNoCancel);
    EXPECT_EQ(QSettings("Orlendt", "WebParts Editor").value("LastOpenedFiles/1").toString().toStdString(), file);
    dialogs.answers.push_back(MsgResult::Cancel);
    EXPECT_FALSE(editor->CloseQuery(false));
}

TEST_F(EditorTest, MacrosWrapTheSelectionOrInsertAPair) {
    auto* content = editor->findChild<QsciScintilla*>("Content");
    content->setText("ab");
    content->setCursorPosition(0, 1);
    editor->RunMacro(Macro::CData);
    EXPECT_EQ(content->text(), "a<![CDATA[]]>b");
    int line = 0, column = 0;
    content->getCursorPosition(&line, &column);
    EXPECT_EQ(column, 10);

    content->setText("say hi");
    content->setSelection(0, 4, 0, 6);
    editor->RunMacro(Macro::DoubleQuotes);
    EXPECT_EQ(content->text(), "say &quot;hi&quot;");
}

TEST_F(EditorTest, GutterClickSelectsTheTagValue) {
    loadPart("g.xml", part("  <Content>c</Content>\r\n  <Title>Hello</Title>\r\n  <XSL></XSL>\r\n"));
    editor->PageControl()->setCurrentIndex(TNewTab::kEdit);
    QsciScintilla* memo = editor->Memo();
    int titleLine = -1, xslLine = -1;
    for (int i = 0; i < memo->lines(); ++i) {
        if (memo->text(i).contains("<Title>"))
            titleLine = i;
        if (memo->text(i).contains("<XSL>"))
            xslLine = i;
    }
    ASSERT_GE(titleLine, 0);
    editor->SourceGutterClicked(titleLine);
    EXPECT_EQ(memo->selectedText(), "Hello");
    // An empty value: the caret goes between the tags, nothing is selected.
    ASSERT_GE(xslLine, 0);
    editor->SourceGutterClicked(xslLine);
    EXPECT_FALSE(memo->hasSelectedText());
    int line = 0, column = 0;
    memo->getCursorPosition(&line, &column);
    EXPECT_EQ(line, xslLine);
    EXPECT_EQ(column, 7);
}

TEST_F(EditorTest, CategoryEditPathUsesTheSelectedOrFirstEntry) {
    loadPart("cat.xml", part("  <Content>c</Content>\r\n  <Category>News/World</Category>\r\n"
                             "  <Category>Fun</Category>\r\n"));
    auto* list = widget<QListWidget>("Category");
    ASSERT_EQ(list->count(), 2);
    // No catalogue entry yet: the title part is empty.
    EXPECT_EQ(editor->CategoryEditPath(), "News/World/");
    list->setCurrentRow(1);
    EXPECT_EQ(editor->CategoryEditPath(), "Fun/");
    editor->EditCategory();
    EXPECT_EQ(services->catalogue.shownPaths, std::vector<std::string>{"Fun/"});

    // Categories written back are the list's entries, in list order.
    delete list->takeItem(0);
    list->addItem("Tools");
    editor->SetModified(true);
    ASSERT_TRUE(editor->Save(false, false));
    std::string saved = ReadFile(path("cat.xml"));
    EXPECT_TRUE(contains(saved, "  <Category>Fun</Category>\r\n  <Category>Tools</Category>\r\n")) << saved;
    EXPECT_FALSE(contains(saved, "News/World"));
}
