#pragma once
// The web part editor inside a document tab: the part as named fields on the
// Basic and View Style pages, as XML text in the source view and as a
// rendered preview. Fields and source text are kept in step through the web
// part document; saving writes the source text, copies linked local files
// into the part's folder, packs the archive and stores the part's comment.

#include "catalogue/CategoryChanges.h"
#include "shell/DocumentEditor.h"
#include "webpart/CodeEditors.h"
#include "webpart/Fields.h"
#include "webpart/TextCodec.h"

#include <functional>
#include <map>
#include <optional>
#include <memory>
#include <string>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QLabel;
class QListWidget;
class QTabWidget;
class QWebEngineView;
class QsciScintilla;

namespace wpe {

class IMainServices;
class TPartStorageEditor;
class TWebPart;
struct TWPData;

class TNewTab : public IDocumentEditor, public IFieldSource, public IOpenWebPart {
    Q_OBJECT
public:
    // Page indices of PageControl.
    enum Page { kBasic = 0, kViewStyle = 1, kEdit = 2, kPreview = 3 };

    // Creates the fields and the part document; a missing template throws.
    TNewTab(IMainServices& services, QWidget* parent = nullptr);
    ~TNewTab() override;

    DocumentKind Kind() const override { return DocumentKind::WebPart; }
    void NewPart() override;
    void NewFromRss(const std::string& feedText, const std::string& url) override;
    void LoadFromFile(const std::string& path) override;
    bool Save(bool saveAs, bool deferRefresh) override;
    bool CloseQuery(bool remember) override;
    void UpdateStatus() override;
    std::string FileName() const override { return fileName_; }
    void CycleInnerPage(bool forward) override;

    // The editor field of that component name, or nullptr.
    IField* FindField(const std::string& name) override;

    void SetModified(bool modified) override;
    bool IsModified() const;
    // The category list the catalogue's write-back changes while the part is open.
    ICategoryListField& CategoryList() override;

    // A field's value changed: bold label, modified, and the tag is written
    // from now on. Ignored while the document fills the fields.
    void ControlChange(const QString& fieldName);

    // The smaller commands.
    void ViewInBrowser(const QString& fieldName);
    void UseRssSettings();
    void SetCacheTimeout(int seconds);
    void EditCategory();
    void RunMacro(Macro macro);
    void SourceGutterClicked(int line);

    // The category path the "Edit" command shows.
    std::string CategoryEditPath();
    // The rendered HTML of the last preview (what the preview was given).
    const QString& PreviewHtml() const { return previewHtml_; }
    // Replaces the XSLT generator used for the preview (xml, xsl -> html;
    // what the engine warned of goes to the third argument when given).
    using Generator = std::function<std::string(const std::string&, const std::string&, std::string*)>;
    void SetGenerator(Generator generator);
    void SetGenerator(std::function<std::string(const std::string&, const std::string&)> generator);
    // Replaces how web addresses are opened (the system browser by default).
    void SetUrlOpener(std::function<void(const QString&)> opener) { openUrl_ = std::move(opener); }

    TWebPart& Part() { return *part_; }
    QTabWidget* PageControl() const { return pages_; }
    QsciScintilla* Memo() const { return memo_; }
    const TextCodec& Codec() const { return codec_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildBasicPage(QWidget* page);
    void buildViewStylePage(QWidget* page);
    void buildEditPage(QWidget* page);
    void buildPreviewPage(QWidget* page);
    QLineEdit* addTextField(QGridLayout* grid, int row, int column, const QString& name, const QString& caption,
                            const QString& initial);
    QComboBox* addChoiceField(QGridLayout* grid, int row, int column, const QString& name, const QString& caption,
                              const QStringList& items, bool editable);
    QsciScintilla* addCodeField(const QString& name, Highlighting highlighting, QWidget* parent);
    QCheckBox* addCheckField(const QString& name, const QString& caption, bool on, QWidget* parent);
    QWidget* macroButton(const QString& name);
    void watchCodeEditor(QsciScintilla* editor);

    void runCommand(const std::function<void()>& command);
    enum class SaveOutcome { Saved, Refused, Cancelled, Failed };
    SaveOutcome trySave(bool saveAs, bool deferRefresh);

    void onPageChanged(int index);
    bool parseSource();
    bool loadSourceIntoFields(const std::string& bytes);
    void setSourceText(const QString& text);
    void showSourceFromFields();
    void renderPreview();
    void showParseError(const std::exception& e);
    bool validate();
    void stampLastModified();
    void applyMasterPartLink(const std::string& chosenPath, bool saveAs);
    void writeSource(const std::string& path);
    void afterSave(bool deferRefresh);
    void copyLinkedFiles();
    QsciScintilla* visibleCodeEditor() const;
    // A text, code or choice field's text by name; other fields are an error.
    QString text(const QString& fieldName);
    void setText(const QString& fieldName, const QString& value);

    IMainServices& services_;
    TextCodec codec_;
    std::map<std::string, std::unique_ptr<IField>> fields_;
    std::unique_ptr<TWebPart> part_;
    std::string fileName_;
    bool modified_ = false;
    TWPData* entry_ = nullptr;
    int currentPage_ = kBasic;
    bool switchingPage_ = false;
    QString previewHtml_;
    Generator generator_;
    std::function<void(const QString&)> openUrl_;

    QTabWidget* pages_ = nullptr;
    QTabWidget* contentPages_ = nullptr;
    QTabWidget* viewStylePages_ = nullptr;
    QsciScintilla* memo_ = nullptr;
    QsciScintilla* psValue_ = nullptr;
    TPartStorageEditor* partStorage_ = nullptr;
    QListWidget* categories_ = nullptr;
    QWebEngineView* preview_ = nullptr;
};

} // namespace wpe
