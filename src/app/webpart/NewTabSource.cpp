#include "webpart/NewTabFrame.h"

#include "webpart/PreviewView.h"

#include "shell/MainServices.h"
#include "shell/MainStatusBar.h"
#include "util/Dialogs.h"
#include "webpart/PartEditing.h"
#include "webpart/Preview.h"
#include "webpart/WebPart.h"
#include "xml/XXml.h"

#include <Qsci/qsciscintilla.h>

#include <QFileInfo>
#include <QTabWidget>
#include <QUrl>

// The web part editor's source view: its text kept in step with the fields
// when pages change, where a text that does not parse stopped, the macros
// and the gutter pick; and the preview page.

namespace wpe {

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
    std::optional<std::string> html;
    runCommand([&] { html = wpe::PreviewHtml(text("Content").toStdString(), text("XSL").toStdString(), generator_); });
    if (!html)
        return;
    previewHtml_ = QString::fromStdString(*html);
    QUrl base = fileName_.empty()
                    ? QUrl()
                    : QUrl::fromLocalFile(QFileInfo(QString::fromStdString(fileName_)).absolutePath() + "/");
    static_cast<TPreviewView*>(preview_)->showHtml(previewHtml_, base);
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
