// The source view and the preview of the web part editor with text that is
// not plain ASCII, not well formed, or that the XSLT engine refuses.

#include "EditorFixture.h"

#include "webpart/CodeEditors.h"

#include <Qsci/qsciscintilla.h>

#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

using namespace wpe;
using namespace wpe::test;

namespace {

const std::string kUtf8Head = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n";

std::string utf8Part(const std::string& body) { return kUtf8Head + "<WebPart>\r\n" + body + "</WebPart>"; }

bool contains(const QString& text, const char* piece) { return text.contains(QString::fromUtf8(piece)); }

int lineHolding(QsciScintilla* memo, const QString& piece) {
    for (int i = 0; i < memo->lines(); ++i)
        if (memo->text(i).contains(piece))
            return i;
    return -1;
}

// A left click in the line-number gutter beside line.
void clickGutter(QsciScintilla* memo, int line) {
    long pos = memo->positionFromLineIndex(line, 0);
    int y = int(memo->SendScintilla(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0UL, pos));
    int height = int(memo->SendScintilla(QsciScintillaBase::SCI_TEXTHEIGHT, static_cast<unsigned long>(line)));
    QTest::mouseClick(memo->viewport(), Qt::LeftButton, {}, QPoint(4, y + height / 2));
}

class SourceViewTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        editor->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(editor.get()));
    }
    void clickPage(int page) {
        QTabBar* bar = editor->PageControl()->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(page).center());
    }
    std::string statusMessage() { return services->StatusBar().State().MessageText(); }
};

TEST_F(SourceViewTest, GutterClickSelectsValuesOfNonAsciiLines) {
    loadPart("g.xml", utf8Part("  <Title>Привет, мир</Title>\r\n  <Content>𝄞 ok</Content>\r\n"
                               "  <Description>дом</Description>\r\n"));
    clickPage(TNewTab::kEdit);
    QsciScintilla* memo = editor->Memo();
    const struct {
        const char* line;
        const char* value;
    } rows[] = {{"<Title>", "Привет, мир"}, {"<Content>", "𝄞 ok"}, {"<Description>", "дом"}};
    for (const auto& row : rows) {
        int line = lineHolding(memo, row.line);
        ASSERT_GE(line, 0) << row.line;
        clickGutter(memo, line);
        EXPECT_EQ(memo->selectedText(), QString::fromUtf8(row.value)) << row.line;
    }
}

TEST_F(SourceViewTest, MacrosKeepTheirPlaceBetweenNonAsciiCharacters) {
    auto* content = editor->findChild<QsciScintilla*>("Content");
    content->setText(QString::fromUtf8("Привет мир"));
    content->setCursorPosition(0, 6);
    editor->RunMacro(Macro::CData);
    EXPECT_EQ(content->text(), QString::fromUtf8("Привет<![CDATA[]]> мир"));
    content->insert("|");
    EXPECT_EQ(content->text(), QString::fromUtf8("Привет<![CDATA[|]]> мир")) << "the caret sits between the halves";

    content->setText(QString::fromUtf8("скажи мир"));
    content->setSelection(0, 6, 0, 9);
    editor->RunMacro(Macro::DoubleQuotes);
    EXPECT_EQ(content->text(), QString::fromUtf8("скажи &quot;мир&quot;"));
}

TEST_F(SourceViewTest, LoadingBrokenXmlPutsTheCaretWhereTheReaderStopped) {
    loadPart("broken.xml", utf8Part("  <Title>Привет</Titel>\r\n  <Content>c</Content>\r\n"));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text,
              "Ошибка в XML-документе: несоответствие имени закрывающего тэга имени открывающему")
        << "the message stays the reader's own";
    EXPECT_EQ(editor->PageControl()->currentIndex(), TNewTab::kEdit);
    QsciScintilla* memo = editor->Memo();
    int line = -1, index = -1;
    memo->getCursorPosition(&line, &index);
    EXPECT_EQ(line, 2);
    EXPECT_EQ(index, 23) << "just after </Titel>, counted in characters";
    EXPECT_EQ(ErrorMarkLine(memo), 2);
    EXPECT_EQ(statusMessage(), "line 3, column 24");
}

TEST_F(SourceViewTest, RefusedLeavingOfTheSourceViewShowsWhere) {
    loadPart("ok.xml", utf8Part("  <Title>Да</Title>\r\n  <Content>c</Content>\r\n"));
    clickPage(TNewTab::kEdit);
    QsciScintilla* memo = editor->Memo();
    int line = lineHolding(memo, "<Content>");
    ASSERT_GE(line, 0);
    memo->setFocus();
    memo->setCursorPosition(line, 2);
    QTest::keyClicks(memo, "<b x>");
    clickPage(TNewTab::kBasic);

    EXPECT_EQ(editor->PageControl()->currentIndex(), TNewTab::kEdit) << "the switch was not refused";
    ASSERT_FALSE(dialogs.shown.empty());
    EXPECT_EQ(dialogs.shown.back().text, "Ошибка в XML-документе: ожидается \"=\" для атрибута элемента");
    EXPECT_EQ(ErrorMarkLine(memo), line);
    int caretLine = -1, index = -1;
    memo->getCursorPosition(&caretLine, &index);
    EXPECT_EQ(caretLine, line);
    EXPECT_EQ(index, 7) << "after the '>' read where '=' belonged";
    EXPECT_EQ(statusMessage(), "line " + std::to_string(line + 1) + ", column 8");

    // Once the text parses, the mark goes.
    memo->setCursorPosition(line, 2);
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(memo, Qt::Key_Delete);
    clickPage(TNewTab::kBasic);
    EXPECT_EQ(editor->PageControl()->currentIndex(), TNewTab::kBasic);
    EXPECT_EQ(ErrorMarkLine(memo), -1);
}

TEST_F(SourceViewTest, JavaScriptIndexingTwiceInACDataSectionLoads) {
    loadPart("js.xml", utf8Part("  <ContentType>2</ContentType>\r\n"
                                "  <Content><![CDATA[var v = a[b[0]]; m['x']]]></Content>\r\n"));
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.Texts().front();
    EXPECT_EQ(editor->findChild<QsciScintilla*>("Content")->text(),
              "<![CDATA[var v = a[b[0]]; m['x']]]>");
}

// ---- the preview ----

const std::string kXslHead = "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\" "
                             "xmlns:exsl=\"http://exslt.org/common\" extension-element-prefixes=\"exsl\">\n";

class PreviewTest : public EditorTest {
protected:
    QString previewOf(const std::string& content, const std::string& xsl) {
        editor->PageControl()->setCurrentIndex(TNewTab::kBasic);
        editor->findChild<QsciScintilla*>("Content")->setText(QString::fromStdString(content));
        editor->findChild<QsciScintilla*>("XSL")->setText(QString::fromStdString(xsl));
        editor->PageControl()->setCurrentIndex(TNewTab::kPreview);
        return editor->PreviewHtml();
    }
};

TEST_F(PreviewTest, FailuresAreShownInThePreviewNeverABlankPage) {
    struct Row {
        const char* name;
        std::string content, xsl;
        std::vector<const char*> shown;
    };
    const std::vector<Row> rows = {
        {"XSL with a syntax error", "<a/>",
         kXslHead + "<xsl:template match=\"/\">\n<xsl:value-of select=\"((\"/>\n</xsl:template>\n</xsl:stylesheet>",
         {"The preview cannot be shown", "not a valid stylesheet", "line 3"}},
        {"XSL that is not XML", "<a/>", kXslHead + "<xsl:template>\n</xsl:stylesheet>",
         {"The preview cannot be shown", "not well-formed", "line"}},
        {"content that is not well formed", "<a><b></a>",
         kXslHead + "<xsl:template match=\"/\">x</xsl:template></xsl:stylesheet>",
         {"The preview cannot be shown", "content is not well-formed"}},
        {"document() of a file", "<a/>",
         kXslHead + "<xsl:template match=\"/\">[<xsl:value-of select=\"document('/etc/hostname')\"/>]"
                    "</xsl:template></xsl:stylesheet>",
         {"not allowed", "may not read or write files", "line 2"}},
        {"exsl:document writes a file", "<a/>",
         kXslHead + "<xsl:template match=\"/\"><exsl:document href=\"" + programDir +
             "out.txt\" method=\"text\">x</exsl:document></xsl:template></xsl:stylesheet>",
         {"not allowed", "may not read or write files"}},
    };
    for (const Row& row : rows) {
        QString html = previewOf(row.content, row.xsl);
        for (const char* piece : row.shown)
            EXPECT_TRUE(contains(html, piece)) << row.name << ": " << piece << "\n" << html.toStdString();
        EXPECT_TRUE(contains(html, "wpe-preview-error")) << row.name << " is not shown as an error";
        EXPECT_TRUE(dialogs.shown.empty()) << row.name << " asked instead of showing";
    }
    EXPECT_FALSE(QFile::exists(QString::fromStdString(programDir + "out.txt")));
    // A part that renders shows its output alone.
    QString ok = previewOf("<a>v</a>", kXslHead + "<xsl:template match=\"/\"><p><xsl:value-of select=\"a\"/></p>"
                                                  "</xsl:template></xsl:stylesheet>");
    EXPECT_TRUE(contains(ok, "<p>v</p>")) << ok.toStdString();
    EXPECT_FALSE(contains(ok, "wpe-preview-error"));
}

} // namespace
