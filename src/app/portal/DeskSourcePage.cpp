#include "portal/DeskSourcePage.h"

#include "shell/MainStatusBar.h"
#include "util/Dialogs.h"
#include "util/Files.h"
#include "util/Paths.h"
#include "webpart/CodeEditors.h"
#include "webpart/TextCodec.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QKeyEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <Qsci/qscilexer.h>
#include <Qsci/qsciscintilla.h>

namespace wpe {
namespace {

// The editor's lines as the file gets them: trailing blanks trimmed, CR LF ends.
QString LinesForFile(const QString& text)
{
    QStringList lines = text.split('\n');
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    QString out;
    for (QString line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        int end = line.size();
        while (end > 0 && (line[end - 1] == ' ' || line[end - 1] == '\t'))
            --end;
        out += line.left(end) + "\r\n";
    }
    return out;
}

} // namespace

TDeskSourcePage::TDeskSourcePage(std::function<std::string()> refreshZones, QWidget* parent)
    : QWidget(parent), refreshZones_(std::move(refreshZones))
{
    setObjectName("DeskSourcePage");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    editor_ = NewCodeEditor("edtDeskSource", Highlighting::Xml, this);
    QFont font("Courier New", 10);
    font.setStyleHint(QFont::TypeWriter);
    // Without that face the system would fall back to a proportional one.
    if (!QFontInfo(font).fixedPitch()) {
        font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPointSize(10);
    }
    editor_->setFont(font);
    if (QsciLexer* lexer = editor_->lexer()) {
        lexer->setDefaultFont(font);
        lexer->setFont(font);
    }
    editor_->setAutoIndent(true);
    editor_->setIndentationsUseTabs(false);
    editor_->setTabIndents(true);
    editor_->setBackspaceUnindents(true);
    editor_->installEventFilter(this);
    layout->addWidget(editor_);

    connect(editor_, &QsciScintilla::cursorPositionChanged, this, &TDeskSourcePage::statusChanged);
    connect(editor_, &QsciScintilla::modificationChanged, this, &TDeskSourcePage::statusChanged);
}

bool TDeskSourcePage::Modified() const
{
    return editor_->isModified();
}

void TDeskSourcePage::LoadFile(const std::string& path)
{
    path_ = path;
    try {
        const std::string bytes = ReadWholeFile(path);
        editor_->setText(TextCodec::ForDeclaration(QByteArray::fromStdString(bytes)).decode(bytes));
    } catch (const std::exception&) {
        editor_->clear();
        editor_->setModified(false);
        Dialogs().Show(MsgKind::Error, "Cannot load desk.xml");
        return;
    }
    editor_->setModified(false);
    editor_->setCursorPosition(0, 0);
    emit statusChanged();
}

bool TDeskSourcePage::Save()
{
    if (!Modified() || path_.empty())
        return true;
    try {
        const QString text = LinesForFile(editor_->text());
        WriteWholeFile(path_, TextCodec::ForDeclaration(text).encode(text));
    } catch (const std::exception& e) {
        // Nothing was written: say so instead of leaving the user to believe it saved.
        Dialogs().Show(MsgKind::Error, std::string("desk.xml could not be saved: ") + e.what());
        return false;
    }
    editor_->setModified(false);
    const std::string failure = refreshZones_ ? refreshZones_() : std::string();
    if (!failure.empty())
        Dialogs().Show(MsgKind::Error,
                       "desk.xml is saved, but the zones cannot be read from it; the Designer keeps what it "
                       "showed.\n\n" + failure);
    emit statusChanged();
    return true;
}

bool TDeskSourcePage::QueryLeave()
{
    if (!Modified())
        return true;
    switch (Dialogs().Ask(MsgKind::Confirmation,
                          "Save changes to the \"" + (path_.empty() ? std::string("desk.xml") : ExtractFileName(path_)) +
                              "\" before closing?",
                          MsgButtons::YesNoCancel)) {
    case MsgResult::Yes: return Save();
    case MsgResult::No:
        // The page reads the file again when it is shown next.
        editor_->setModified(false);
        emit statusChanged();
        return true;
    default: return false;
    }
}

void TDeskSourcePage::FillStatus(TMainStatusBar& bar) const
{
    bar.SetDocumentName(path_);
    bar.SetModified(Modified());
    int line = 0, column = 0;
    editor_->getCursorPosition(&line, &column);
    bar.SetCaretX(column + 1);
    bar.SetCaretY(line + 1);
    bar.SetInsertMode(editor_->overwriteMode() ? 1 : 0);
}

bool TDeskSourcePage::eventFilter(QObject* watched, QEvent* event)
{
    // The editor toggles overwrite itself; the status follows once it has.
    if (watched == editor_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Insert)
        QTimer::singleShot(0, this, &TDeskSourcePage::statusChanged);
    return QWidget::eventFilter(watched, event);
}

} // namespace wpe
