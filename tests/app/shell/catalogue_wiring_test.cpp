// The catalogue frame inside the main window: filled at start-up, the
// editors' catalogue calls, category changes reaching open web part tabs,
// and the category file written at exit.

#include "MainFormFixture.h"

#include "catalogue/CatFrame.h"
#include "catalogue/CatTreeView.h"
#include "shell/CatalogueHook.h"
#include "shell/CatalogueSelection.h"
#include "shell/EditorFactory.h"
#include "webpart/NewTabFrame.h"

#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <sstream>

namespace wpe::test {
namespace {

// A template with the tags the tests' parts use and nothing required.
const char* kTemplate =
    "<?xml version=\"1.0\" encoding=\"WINDOWS-1251\" ?>\r\n<WebPart>\r\n"
    "<Section id=\"General\"><Title></Title><Description></Description><Category></Category>"
    "<Language>en</Language><LastModified></LastModified><Zone></Zone></Section>\r\n</WebPart>\r\n";

class CatalogueWiring : public MainFormTest {
protected:
    std::string Part(const std::string& name, const std::string& title, const std::string& category,
                     const std::string& zone = "")
    {
        return PlainFile("STORAGE/" + name, "<?xml version=\"1.0\" encoding=\"WINDOWS-1251\" ?>\r\n<WebPart>\r\n"
                                            "  <Category>" + category + "</Category>\r\n  <Title>" + title +
                                                "</Title>\r\n  <Zone>" + zone + "</Zone>\r\n</WebPart>\r\n");
    }
    std::string Slurp(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // The main window with the real web part editor.
    TMainForm& RealForm()
    {
        std::ofstream(root / "prog" / "webpart template.xml", std::ios::binary) << kTemplate;
        if (!form) {
            options = std::make_unique<TOptionsForm>(SettingsStore());
            TMainFormSetup s = MakeSetup();
            s.editors.webPart = CreateWebPartEditor;
            s.options = options.get();
            form = std::make_unique<TMainForm>(std::move(s));
        }
        return *form;
    }
};

TEST_F(CatalogueWiring, StartUpFillsTheCategoriesTab)
{
    const std::string file = Part("w.xml", "Weather", "News", "4");
    TCatFrame* frame = Form().CatalogueFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->parentWidget()->objectName(), "tabCategories");
    EXPECT_EQ(Form().findChild<QWidget*>("tabCategoriesNote"), nullptr);
    EXPECT_EQ(Form().Catalogue().FindEntry(file), frame->FindEntry(file));
    ASSERT_NE(frame->FindEntry(file), nullptr);

    // The editor's "Edit" path selects the part's node in the browse tree.
    ASSERT_TRUE(Form().Catalogue().FindCategoryNode("News/Weather"));
    Form().Catalogue().ShowEntry(file);
    ASSERT_NE(frame->SelectedBrowseNode(), nullptr);
    EXPECT_EQ(frame->SelectedBrowseNode()->Text(), "Weather");
    auto selection = Form().CatalogueSelection()->SelectedPart();
    ASSERT_TRUE(selection.has_value());
    EXPECT_EQ(selection->filePath, file);
    EXPECT_EQ(selection->zone, "4");

    // Both buttons run the command the zone designer sets.
    int adds = 0;
    Form().CatalogueSelection()->addToStartPage = [&] { ++adds; };
    frame->findChild<QPushButton*>("AddBtn")->click();
    EXPECT_EQ(adds, 1);
}

TEST_F(CatalogueWiring, ApplyChangesAnOpenTabsListNotItsFile)
{
    const std::string file = Part("w.xml", "Weather", "News");
    TMainForm& form = RealForm();
    form.OpenWebPartDocument(file);
    auto* editor = dynamic_cast<TNewTab*>(form.Tabs().ActiveEditor());
    ASSERT_NE(editor, nullptr);
    auto* list = editor->findChild<QListWidget*>("Category");
    ASSERT_EQ(list->count(), 1);
    ASSERT_FALSE(editor->IsModified());
    const std::string before = Slurp(file);

    TCatFrame* frame = form.CatalogueFrame();
    frame->ShowTab(TCatTab::Categories);
    TCatTreeView* edit = frame->EditTree();
    edit->model()->setData(edit->model()->index(0, 0), "World");
    frame->findChild<QPushButton*>("btnOKEdit")->click();

    EXPECT_EQ(Slurp(file), before);
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), "World");
    EXPECT_TRUE(editor->IsModified());
    EXPECT_NE(Slurp((root / "prog" / "category.xml").string()).find("\"World\""), std::string::npos);
}

TEST_F(CatalogueWiring, ExitSavesTheCategoryTree)
{
    Part("w.xml", "Weather", "News/Local");
    Form().close();
    const std::string written = Slurp((root / "prog" / "category.xml").string());
    EXPECT_NE(written.find("<outline text=\"News\">"), std::string::npos) << written;
    EXPECT_NE(written.find("  <outline text=\"Local\"/>"), std::string::npos) << written;
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(CatalogueWiring, BrokenCategoryFileIsReportedOnceAndTheTreeComesFromTheParts)
{
    Part("w.xml", "Weather", "News");
    PlainFile("prog/category.xml", "<opml><body><outline text=\"A\"></body>");
    TCatFrame* frame = Form().CatalogueFrame();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text.rfind("Error while loading", 0), 0u) << dialogs.shown[0].text;
    ASSERT_EQ(frame->Catalogue().BrowseTree().Count(), 1u);
    EXPECT_EQ(frame->Catalogue().BrowseTree().Child(nullptr, 0)->Text(), "News");
}

} // namespace
} // namespace wpe::test
