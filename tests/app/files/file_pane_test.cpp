#include "shell/MainFormFixture.h"

#include "files/BMForm.h"
#include "files/FileListModel.h"
#include "files/FilePane.h"
#include "shell/CommandTable.h"
#include "shell/DragItem.h"
#include "shell/LastOpenedFiles.h"
#include "shell/Options.h"

#include <QAction>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTreeView>

namespace wpe::test {
namespace {

class FilePaneTest : public MainFormTest {
protected:
    // A web part with a description, in STORAGE (or another folder of root).
    std::string Part(const std::string& name, const std::string& description, std::size_t padding = 0,
                     const std::string& folder = "STORAGE")
    {
        std::filesystem::create_directories(root / folder);
        auto path = root / folder / name;
        std::ofstream(path, std::ios::binary) << "<?xml version=\"1.0\" encoding=\"WINDOWS-1251\"?>\r\n<WebPart>"
                                              << std::string(padding, ' ') << "<Description>" << description
                                              << "</Description></WebPart>";
        return path.string();
    }
    TFilePane& Pane() { return Form().FilePane(); }
    std::vector<std::string> Names()
    {
        std::vector<std::string> names;
        for (const auto& r : Pane().ListModel()->Rows())
            names.push_back(r.name);
        return names;
    }
    QAction* Action(const char* name) { return Pane().findChild<QAction*>(name); }
    void Restart()
    {
        Form().show();
        ASSERT_TRUE(Form().close());
        form.reset();
        options.reset();
    }
    void Select(int row)
    {
        QTreeView* list = Pane().FileList();
        list->setCurrentIndex(list->model()->index(row, 0));
    }
};

TEST_F(FilePaneTest, StorageIsShownAtFirstStartWithTitlesAndSizes)
{
    Part("news.xml", "Today &amp; tomorrow", 2100);
    Part("clock.dwp", "\xD7\xE0\xF1\xFB");  // Windows-1251
    Skin("blue", "blue.cso");
    PlainFile("STORAGE/readme.txt", "x");
    Form();
    EXPECT_EQ(Pane().CurrentFolder(), (root / "STORAGE").string());
    EXPECT_EQ(Names(), (std::vector<std::string>{"clock.dwp", "news.xml"}));
    QAbstractItemModel* m = Pane().FileList()->model();
    EXPECT_EQ(m->data(m->index(0, 1)).toString(), QString::fromUtf8("\xD0\xA7\xD0\xB0\xD1\x81\xD1\x8B"))
        << "the title is decoded from the file's encoding";
    EXPECT_EQ(m->data(m->index(1, 1)).toString(), "Today & tomorrow");
    EXPECT_EQ(m->data(m->index(1, 2)).toString(), "2 KB");
    EXPECT_EQ(m->headerData(0, Qt::Horizontal).toString(), "Name");
    EXPECT_FALSE(m->data(m->index(0, 0), Qt::DecorationRole).value<QIcon>().isNull());

    Pane().ChooseFilter(TFileFilter::AllFiles);
    EXPECT_EQ(Names(), (std::vector<std::string>{"clock.dwp", "news.xml", "readme.txt"}));
    Pane().ShowFolder((root / "SKINS" / "blue").string());
    EXPECT_EQ(Names(), (std::vector<std::string>{"blue.cso"}));
    EXPECT_FALSE(Pane().ShowFolder((root / "missing").string())) << "a missing folder is ignored";
    EXPECT_EQ(Pane().CurrentFolder(), (root / "SKINS" / "blue").string());

    // Choosing a folder in the tree fills the list; F5 reads it again.
    auto* tree = Pane().FolderTree();
    auto* treeModel = static_cast<QFileSystemModel*>(tree->model());
    tree->setCurrentIndex(treeModel->index(QString::fromStdString((root / "STORAGE").string())));
    EXPECT_EQ(Pane().CurrentFolder(), (root / "STORAGE").string());
    EXPECT_EQ(Names(), (std::vector<std::string>{"clock.dwp", "news.xml", "readme.txt"}));
    Part("added.xml", "new");
    Action("miRefresh")->trigger();
    EXPECT_EQ(Names(), (std::vector<std::string>{"added.xml", "clock.dwp", "news.xml", "readme.txt"}));
    EXPECT_EQ(Action("miRefresh")->shortcut(), QKeySequence(Qt::Key_F5));
}

TEST_F(FilePaneTest, FilterAndColumnChecksAreKeptBetweenRuns)
{
    Part("news.xml", "N");
    Skin("blue", "blue.cso");
    Form();
    EXPECT_TRUE(Action("miAllTolvinex")->isChecked()) << "the default filter";
    Action("miSkins")->trigger();
    EXPECT_EQ(Pane().Masks(), (std::vector<std::string>{"*.cso"}));
    Action("miDocumentTitle")->trigger();
    EXPECT_TRUE(Pane().FileList()->isColumnHidden(1));
    EXPECT_FALSE(Pane().FileList()->isColumnHidden(2));
    Restart();

    Form();
    EXPECT_TRUE(Action("miSkins")->isChecked());
    EXPECT_FALSE(Action("miAllTolvinex")->isChecked());
    EXPECT_EQ(Pane().Masks(), (std::vector<std::string>{"*.cso"}));
    EXPECT_FALSE(Action("miDocumentTitle")->isChecked());
    EXPECT_TRUE(Action("miDocumentSize")->isChecked());
    EXPECT_TRUE(Pane().FileList()->isColumnHidden(1)) << "the column follows its restored check";
    Action("miDocumentTitle")->trigger();
    EXPECT_FALSE(Pane().FileList()->isColumnHidden(1));
}

TEST_F(FilePaneTest, HeaderClicksSortAndShowTheDirection)
{
    Part("b.xml", "beta", 10 * 1024);
    Part("a.xml", "Gamma", 9 * 1024);
    Part("C.xml", "alpha", 100 * 1024);
    Form();
    EXPECT_EQ(Names(), (std::vector<std::string>{"a.xml", "b.xml", "C.xml"}));
    QHeaderView* header = Pane().FileList()->header();
    header->sectionClicked(0);
    EXPECT_EQ(Names(), (std::vector<std::string>{"C.xml", "b.xml", "a.xml"}));
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    header->sectionClicked(2);
    EXPECT_EQ(Names(), (std::vector<std::string>{"a.xml", "b.xml", "C.xml"})) << "9 KB, 10 KB, 100 KB";
    EXPECT_EQ(header->sortIndicatorSection(), 2);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
    header->sectionClicked(1);
    EXPECT_EQ(Names(), (std::vector<std::string>{"C.xml", "b.xml", "a.xml"}));
    Pane().Refresh();
    EXPECT_EQ(Names(), (std::vector<std::string>{"C.xml", "b.xml", "a.xml"})) << "a refill keeps the sort";
}

TEST_F(FilePaneTest, EditAndDoubleClickOpenThroughTheDispatch)
{
    std::string part = Part("news.xml", "N");
    PlainFile("STORAGE/readme.txt", "x");
    Form();
    Action("miEdit")->trigger();
    EXPECT_EQ(Pages()->count(), 1) << "nothing selected: nothing happens";
    Select(0);
    Action("miEdit")->trigger();
    ASSERT_EQ(Pages()->count(), 2);
    EXPECT_EQ(EditorAt(1)->FileName(), part);

    Pane().ChooseFilter(TFileFilter::AllFiles);
    Select(1);
    ASSERT_EQ(Pane().SelectedPath(), (root / "STORAGE" / "readme.txt").string());
    emit Pane().FileList()->doubleClicked(Pane().FileList()->currentIndex());
    EXPECT_EQ(Pages()->count(), 2) << "a file of another type is not opened";
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(FilePaneTest, DraggedRowsCarryTheSharedPayload)
{
    std::string part = Part("news.xml", "N");
    Form();
    QAbstractItemModel* m = Pane().FileList()->model();
    std::unique_ptr<QMimeData> mime(m->mimeData({m->index(0, 1)}));
    ASSERT_TRUE(mime);
    ASSERT_TRUE(mime->hasFormat(kDragItemMimeType));
    auto drag = DecodeDragItem(mime->data(kDragItemMimeType).toStdString());
    ASSERT_TRUE(drag);
    EXPECT_EQ(drag->source, "FileList");
    EXPECT_EQ(drag->item, part);
    EXPECT_TRUE(Pane().FileList()->dragEnabled());
    EXPECT_TRUE(m->flags(m->index(0, 0)) & Qt::ItemIsDragEnabled);
}

TEST_F(FilePaneTest, LastFolderIsShownAtStartAndWrittenAtExit)
{
    Part("x.xml", "X", 0, "elsewhere");
    WriteSetting(kLastDirValue, (root / "elsewhere").string() + "/");
    Form();
    EXPECT_EQ(Pane().CurrentFolder(), (root / "elsewhere").string());
    EXPECT_EQ(Names(), (std::vector<std::string>{"x.xml"}));
    Pane().ShowFolder((root / "SKINS").string());
    Restart();
    EXPECT_EQ(ReadSetting(kLastDirValue), (root / "SKINS").string() + "/");

    WriteSetting(kLastDirValue, (root / "gone").string() + "/");
    Form();
    EXPECT_EQ(Pane().CurrentFolder(), (root / "STORAGE").string()) << "a vanished last folder falls back to STORAGE";
}

TEST_F(FilePaneTest, FavouritesMenusAndTheirFolders)
{
    Form();
    QMenu* listFavourites = Pane().findChild<QMenu*>("miFavoriteFolders");
    EXPECT_FALSE(listFavourites->isEnabled()) << "disabled while there are none";

    Pane().ShowFolder((root / "SKINS").string());
    Action("miAddFavorite")->trigger();
    Pane().ShowFolder((root / "PORTAL").string());
    Action("miAddFavorite2")->trigger();
    EXPECT_EQ(Pane().Favourites().Items(),
              (std::vector<std::string>{(root / "PORTAL").string(), (root / "SKINS").string()}));
    EXPECT_TRUE(listFavourites->isEnabled());
    ASSERT_EQ(listFavourites->actions().size(), 2);
    QMenu* buttonFavourites = Pane().findChild<QMenu*>("miFavFolders");
    ASSERT_EQ(buttonFavourites->actions().size(), 2) << "the button's menu mirrors the list";
    EXPECT_EQ(Pane().FavouritesDialog().List()->count(), 2);

    buttonFavourites->actions().at(1)->trigger();
    EXPECT_EQ(Pane().CurrentFolder(), (root / "SKINS").string());
    Action("miStorageDir")->trigger();
    EXPECT_EQ(Pane().CurrentFolder(), (root / "STORAGE").string());
    Action("miPortalDir")->trigger();
    EXPECT_EQ(Pane().CurrentFolder(), (root / "PORTAL").string());

    Pane().SetFavourites({"None"});
    ASSERT_EQ(listFavourites->actions().size(), 1);
    listFavourites->actions().at(0)->trigger();
    EXPECT_EQ(Pane().CurrentFolder(), (root / "PORTAL").string()) << "None does nothing";
    Restart();
    Form();
    EXPECT_EQ(Pane().Favourites().Items(), (std::vector<std::string>{"None"})) << "kept between runs";
    Pane().ShowFolder((root / "SKINS").string());
    Pane().AddCurrentFolderToFavourites();
    EXPECT_EQ(Pane().Favourites().Items(), (std::vector<std::string>{(root / "SKINS").string()}))
        << "the current folder replaces None";
}

TEST_F(FilePaneTest, FavouritesDialogRules)
{
    Form();
    Pane().SetFavourites({"/srv/a", "/srv/b", "/srv/c"});
    TBMForm& dialog = Pane().FavouritesDialog();
    QListWidget* list = dialog.List();
    auto* remove = dialog.findChild<QPushButton*>("btnRemove");
    auto* edit = dialog.findChild<QPushButton*>("btnEdit");
    dialog.show();
    ASSERT_EQ(list->count(), 3);
    EXPECT_FALSE(remove->isEnabled());
    EXPECT_FALSE(edit->isEnabled());

    list->setCurrentRow(1);
    EXPECT_TRUE(remove->isEnabled());
    EXPECT_TRUE(edit->isEnabled());
    remove->click();
    EXPECT_EQ(Pane().Favourites().Items(), (std::vector<std::string>{"/srv/a", "/srv/c"}));
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->currentRow(), 1) << "the row now at that position is selected";
    EXPECT_EQ(list->currentItem()->text(), "/srv/c");

    list->currentItem()->setText("/srv/renamed");
    QApplication::processEvents();
    EXPECT_EQ(Pane().Favourites().Items(), (std::vector<std::string>{"/srv/renamed", "/srv/a"}))
        << "an edited row stores its new text";
    EXPECT_EQ(list->item(0)->text(), "/srv/renamed");

    dialogs.folders.push_back(std::string("/srv/added"));
    dialog.findChild<QPushButton*>("btnAdd")->click();
    ASSERT_FALSE(dialogs.folderRequests.empty());
    EXPECT_EQ(dialogs.folderRequests.back().first, "Select directory to add :");
    EXPECT_EQ(list->item(0)->text(), "/srv/added");
    dialog.findChild<QPushButton*>("btnAdd")->click();  // cancelled
    EXPECT_EQ(list->count(), 3);

    for (int i = 0; i < 3; ++i) {
        list->setCurrentRow(0);
        remove->click();
    }
    EXPECT_EQ(list->count(), 0);
    EXPECT_FALSE(remove->isEnabled());
    dialog.findChild<QPushButton*>("btnClose")->click();
    EXPECT_EQ(Pane().Favourites().Items(), (std::vector<std::string>{"None"}));
    EXPECT_EQ(list->count(), 0) << "None has no row";
}

TEST_F(FilePaneTest, FileDialogsStartInStorageThenInTheFolderUsed)
{
    Form();
    Form().Commands().miOpen->trigger();
    ASSERT_EQ(dialogs.openRequests.size(), 1u);
    EXPECT_EQ(dialogs.openRequests[0].initialDir, (root / "STORAGE").string() + "/");
    std::string part = Part("news.xml", "N", 0, "work");
    dialogs.openFiles.push_back(part);
    Form().Commands().miOpen->trigger();
    Form().Commands().miOpen->trigger();
    EXPECT_EQ(dialogs.openRequests[2].initialDir, (root / "work").string() + "/");
}

} // namespace
} // namespace wpe::test
