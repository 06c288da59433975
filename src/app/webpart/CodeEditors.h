#pragma once
// The code editors of the web part editor: creation with a highlighting,
// switching the highlighting, the macros and the source view's line pick.

#include <QString>

class QsciScintilla;
class QWidget;

namespace wpe {

enum class Highlighting { Html, VBScript, JavaScript, Xml, Plain };

// The highlighting of the ContentType items 0 to 3 (HTML for anything else).
Highlighting HighlightingOfContentType(int index);

// A code editor named objectName with line numbers and the highlighting.
QsciScintilla* NewCodeEditor(const QString& objectName, Highlighting highlighting, QWidget* parent);
// Switches the editor's highlighting; the text stays.
void SetHighlighting(QsciScintilla* editor, Highlighting highlighting);
// The highlighting the editor shows.
Highlighting CurrentHighlighting(const QsciScintilla* editor);

enum class Macro { CData, AngleBrackets, DoubleQuotes };

// Wraps the selection in the macro's pair, or inserts the pair at the caret
// and puts the caret between its halves.
void ApplyMacro(QsciScintilla* editor, Macro macro);

// In the line, the range between the first ">" and the first "</" when that
// comes after it: start and end columns (end == start when they touch).
// False when there is no such range.
bool ValueRangeOfLine(const QString& line, int& start, int& end);
// Selects that range of the editor's line (or puts the caret there).
void SelectLineValue(QsciScintilla* editor, int line);

// The editor's index within a line (it counts characters, not UTF-16 units
// and not the bytes of its UTF-8 text) of the QString offset in that line.
int EditorIndex(const QString& line, int offset);

// Marks a line with the error sign in the gutter (one mark at a time) and
// puts the caret at index in it.
void ShowErrorMark(QsciScintilla* editor, int line, int index);
void ClearErrorMark(QsciScintilla* editor);
// The line holding the error mark, or -1.
int ErrorMarkLine(QsciScintilla* editor);

} // namespace wpe
