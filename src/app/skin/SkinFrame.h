#pragma once
// The skin editor inside a document tab: the skin's options, its HTML
// template as source, a preview of the template, the generated stylesheet
// (read only) and the errors of the last build. The skin lives in a folder
// of its own under the portal's skins folder; the folder rules, the
// generator and the package are the core's.

#include "shell/DocumentEditor.h"
#include "webpart/TextCodec.h"

#include <functional>
#include <optional>
#include <string>

class QLineEdit;
class QPlainTextEdit;
class QTabWidget;
class QToolButton;
class QsciScintilla;

namespace wpe {

class IMainServices;
class TPreviewView;
struct TTidyFormat;

class TSkinFrame : public IDocumentEditor {
    Q_OBJECT
public:
    // Page indices of SkinPageControl.
    enum Page { kOptions = 0, kTemplate = 1, kPreview = 2, kStylesheet = 3, kErrors = 4 };

    explicit TSkinFrame(IMainServices& services, QWidget* parent = nullptr);
    ~TSkinFrame() override;

    DocumentKind Kind() const override { return DocumentKind::Skin; }
    void NewSkin(const std::string& htmlTemplatePath, const std::string& styleSheetPath) override;
    void LoadFromFile(const std::string& path) override;
    bool Save(bool saveAs, bool deferRefresh) override;
    bool CloseQuery(bool remember) override;
    void UpdateStatus() override;
    std::string FileName() const override { return skinFile_; }
    std::string SkinName() const override { return skinName_; }
    void CycleInnerPage(bool forward) override;
    void BuildSkin() override;
    // Asks for the layout, then converts the template source.
    void MakeXhtmlCompatible() override;
    // Converts the template source to XHTML in the editor, laid out as
    // format says; one step the user can undo.
    void ConvertTemplateToXhtml(const TTidyFormat& format);

    void SetModified(bool modified);
    bool IsModified() const { return modified_; }

    const std::string& SkinFolder() const { return skinFolder_; }
    const std::string& TemplateFile() const { return templateFile_; }
    const std::string& PreviewFile() const { return previewFile_; }

    // How the name for "save as" is asked (the save skin dialog by default);
    // nothing when the user cancelled.
    void SetNameAsker(std::function<std::optional<std::string>(const std::string&)> asker);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildOptionsPage(QWidget* page);
    void buildTemplatePage(QWidget* page);
    void pageChanged(int index);
    void showPreview();
    void optionsChanged();
    void browseTemplate();
    void templateTyped();
    bool askSaveTemplate();
    void loadTemplateEditor(const std::string& path);
    void saveTemplateEditor(const std::string& path);
    void showStylesheet(const std::string& text, const std::string& path);
    void showErrors(const std::string& text);
    void hideErrors();
    void writeSkinFile(const std::string& path);
    void deletePreviewFile();
    void editInExternalEditor();
    std::string previewDocumentName() const;
    std::string caption() const;

    IMainServices& services_;
    QTabWidget* pages_;
    QLineEdit* edtSkinName_;
    QLineEdit* edtAuthor_;
    QLineEdit* templateField_;
    QToolButton* templateBrowse_;
    QPlainTextEdit* comment_;
    QsciScintilla* templateSource_;
    std::string templateSourceFile_;
    TextCodec templateCodec_;
    TPreviewView* preview_;
    QsciScintilla* skinSource_;
    std::string skinSourceFile_;
    QPlainTextEdit* tidyErrors_;

    std::string skinName_ = "Untitled";
    std::string skinFolder_;
    std::string skinFile_;
    std::string templateFile_;
    std::string previewFile_;
    bool modified_ = false;
    bool filling_ = false;
    std::function<std::optional<std::string>(const std::string&)> askName_;
};

} // namespace wpe
