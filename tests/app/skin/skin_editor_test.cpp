// The real skin editor inside the main window, over a temporary portal: new
// skins, saves that move folders, builds, and the close question.

#include "shell/MainFormFixture.h"

#include "portal/ElementFile.h"
#include "shell/EditorFactory.h"
#include "skin/SkinFrame.h"
#include "tidy/Tidy.h"

#include <Qsci/qsciscintilla.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>

#include <cstdlib>

namespace wpe::test {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteText(const fs::path& p, const std::string& text)
{
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
}

const char* const kPage =
    "<html><head><title>t</title><link rel=\"stylesheet\" href=\"look.css\"></head>\n"
    "<body><div id=\"STARTPAGE_HEADER\"></div><div id=\"ZONE1\"></div>"
    "<img src=\"logo.png\"></body></html>\n";

class SkinEditorTest : public MainFormTest {
protected:
    void SetUp() override
    {
        MainFormTest::SetUp();
        // The build's temporary files have fixed names; parallel test
        // processes each get a temporary folder of their own.
        oldTmp_ = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
        fs::create_directories(root / "tmp");
        setenv("TMPDIR", (root / "tmp").c_str(), 1);
        const char* data = std::getenv("WPE_DATA_DIR");
        ASSERT_NE(data, nullptr) << "WPE_DATA_DIR names the data folder";
        fs::path dataDir(data);
        fs::copy_file(dataDir / "skin template.html", root / "prog" / "skin template.html");
        fs::copy_file(dataDir / "skin.css", root / "prog" / "skin.css");
        RealForm();  // before any helper of the base fixture makes one with test editors
    }
    void TearDown() override
    {
        MainFormTest::TearDown();
        if (oldTmp_.empty())
            unsetenv("TMPDIR");
        else
            setenv("TMPDIR", oldTmp_.c_str(), 1);
    }

    TMainForm& RealForm()
    {
        if (!form) {
            options = std::make_unique<TOptionsForm>(SettingsStore());
            TMainFormSetup s = MakeSetup();
            s.editors.skin = &CreateSkinEditor;
            s.options = options.get();
            form = std::make_unique<TMainForm>(std::move(s));
        }
        return *form;
    }

    TSkinFrame* Frame(int index) { return dynamic_cast<TSkinFrame*>(RealForm().Tabs().EditorAt(index)); }
    TSkinFrame* ActiveFrame() { return Frame(Pages()->currentIndex()); }

    // A new skin from the default template, answering "save as" with name.
    TSkinFrame* NewSkinSavedAs(const std::string& name)
    {
        RealForm().Tabs().NewSkin();
        TSkinFrame* f = ActiveFrame();
        EXPECT_NE(f, nullptr);
        f->SetNameAsker([name](const std::string&) { return std::optional<std::string>(name); });
        EXPECT_TRUE(f->Save(false, false));
        return f;
    }

    fs::path Skins() const { return root / "SKINS"; }

    std::string oldTmp_;
};

TEST_F(SkinEditorTest, NewSkinFillsTheUntitledFolderFromTheDefaults)
{
    RealForm().Tabs().NewSkin();
    TSkinFrame* f = ActiveFrame();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->SkinName(), "Untitled");
    const fs::path u = Skins() / "Untitled";
    EXPECT_TRUE(fs::exists(u / "untitled.cso"));
    EXPECT_TRUE(fs::exists(u / "skin template.html"));
    EXPECT_TRUE(fs::exists(u / "skin.css"));
    EXPECT_TRUE(fs::exists(u / "skin.xsl"));
    EXPECT_EQ(GetElementFromFile((u / "untitled.cso").string(), "htmltemplate"), "skin template.html");
    auto* source = f->findChild<QsciScintilla*>("SkinTemplateSource");
    EXPECT_FALSE(source->text().isEmpty());
    EXPECT_FALSE(f->IsModified());

    // A second "New Skin" reuses the open Untitled tab.
    int tabs = Pages()->count();
    RealForm().Tabs().NewSkin();
    EXPECT_EQ(Pages()->count(), tabs);
}

TEST_F(SkinEditorTest, SaveAsMovesTheWholeFolderAndRemovesUntitled)
{
    RealForm().Tabs().NewSkin();
    TSkinFrame* f = ActiveFrame();
    WriteText(Skins() / "Untitled" / "notes.txt", "mine");
    WriteText(Skins() / "Untitled" / "files" / "deep" / "x.svg", "<svg/>");
    f->SetNameAsker([](const std::string& proposed) {
        EXPECT_EQ(proposed, "Untitled");
        return std::optional<std::string>("Harbour");
    });
    ASSERT_TRUE(f->Save(false, false));

    const fs::path h = Skins() / "Harbour";
    EXPECT_FALSE(fs::exists(Skins() / "Untitled"));
    EXPECT_TRUE(fs::exists(h / "Harbour.cso"));
    EXPECT_EQ(GetElementFromFile((h / "Harbour.cso").string(), "name"), "Harbour");
    EXPECT_EQ(ReadText(h / "notes.txt"), "mine");
    EXPECT_EQ(ReadText(h / "files" / "deep" / "x.svg"), "<svg/>");
    EXPECT_EQ(f->SkinName(), "Harbour");
    EXPECT_EQ(f->TemplateFile(), (h / "skin template.html").string());
    EXPECT_EQ(Caption(Pages()->currentIndex()), "Harbour");
    int cso = 0;
    for (auto& e : fs::directory_iterator(h))
        cso += e.path().extension() == ".cso";
    EXPECT_EQ(cso, 1);
}

TEST_F(SkinEditorTest, RenameWithoutSaveAsMovesWithoutAsking)
{
    TSkinFrame* f = NewSkinSavedAs("Blue");
    f->SetNameAsker([](const std::string&) -> std::optional<std::string> {
        ADD_FAILURE() << "no name should be asked";
        return std::nullopt;
    });
    auto* name = f->findChild<QLineEdit*>("edtSkinName");
    name->setText("Red");
    emit name->textEdited("Red");
    EXPECT_TRUE(f->IsModified());
    ASSERT_TRUE(f->Save(false, false));
    EXPECT_FALSE(fs::exists(Skins() / "Blue"));
    EXPECT_TRUE(fs::exists(Skins() / "Red" / "Red.cso"));
    EXPECT_TRUE(fs::exists(Skins() / "Red" / "skin template.html"));
}

TEST_F(SkinEditorTest, OverwriteQuestionAnsweredBothWays)
{
    WriteText(Skins() / "Blue" / "Blue.cso", "<skin><name>Blue</name></skin>");
    WriteText(Skins() / "Blue" / "old.txt", "old");

    RealForm().Tabs().NewSkin();
    TSkinFrame* f = ActiveFrame();
    f->SetNameAsker([](const std::string&) { return std::optional<std::string>("Blue"); });
    dialogs.answers = {MsgResult::No};
    EXPECT_FALSE(f->Save(true, false));
    EXPECT_EQ(dialogs.shown.back().text, "Skin \"Blue\" already exists. Do you want to overwrite it?");
    EXPECT_TRUE(fs::exists(Skins() / "Blue" / "old.txt"));
    EXPECT_TRUE(fs::exists(Skins() / "Untitled" / "untitled.cso"));
    EXPECT_EQ(f->SkinName(), "Untitled");

    dialogs.answers = {MsgResult::Yes};
    ASSERT_TRUE(f->Save(true, false));
    EXPECT_FALSE(fs::exists(Skins() / "Blue" / "old.txt"));
    EXPECT_TRUE(fs::exists(Skins() / "Blue" / "Blue.cso"));
    EXPECT_FALSE(fs::exists(Skins() / "Untitled"));
}

TEST_F(SkinEditorTest, SkinOpenInAnotherTabIsNotOverwritten)
{
    TSkinFrame* blue = NewSkinSavedAs("Blue");
    ASSERT_NE(blue, nullptr);
    RealForm().Tabs().NewSkin();
    TSkinFrame* f = ActiveFrame();
    ASSERT_NE(f, blue);
    f->SetNameAsker([](const std::string&) { return std::optional<std::string>("blue"); });
    dialogs.answers = {MsgResult::Yes};
    EXPECT_FALSE(f->Save(true, false));
    EXPECT_EQ(dialogs.shown.back().text, "Skin \"blue\" is opened. Close it before saving");
    EXPECT_TRUE(fs::exists(Skins() / "Blue" / "Blue.cso"));
    EXPECT_TRUE(fs::exists(Skins() / "Untitled" / "untitled.cso"));
}

TEST_F(SkinEditorTest, NamesThatCannotBeFoldersAreRefusedBeforeAnythingMoves)
{
    RealForm().Tabs().NewSkin();
    TSkinFrame* f = ActiveFrame();
    for (const char* bad : {"a/b", "CON", "dot.", ""}) {
        f->SetNameAsker([bad](const std::string&) { return std::optional<std::string>(bad); });
        EXPECT_FALSE(f->Save(true, false)) << bad;
    }
    EXPECT_TRUE(fs::exists(Skins() / "Untitled" / "untitled.cso"));
    EXPECT_FALSE(fs::exists(Skins() / "a"));
    EXPECT_EQ(f->SkinName(), "Untitled");
}

TEST_F(SkinEditorTest, NonAsciiSkinNameWorks)
{
    TSkinFrame* f = NewSkinSavedAs("Гавань");
    EXPECT_TRUE(fs::exists(Skins() / "Гавань" / "Гавань.cso"));
    dialogs.answers = {};
    f->BuildSkin();
    EXPECT_TRUE(fs::exists(Skins() / "Гавань" / "Гавань.zip"));
}

TEST_F(SkinEditorTest, CloseWithSaveCancelledKeepsTheTabAndItsEdits)
{
    RealForm().Tabs().NewSkin();
    TSkinFrame* f = ActiveFrame();
    auto* source = f->findChild<QsciScintilla*>("SkinTemplateSource");
    source->append("<!-- edit -->");
    ASSERT_TRUE(f->IsModified());
    int tabs = Pages()->count();
    f->SetNameAsker([](const std::string&) { return std::nullopt; });
    dialogs.answers = {MsgResult::Yes};
    EXPECT_FALSE(RealForm().Tabs().CloseActiveTab(false));
    EXPECT_EQ(Pages()->count(), tabs);
    EXPECT_TRUE(f->IsModified());
    EXPECT_TRUE(source->text().contains("<!-- edit -->"));
    EXPECT_EQ(dialogs.shown.front().text, "Save changes to skin Untitled?");
}

TEST_F(SkinEditorTest, BuildWritesStylesheetAndPackageAndSaysSo)
{
    TSkinFrame* f = NewSkinSavedAs("Harbour");
    const fs::path h = Skins() / "Harbour";
    const std::string initial = ReadText(h / "skin.xsl");
    f->BuildSkin();
    EXPECT_NE(ReadText(h / "skin.xsl"), initial);
    EXPECT_NE(ReadText(h / "skin.xsl").find("ZONE"), std::string::npos);
    EXPECT_TRUE(fs::exists(h / "Harbour.zip"));
    EXPECT_EQ(RealForm().StatusBar().State().MessageText(), "Skin \"Harbour\" is generated!");
    EXPECT_FALSE(fs::exists(root / "tmp" / "we~skin-xhtml.tmp"));
    EXPECT_FALSE(fs::exists(root / "tmp" / "we~skin-xsl.tmp"));
    auto* pages = f->findChild<QTabWidget*>("SkinPageControl");
    EXPECT_FALSE(pages->isTabVisible(TSkinFrame::kErrors));
    EXPECT_FALSE(f->findChild<QsciScintilla*>("SkinSource")->text().isEmpty());
}

TEST_F(SkinEditorTest, BuildOfATemplateWithoutZonesWarnsAfterBuilding)
{
    TSkinFrame* f = NewSkinSavedAs("Plain");
    WriteText(Skins() / "Plain" / "skin template.html", "<html><body><p>Only text</p></body></html>");
    f->BuildSkin();
    ASSERT_FALSE(dialogs.shown.empty());
    EXPECT_EQ(dialogs.shown.back().kind, MsgKind::Warning);
    EXPECT_NE(dialogs.shown.back().text.find("no zone markers"), std::string::npos);
    EXPECT_TRUE(fs::exists(Skins() / "Plain" / "Plain.zip")) << "the build itself went through";
    const std::size_t before = dialogs.shown.size();
    NewSkinSavedAs("Zoned")->BuildSkin();
    EXPECT_EQ(dialogs.shown.size(), before) << "the default template has zones";
}

TEST_F(SkinEditorTest, BuildWithTidyErrorsShowsThemAndKeepsTheStylesheet)
{
    TSkinFrame* f = NewSkinSavedAs("Broken");
    const fs::path b = Skins() / "Broken";
    const std::string before = ReadText(b / "skin.xsl");
    WriteText(b / "skin template.html", "<html><body><blink2>x</blink2></body></html>");
    f->BuildSkin();
    EXPECT_EQ(dialogs.shown.back().text, "Errors occured during converting skin template to XHTML");
    auto* pages = f->findChild<QTabWidget*>("SkinPageControl");
    EXPECT_TRUE(pages->isTabVisible(TSkinFrame::kErrors));
    EXPECT_EQ(pages->currentIndex(), TSkinFrame::kErrors);
    EXPECT_NE(f->findChild<QPlainTextEdit*>("TidyErrors")->toPlainText().indexOf("Error:"), -1);
    EXPECT_EQ(ReadText(b / "skin.xsl"), before);
    EXPECT_FALSE(fs::exists(b / "Broken.zip"));
}

TEST_F(SkinEditorTest, LoadTakesTheNameFromTheFolderAndWarnsOfAMissingTemplate)
{
    WriteText(Skins() / "Blue" / "Blue.cso",
              "<?xml version=\"1.0\" encoding=\"WINDOWS-1251\" ?>\r\n<skin><name>Green</name><author>Ann</author>"
              "<comment>a\r\nb</comment><htmltemplate>gone.html</htmltemplate></skin>");
    RealForm().Tabs().OpenSkinDocument((Skins() / "Blue" / "Blue.cso").string());
    TSkinFrame* f = ActiveFrame();
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->SkinName(), "Blue");
    EXPECT_EQ(f->findChild<QLineEdit*>("edtAuthor")->text(), "Ann");
    EXPECT_EQ(f->findChild<QPlainTextEdit*>("SkinComment")->toPlainText(), "a\nb");
    EXPECT_EQ(dialogs.shown.back().text, "Skin template doesn't exists.");
    EXPECT_EQ(f->TemplateFile(), "");
    EXPECT_FALSE(f->IsModified());
}

TEST_F(SkinEditorTest, MalformedSkinFileOpensNoTabAndChangesNothing)
{
    const std::string text = "<skin><author>Ann</name></skin>";
    WriteText(Skins() / "Bad" / "Bad.cso", text);
    int tabs = Pages()->count();
    RealForm().Tabs().OpenSkinDocument((Skins() / "Bad" / "Bad.cso").string());
    EXPECT_EQ(Pages()->count(), tabs);
    ASSERT_FALSE(dialogs.shown.empty());
    EXPECT_NE(dialogs.shown.back().text.find("is not a well-formed skin file"), std::string::npos);
    EXPECT_EQ(ReadText(Skins() / "Bad" / "Bad.cso"), text);
}

TEST_F(SkinEditorTest, ImportDoesNotEmptyAnOpenUntitledSkin)
{
    RealForm().Tabs().NewSkin();
    WriteText(Skins() / "Untitled" / "keep.txt", "mine");
    WriteText(root / "design" / "page.html", kPage);
    dialogs.openFiles = {(root / "design" / "page.html").string()};
    RealForm().findChild<QAction*>("miImportSkin")->trigger();
    EXPECT_TRUE(fs::exists(Skins() / "Untitled" / "keep.txt"));
    EXPECT_FALSE(fs::exists(Skins() / "Untitled" / "page.html"));
}

TEST_F(SkinEditorTest, ImportCopiesTheTemplateAndItsFiles)
{
    WriteText(root / "design" / "page.html", kPage);
    WriteText(root / "design" / "look.css", "body{}");
    WriteText(root / "design" / "logo.png", "png");
    dialogs.openFiles = {(root / "design" / "page.html").string()};
    RealForm().findChild<QAction*>("miImportSkin")->trigger();
    TSkinFrame* f = ActiveFrame();
    ASSERT_NE(f, nullptr);
    const fs::path u = Skins() / "Untitled";
    EXPECT_EQ(ReadText(u / "skin.css"), "body{}");
    EXPECT_EQ(ReadText(u / "files" / "logo.png"), "png");
    EXPECT_EQ(f->TemplateFile(), (u / "page.html").string());
    EXPECT_NE(ReadText(u / "page.html").find("files/logo.png"), std::string::npos);
}

TEST_F(SkinEditorTest, XhtmlLayoutFollowsTheChosenOptions)
{
    RealForm().Tabs().NewSkin();
    TSkinFrame* f = ActiveFrame();
    auto* source = f->findChild<QsciScintilla*>("SkinTemplateSource");
    source->setText("<html><body><div><p>a</p></div></body></html>");
    f->ConvertTemplateToXhtml(TTidyFormat{1, 80, 5});
    const QString indented = "\n" + QString(10, ' ') + "<div>";
    EXPECT_TRUE(source->text().contains(indented)) << source->text().toStdString();
    f->ConvertTemplateToXhtml(TTidyFormat{0, 80, 5});
    EXPECT_FALSE(source->text().contains(" <div>")) << source->text().toStdString();
    EXPECT_TRUE(source->text().contains("<div>"));
    source->undo();
    EXPECT_TRUE(source->text().contains(indented)) << "the conversion is one undoable step";
}

TEST_F(SkinEditorTest, PreviewWritesTheUnsavedTextBesideTheTemplate)
{
    RealForm().Tabs().NewSkin();
    TSkinFrame* f = ActiveFrame();
    auto* source = f->findChild<QsciScintilla*>("SkinTemplateSource");
    source->setText("<html><body>unsaved</body></html>");
    f->findChild<QTabWidget*>("SkinPageControl")->setCurrentIndex(TSkinFrame::kPreview);
    const fs::path preview = Skins() / "Untitled" / "ts~skin template.html";
    EXPECT_EQ(f->PreviewFile(), preview.string());
    EXPECT_EQ(ReadText(preview), "<html><body>unsaved</body></html>");
    dialogs.answers = {MsgResult::No};
    ASSERT_TRUE(RealForm().Tabs().CloseActiveTab(false));
    EXPECT_FALSE(fs::exists(preview));
}

} // namespace
} // namespace wpe::test
