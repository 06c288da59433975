// The catalogue frame and the category picker driven through their real
// widgets, found by name, over a temporary storage folder.

#include "ScriptedDialogs.h"

#include "catalogue/CatFrame.h"
#include "catalogue/CatTreeModel.h"
#include "catalogue/CatTreeView.h"
#include "catalogue/CategoryForm.h"

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QDrag>
#include <QDragMoveEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace wpe::test {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class CatFrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = fs::path(dir.path().toStdString());
        fs::create_directories(root / "STORAGE");
        fs::create_directories(root / "prog");
    }

    std::string Part(const std::string& name, const std::string& title, std::vector<std::string> categories,
                     const std::string& language = "")
    {
        std::string s = "<?xml version=\"1.0\" encoding=\"WINDOWS-1251\" ?>\r\n<WebPart>\r\n";
        for (const auto& c : categories)
            s += "  <Category>" + c + "</Category>\r\n";
        if (!language.empty())
            s += "  <Language>" + language + "</Language>\r\n";
        s += "  <Title>" + title + "</Title>\r\n</WebPart>\r\n";
        const fs::path path = root / "STORAGE" / name;
        std::ofstream(path, std::ios::binary) << s;
        return path.string();
    }

    TCatFrame& Frame()
    {
        if (!frame) {
            frame = std::make_unique<TCatFrame>(TCatFrame::Mode::Main);
            frame->SetProgramDir((root / "prog").string() + "/");
            frame->LoadCatalogue((root / "STORAGE").string());
            frame->resize(320, 600);
            frame->show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
        }
        return *frame;
    }
    template <class T>
    T* Find(const char* name)
    {
        T* w = Frame().findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    TCatTreeView* Browse() { return Find<TCatTreeView>("BrowseTree"); }
    TCatTreeView* Edit() { return Find<TCatTreeView>("EditTree"); }
    void Tab(int index) { Find<QTabWidget>("PageControl")->setCurrentIndex(index); }

    // Texts of one level of a view ("*" marks web parts).
    static QStringList Level(QAbstractItemView* view, const QModelIndex& parent = {})
    {
        QStringList out;
        auto* m = qobject_cast<TCatTreeModel*>(view->model());
        for (int r = 0; r < m->rowCount(parent); ++r) {
            const QModelIndex i = m->index(r, 0, parent);
            out << (m->Node(i)->IsWebPart() ? "*" : "") + i.data().toString();
        }
        return out;
    }
    static QModelIndex Row(QAbstractItemView* view, const QString& text, const QModelIndex& parent = {})
    {
        QAbstractItemModel* m = view->model();
        for (int r = 0; r < m->rowCount(parent); ++r)
            if (m->index(r, 0, parent).data().toString() == text)
                return m->index(r, 0, parent);
        ADD_FAILURE() << "no row " << text.toStdString();
        return {};
    }
    static void Select(QAbstractItemView* view, const QModelIndex& index)
    {
        view->setCurrentIndex(index);
        view->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect);
    }
    // Presses on index and moves the mouse by delta with the left button held.
    static void DragFrom(TCatTreeView* view, const QModelIndex& index, QPoint delta, Qt::KeyboardModifiers mods)
    {
        view->scrollTo(index);
        const QPoint start = view->visualRect(index).center();
        QTest::mousePress(view->viewport(), Qt::LeftButton, Qt::NoModifier, start);
        QMouseEvent move(QEvent::MouseMove, QPointF(start + delta), view->viewport()->mapToGlobal(QPointF(start + delta)),
                         Qt::NoButton, Qt::LeftButton, mods);
        QApplication::sendEvent(view->viewport(), &move);
        QTest::mouseRelease(view->viewport(), Qt::LeftButton, Qt::NoModifier, start + delta);
    }
    // Whether the view accepts the drag's data hovering over index.
    static bool AcceptsAt(TCatTreeView* view, QDrag& drag, const QModelIndex& index)
    {
        const QPoint pos = index.isValid() ? view->visualRect(index).center() : QPoint(5, view->viewport()->height() - 3);
        QDragEnterEvent enter(pos, Qt::CopyAction | Qt::MoveAction, drag.mimeData(), Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &enter);
        QDragMoveEvent event(pos, Qt::CopyAction | Qt::MoveAction, drag.mimeData(), Qt::LeftButton, Qt::NoModifier);
        event.ignore();
        QApplication::sendEvent(view->viewport(), &event);
        return event.isAccepted();
    }

    QTemporaryDir dir;
    fs::path root;
    ScriptedDialogs dialogs;
    std::unique_ptr<TCatFrame> frame;
};

TEST_F(CatFrameTest, ThreeQuickKeysSearchOnceAndClearingShowsAll)
{
    Part("w.xml", "Weather", {"A"});
    Part("c.xml", "Clock", {"A"});
    Part("b.xml", "Bath", {});
    Tab(1);
    auto* list = Find<QListView>("WPListView");
    auto* edit = Find<QLineEdit>("edtSearch");
    ASSERT_EQ(list->model()->rowCount(), 3);
    QSignalSpy searches(list->model(), &QAbstractItemModel::modelReset);

    QTest::keyClicks(edit, "ath");
    EXPECT_EQ(searches.count(), 0);  // nothing before the delay
    EXPECT_EQ(Find<QLabel>("uiDescr2")->text(), "Search webparts for \"ath\" substring");
    QTest::qWait(700);
    EXPECT_EQ(searches.count(), 1);
    ASSERT_EQ(list->model()->rowCount(), 2);
    EXPECT_EQ(list->model()->index(0, 0).data().toString(), "Bath");
    EXPECT_EQ(list->model()->index(1, 0).data().toString(), "Weather");

    QTest::keyClicks(edit, "zz");
    QTest::qWait(700);
    EXPECT_EQ(list->model()->rowCount(), 0);
    EXPECT_FALSE(Find<QLabel>("lblNoItems")->isHidden());

    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::qWait(700);
    EXPECT_EQ(list->model()->rowCount(), 3);
    EXPECT_TRUE(Find<QLabel>("lblNoItems")->isHidden());
    EXPECT_EQ(Find<QLabel>("uiDescr2")->text(), "Enter a keyword in the search box");
}

TEST_F(CatFrameTest, TypeAheadFindsByTitlePrefixAndWraps)
{
    Part("a.xml", "Alpha", {});
    Part("b.xml", "Beta", {});
    Part("w1.xml", "Weather", {});
    Part("w2.xml", "Wind", {});
    Tab(1);
    auto* list = Find<QListView>("WPListView");
    list->setFocus();
    list->keyboardSearch("w");
    EXPECT_EQ(list->currentIndex().data().toString(), "Weather");
    list->keyboardSearch("i");  // typed quickly: "wi"
    EXPECT_EQ(list->currentIndex().data().toString(), "Wind");
    QTest::qWait(QApplication::keyboardInputInterval() + 100);
    list->keyboardSearch("a");  // a new search wraps to the top
    EXPECT_EQ(list->currentIndex().data().toString(), "Alpha");
    list->keyboardSearch("q");
    EXPECT_EQ(list->currentIndex().data().toString(), "Alpha");  // no match moves nothing
}

TEST_F(CatFrameTest, EachFilterChoiceStartsFromTheFullTree)
{
    Part("e.xml", "E", {"English"}, "en");
    Part("f.xml", "F", {"French"}, "fr");
    Part("r.xml", "R", {"Russian"}, "ru");
    auto* menu = Find<QMenu>("FilterMenu");
    auto choose = [&](const QString& caption) {
        for (QAction* a : menu->actions())
            if (a->text() == caption)
                a->trigger();
    };
    choose("English");
    EXPECT_EQ(Level(Browse()), QStringList{"English"});
    choose("French");
    EXPECT_EQ(Level(Browse()), QStringList{"French"});
    choose("All languages");
    EXPECT_EQ(Level(Browse()), (QStringList{"English", "French", "Russian"}));
    // Only one entry of each group is ticked.
    int ticked = 0;
    for (QAction* a : menu->actions())
        ticked += a->isChecked();
    EXPECT_EQ(ticked, 2);
}

TEST_F(CatFrameTest, DropsOnTheOwnCategoryAreRefused)
{
    Part("w.xml", "W", {"A"});
    Part("v.xml", "V", {"B"});
    TCatTreeView* view = Browse();
    const QModelIndex a = Row(view, "A");
    view->expand(a);
    const QModelIndex w = Row(view, "W", a);
    Select(view, w);
    bool ownCategory = true, otherCategory = false, emptySpace = false;
    int drags = 0;
    view->runDrag = [&](QDrag& drag) {
        ++drags;
        EXPECT_EQ(drag.mimeData()->data("application/x-wpe-item").toStdString(),
                  "BrowseTree\n" + (root / "STORAGE" / "w.xml").string());
        ownCategory = AcceptsAt(view, drag, Row(view, "A"));
        otherCategory = AcceptsAt(view, drag, Row(view, "B"));
        emptySpace = AcceptsAt(view, drag, {});
        return Qt::IgnoreAction;
    };
    DragFrom(view, w, {0, 3}, Qt::NoModifier);
    EXPECT_EQ(drags, 0);  // under the threshold
    DragFrom(view, w, {0, 8}, Qt::NoModifier);
    ASSERT_EQ(drags, 1);
    EXPECT_FALSE(ownCategory);
    EXPECT_TRUE(otherCategory);
    EXPECT_TRUE(emptySpace);
}

TEST_F(CatFrameTest, CtrlDragOfATopLevelPartDoesNotStart)
{
    Part("t.xml", "Top", {});
    Part("w.xml", "W", {"A"});
    TCatTreeView* view = Browse();
    int drags = 0;
    view->runDrag = [&](QDrag&) {
        ++drags;
        return Qt::IgnoreAction;
    };
    const QModelIndex top = Row(view, "Top");
    Select(view, top);
    DragFrom(view, top, {0, 12}, Qt::ControlModifier);
    EXPECT_EQ(drags, 0);
    DragFrom(view, top, {0, 12}, Qt::NoModifier);
    EXPECT_EQ(drags, 1);
}

TEST_F(CatFrameTest, DeleteAnsweredNoKeepsTheNode)
{
    Part("w.xml", "W", {"News"});
    Tab(2);
    TCatTreeView* edit = Edit();
    Select(edit, Row(edit, "News"));
    dialogs.answers = {MsgResult::No};
    QTest::keyClick(edit, Qt::Key_Delete);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "Delete node <News>");
    EXPECT_EQ(Level(edit), QStringList{"News"});
    EXPECT_FALSE(Find<QPushButton>("btnOKEdit")->isEnabled());
}

TEST_F(CatFrameTest, CtrlRightOnAFirstChildOnlyEnablesApply)
{
    Part("w.xml", "W", {"A/B", "A/C"});
    Tab(2);
    TCatTreeView* edit = Edit();
    const QModelIndex a = Row(edit, "A");
    edit->expand(a);
    Select(edit, Row(edit, "B", a));
    QTest::keyClick(edit, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(Level(edit, Row(edit, "A")), (QStringList{"B", "C"}));
    EXPECT_TRUE(Find<QPushButton>("btnOKEdit")->isEnabled());
}

TEST_F(CatFrameTest, LeavingCategoriesWithNoRestoresTheBrowseTree)
{
    Part("w.xml", "W", {"News"});
    Tab(2);
    TCatTreeView* edit = Edit();
    edit->model()->setData(Row(edit, "News"), "World");
    EXPECT_EQ(Level(edit), QStringList{"World"});
    dialogs.answers = {MsgResult::No};
    Tab(0);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "Save changes to categories tree?");
    EXPECT_EQ(Level(Browse()), QStringList{"News"});
    EXPECT_NE(Slurp(root / "STORAGE" / "w.xml").find("<Category>News</Category>"), std::string::npos);
    // Coming back shows the tree as it was, with nothing to apply.
    Tab(2);
    EXPECT_EQ(Level(Edit()), QStringList{"News"});
    EXPECT_FALSE(Find<QPushButton>("btnOKEdit")->isEnabled());
}

TEST_F(CatFrameTest, AddWithNothingSelectedNamesInTurn)
{
    Part("w.xml", "W", {"News"});
    Tab(2);
    TCatTreeView* edit = Edit();
    auto* add = Find<QToolButton>("btnAdd");
    edit->SelectNode(nullptr);
    add->click();
    QApplication::processEvents();
    edit->SelectNode(nullptr);
    add->click();
    EXPECT_EQ(Level(edit), (QStringList{"News", "NewCategory_0", "NewCategory_1"}));
    EXPECT_TRUE(Find<QPushButton>("btnOKEdit")->isEnabled());
}

TEST_F(CatFrameTest, ApplyWritesBackAndSavesTheCategoryFile)
{
    const std::string file = Part("w.xml", "W", {"news/local"});
    Tab(2);
    TCatTreeView* edit = Edit();
    edit->model()->setData(Row(edit, "news"), "World");
    Find<QPushButton>("btnOKEdit")->click();
    EXPECT_NE(Slurp(file).find("<Category>World/local</Category>"), std::string::npos) << Slurp(file);
    EXPECT_NE(Slurp(root / "prog" / "category.xml").find("<outline text=\"World\">"), std::string::npos);
    EXPECT_FALSE(Find<QPushButton>("btnOKEdit")->isEnabled());
    Tab(0);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(Level(Browse()), QStringList{"World"});
}

TEST_F(CatFrameTest, PickerOkStateLastPathAndMove)
{
    const std::string file = Part("w.xml", "W", {"News"});
    Part("s.xml", "S", {"Sport"});
    TCatTreeView* view = Browse();
    const QModelIndex news = Row(view, "News");
    view->expand(news);
    Select(view, Row(view, "W", news));
    ASSERT_TRUE(Find<QToolButton>("btnSelectCategory")->isEnabled());

    TCategoryForm form(Frame());
    form.show();
    TCatTreeView* picker = form.Picker().BrowseTree();
    auto* ok = form.Picker().findChild<QPushButton*>("btnOK");
    ASSERT_TRUE(ok && ok->isVisible());
    EXPECT_EQ(Level(picker), (QStringList{"News", "Sport"}));  // categories only
    EXPECT_TRUE(ok->isEnabled());  // nothing selected yet
    Select(picker, Row(picker, "News"));
    EXPECT_FALSE(ok->isEnabled());
    Select(picker, Row(picker, "Sport"));
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_EQ(form.Picker().Description()->text(), "Sport category");
    ok->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.LastPath(), "Sport");
    EXPECT_NE(Slurp(file).find("<Category>Sport</Category>"), std::string::npos);
    EXPECT_EQ(Slurp(file).find("News"), std::string::npos);
    EXPECT_EQ(Level(view, Row(view, "Sport")), (QStringList{"*S", "*W"}));

    // Shown again, the last chosen category is selected.
    form.show();
    const TCatNode* selected = form.Picker().SelectedBrowseNode();
    ASSERT_NE(selected, nullptr);
    EXPECT_EQ(selected->Text(), "Sport");
    form.Picker().findChild<QPushButton*>("btnCancel")->click();
    EXPECT_FALSE(form.isVisible());
}

} // namespace
} // namespace wpe::test
