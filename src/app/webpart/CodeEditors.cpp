#include "webpart/CodeEditors.h"

#include <Qsci/qscilexerhtml.h>
#include <Qsci/qscilexerjavascript.h>
#include <Qsci/qscilexerxml.h>
#include <Qsci/qsciscintilla.h>

#include <QFontDatabase>

namespace wpe {

namespace {

const char* const kHighlightingProperty = "wpeHighlighting";

const char* const kVBScriptKeywords =
    "and as boolean byref byte byval call case class const currency dim do double each else elseif empty "
    "end erase error exit explicit false for function get goto if in integer is let like long loop me mod "
    "new next not nothing null on option or preserve private property public redim rem resume select set "
    "single static step string sub then to true until wend while with xor";

QFont codeFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(10);
    return font;
}

// Scintilla's own VBScript lexer, as QScintilla offers no class for it.
void useVBScriptLexer(QsciScintilla* editor) {
    editor->setLexer(nullptr);
    editor->SendScintilla(QsciScintillaBase::SCI_SETLEXERLANGUAGE, 0UL, "vbscript");
    editor->SendScintilla(QsciScintillaBase::SCI_SETKEYWORDS, 0UL, kVBScriptKeywords);
    const struct {
        int style;
        int color;
    } styles[] = {{1, 0x008000}, {2, 0x800080}, {3, 0x0000C0}, {4, 0x800000}, {5, 0x808080},
                  {6, 0x000000}, {7, 0x808000}};
    // Scintilla colours are 0xBBGGRR.
    for (auto s : styles) {
        int rgb = s.color;
        long bgr = ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
        editor->SendScintilla(QsciScintillaBase::SCI_STYLESETFORE, static_cast<unsigned long>(s.style), bgr);
    }
    editor->SendScintilla(QsciScintillaBase::SCI_COLOURISE, 0UL, -1L);
}

} // namespace

Highlighting HighlightingOfContentType(int index) {
    switch (index) {
    case 1: return Highlighting::VBScript;
    case 2: return Highlighting::JavaScript;
    case 3: return Highlighting::Xml;
    default: return Highlighting::Html;
    }
}

QsciScintilla* NewCodeEditor(const QString& objectName, Highlighting highlighting, QWidget* parent) {
    auto* editor = new QsciScintilla(parent);
    editor->setObjectName(objectName);
    editor->setUtf8(true);
    editor->setFont(codeFont());
    editor->setMarginsFont(codeFont());
    editor->setMarginType(0, QsciScintilla::NumberMargin);
    editor->setMarginWidth(0, "00000");
    editor->setMarginSensitivity(0, true);
    editor->setEolMode(QsciScintilla::EolWindows);
    editor->setAutoIndent(true);
    editor->setTabWidth(2);
    editor->setIndentationsUseTabs(false);
    editor->setBraceMatching(QsciScintilla::SloppyBraceMatch);
    editor->setCaretLineVisible(true);
    editor->setCaretLineBackgroundColor(QColor(0xF4, 0xF7, 0xFF));
    SetHighlighting(editor, highlighting);
    return editor;
}

void SetHighlighting(QsciScintilla* editor, Highlighting highlighting) {
    if (editor->property(kHighlightingProperty).isValid() && CurrentHighlighting(editor) == highlighting)
        return;
    QsciLexer* old = editor->lexer();
    QsciLexer* lexer = nullptr;
    switch (highlighting) {
    case Highlighting::Html: lexer = new QsciLexerHTML(editor); break;
    case Highlighting::Xml: lexer = new QsciLexerXML(editor); break;
    case Highlighting::JavaScript: lexer = new QsciLexerJavaScript(editor); break;
    case Highlighting::VBScript:
    case Highlighting::Plain: break;
    }
    if (lexer) {
        lexer->setDefaultFont(codeFont());
        lexer->setFont(codeFont());
        editor->setLexer(lexer);
    } else if (highlighting == Highlighting::VBScript) {
        useVBScriptLexer(editor);
    } else {
        editor->setLexer(nullptr);
    }
    if (old && old != lexer)
        old->deleteLater();
    editor->setProperty(kHighlightingProperty, int(highlighting));
}

Highlighting CurrentHighlighting(const QsciScintilla* editor) {
    QVariant v = editor->property(kHighlightingProperty);
    return v.isValid() ? Highlighting(v.toInt()) : Highlighting::Plain;
}

void ApplyMacro(QsciScintilla* editor, Macro macro) {
    QString before, after;
    switch (macro) {
    case Macro::CData: before = "<![CDATA["; after = "]]>"; break;
    case Macro::AngleBrackets: before = "&lt;"; after = "&gt;"; break;
    case Macro::DoubleQuotes: before = "&quot;"; after = "&quot;"; break;
    }
    editor->beginUndoAction();
    if (editor->hasSelectedText()) {
        editor->replaceSelectedText(before + editor->selectedText() + after);
    } else {
        int line = 0, column = 0;
        editor->getCursorPosition(&line, &column);
        editor->insert(before + after);
        // Line indexes count characters, and the pair's are plain ASCII.
        editor->setCursorPosition(line, column + int(before.size()));
    }
    editor->endUndoAction();
}

bool ValueRangeOfLine(const QString& line, int& start, int& end) {
    int close = int(line.indexOf('>'));
    int endTag = int(line.indexOf("</"));
    if (close < 0 || endTag < 0 || endTag <= close)
        return false;
    start = close + 1;
    end = endTag;
    return true;
}

void SelectLineValue(QsciScintilla* editor, int line) {
    QString text = editor->text(line);
    int start = 0, end = 0;
    if (!ValueRangeOfLine(text, start, end))
        return;
    int from = EditorIndex(text, start);
    int to = EditorIndex(text, end);
    if (from == to)
        editor->setCursorPosition(line, from);
    else
        editor->setSelection(line, from, line, to);
}

namespace {
constexpr int kErrorMarker = 1;
constexpr int kMarkerMargin = 1;
}

void ShowErrorMark(QsciScintilla* editor, int line, int index) {
    ClearErrorMark(editor);
    if (!editor->property("wpeErrorMark").isValid()) {
        editor->setProperty("wpeErrorMark", true);
        editor->setMarginType(kMarkerMargin, QsciScintilla::SymbolMargin);
        editor->setMarginWidth(kMarkerMargin, 16);
        editor->markerDefine(QsciScintilla::Circle, kErrorMarker);
        editor->setMarkerBackgroundColor(QColor(0xD0, 0x20, 0x20), kErrorMarker);
        editor->setMarkerForegroundColor(QColor(0x80, 0x00, 0x00), kErrorMarker);
    }
    editor->markerAdd(line, kErrorMarker);
    editor->setCursorPosition(line, index);
    editor->ensureLineVisible(line);
    // An editor not laid out yet scrolls sideways to a caret it cannot show,
    // and would stay so once shown.
    if (!editor->isVisible())
        editor->SendScintilla(QsciScintillaBase::SCI_SETXOFFSET, 0UL);
}

void ClearErrorMark(QsciScintilla* editor) {
    editor->markerDeleteAll(kErrorMarker);
}

int ErrorMarkLine(QsciScintilla* editor) {
    return editor->markerFindNext(0, 1u << kErrorMarker);
}

int EditorIndex(const QString& line, int offset) {
    return int(QStringView(line).left(offset).toUcs4().size());
}

} // namespace wpe
