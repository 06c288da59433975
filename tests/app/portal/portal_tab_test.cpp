// The Portal tab driven through its widgets: zone lists, drops, the desk
// source, skins and profiles, and the history page.

#include "portal/PortalTabFixture.h"

#include "shell/CatalogueSelection.h"
#include "shell/CommandTable.h"
#include "shell/DragItem.h"
#include "shell/MainStatusBar.h"

#include <gmock/gmock.h>

#include <QAction>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QTabWidget>
#include <QWebEngineView>
#include <Qsci/qsciscintilla.h>

using namespace wpe;
using namespace wpe::test;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

namespace {

void Click(QWidget* parent, const char* name)
{
    auto* button = parent->findChild<QPushButton*>(name);
    ASSERT_NE(button, nullptr) << name;
    button->click();
}

void PressKey(QWidget* widget, Qt::Key key)
{
    QTest::keyClick(widget, key);
}

// Hands drag events to a list's viewport as a real drag would. Qt's own
// delivery of synthetic drag events needs a drag in progress, which an
// offscreen test cannot start, so they go straight to the view.
struct ViewAccess : TZoneList {
    static bool Send(QListWidget* list, QEvent* event)
    {
        return (list->*(&ViewAccess::viewportEvent))(event);
    }
};

// A drop with the shared payload onto a list at a point of its viewport;
// refused at the drag-over, it never drops.
void Drop(QListWidget* target, const std::string& source, const std::string& item, QPoint point)
{
    QMimeData mime;
    mime.setData(kDragItemMimeType, QByteArray::fromStdString(EncodeDragItem({source, item})));
    QDragMoveEvent move(point, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    ViewAccess::Send(target, &move);
    if (!move.isAccepted())
        return;
    QDropEvent drop(QPointF(point), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    ViewAccess::Send(target, &drop);
}

QPoint Onto(QListWidget* list, int row)
{
    return list->visualItemRect(list->item(row)).center();
}

// Where the next entry would appear: below the entries until one is added.
QPoint JustBelowLast(QListWidget* list)
{
    const QRect last = list->visualItemRect(list->item(list->count() - 1));
    const int step = list->gridSize().isValid() ? list->gridSize().height() : last.height();
    return last.center() + QPoint(0, step);
}

QPoint FarBelow(QListWidget* list)
{
    return {4, list->viewport()->height() - 3};
}

class FixedSelection : public ICatalogueSelection {
public:
    std::optional<TSelectedPart> choice;
    std::optional<TSelectedPart> SelectedPart() const override { return choice; }
};

} // namespace

// ---- Designer ----

TEST_F(PortalTabTest, StartUpFillsTheZonesSkinsAndProfiles)
{
    Portal();
    EXPECT_EQ(Tab().ActivePageName(), "Designer");
    ExpectListsEqualDisk();
    EXPECT_THAT(Shown(Tab().SkinsProfiles().Skins()), ElementsAre("Ocean [current]", "Paper"));
    EXPECT_THAT(Shown(Tab().SkinsProfiles().Profiles()), ElementsAre("Default [current]", "Work"));
}

TEST_F(PortalTabTest, UpOnTheFirstAndDnOnTheLastChangeNothing)
{
    Portal();
    const std::string before = ReadFileBytes(DeskFile());
    Zone(3)->setCurrentRow(0);
    Click(&Tab(), "btnUp3");
    EXPECT_EQ(Zone(3)->currentRow(), 0);
    Zone(3)->setCurrentRow(2);
    Click(&Tab(), "btnDn3");
    EXPECT_EQ(Zone(3)->currentRow(), 2);
    EXPECT_EQ(ReadFileBytes(DeskFile()), before);
    // The middle entry moves both ways and the selection follows it.
    Zone(3)->setCurrentRow(1);
    Click(&Tab(), "btnDn3");
    EXPECT_THAT(Shown(Zone(3)), ElementsAre("news", "stocks", "currency"));
    EXPECT_EQ(Zone(3)->currentRow(), 2);
    ExpectListsEqualDisk();
}

TEST_F(PortalTabTest, DeleteKeyOnTheLastEntryLeavesAnEmptyListWithoutSelection)
{
    Portal();
    Zone(1)->setFocus();
    Zone(1)->setCurrentRow(0);
    PressKey(Zone(1), Qt::Key_Delete);
    EXPECT_THAT(Shown(Zone(1)), ElementsAre("search"));
    EXPECT_EQ(Zone(1)->currentRow(), 0);
    PressKey(Zone(1), Qt::Key_Delete);
    EXPECT_EQ(Zone(1)->count(), 0);
    EXPECT_TRUE(Zone(1)->selectedItems().isEmpty());
    EXPECT_THAT(dialogs.shown, IsEmpty());  // the key asks nothing
    ExpectListsEqualDisk();
}

TEST_F(PortalTabTest, ToolbarDeleteAsksForTheFocusedListOnly)
{
    Portal();
    Zone(4)->setCurrentRow(0);
    Zone(2)->setCurrentRow(1);
    Zone(2)->setFocus();
    QApplication::processEvents();
    EXPECT_TRUE(Portal().Commands().tbDelete->isEnabled());
    dialogs.answers = {MsgResult::Cancel};
    Portal().Commands().tbDelete->trigger();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "Are you sure to delete module \"notes\"");
    EXPECT_EQ(dialogs.shown[0].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(Zone(2)->count(), 2);
    dialogs.answers = {MsgResult::Ok};
    Portal().Commands().tbDelete->trigger();
    EXPECT_THAT(Shown(Zone(2)), ElementsAre("clock"));
    EXPECT_THAT(Shown(Zone(4)), ElementsAre("weather", "calculator"));
    ExpectListsEqualDisk();
}

TEST_F(PortalTabTest, DropsFromTheCatalogueAndBetweenZonesAgreeWithTheDesk)
{
    Portal();
    const std::string agenda = (root / "STORAGE" / "agenda.xml").string();
    const QPoint belowLast = JustBelowLast(Zone(3));
    ASSERT_EQ(static_cast<TZoneList*>(Zone(3))->RowAt(belowLast), std::nullopt);
    Drop(Zone(3), "BrowseTree", agenda, belowLast);
    EXPECT_THAT(Shown(Zone(3)), ElementsAre("news", "currency", "stocks", "agenda"));
    // The new entry itself lies under that point now, and it still stays last.
    EXPECT_EQ(static_cast<TZoneList*>(Zone(3))->RowAt(belowLast), 3u);
    ExpectListsEqualDisk();
    Drop(Zone(3), "FileList", (root / "STORAGE" / "pogoda.xml").string(), Onto(Zone(3), 0));
    EXPECT_THAT(Shown(Zone(3)), ElementsAre("pogoda", "news", "currency", "stocks", "agenda"));
    ExpectListsEqualDisk();
    Drop(Zone(3), "WPListView", (root / "STORAGE" / "novosti.xml").string(), FarBelow(Zone(3)));
    EXPECT_EQ(Shown(Zone(3)).back(), "novosti");
    ExpectListsEqualDisk();
    // zone to zone, and within a zone onto another entry
    Drop(Zone(4), "zone3", "news", Onto(Zone(4), 1));
    EXPECT_THAT(Shown(Zone(4)), ElementsAre("weather", "news", "calculator"));
    Drop(Zone(4), "zone4", "calculator", Onto(Zone(4), 0));
    EXPECT_THAT(Shown(Zone(4)), ElementsAre("calculator", "weather", "news"));
    ExpectListsEqualDisk();
}

TEST_F(PortalTabTest, DropIntoAnEmptyZoneMovesTheDeskToo)
{
    Portal();
    Zone(5)->setCurrentRow(0);
    PressKey(Zone(5), Qt::Key_Delete);
    PressKey(Zone(5), Qt::Key_Delete);
    ASSERT_EQ(Zone(5)->count(), 0);
    Drop(Zone(5), "zone2", "clock", FarBelow(Zone(5)));
    EXPECT_THAT(Shown(Zone(5)), ElementsAre("clock"));
    ExpectListsEqualDisk();
}

TEST_F(PortalTabTest, RefusedDragsChangeNothing)
{
    Portal();
    const std::string before = ReadFileBytes(DeskFile());
    Drop(Zone(3), "FolderTree", (root / "STORAGE" / "agenda.xml").string(), FarBelow(Zone(3)));
    Drop(Zone(3), "zone3", "news", Onto(Zone(3), 0));  // onto itself
    EXPECT_EQ(ReadFileBytes(DeskFile()), before);
    EXPECT_THAT(Shown(Zone(3)), ElementsAre("news", "currency", "stocks"));
    // Already on the desk: the library's refusal is shown and the lists stay true.
    Drop(Zone(1), "BrowseTree", (root / "STORAGE" / "news.xml").string(), FarBelow(Zone(1)));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_THAT(dialogs.shown[0].text, HasSubstr("already on the desk"));
    ExpectListsEqualDisk();
}

TEST_F(PortalTabTest, AddToTheStartPageUsesTheCatalogueZoneRule)
{
    Portal();
    Tab().AddToStartPage();  // no catalogue yet: nothing happens
    FixedSelection catalogue;
    Tab().SetCatalogueSelection(&catalogue);
    Tab().AddToStartPage();  // nothing selected
    catalogue.choice = TSelectedPart{(root / "STORAGE" / "agenda.xml").string(), "12"};
    Tab().AddToStartPage();
    EXPECT_EQ(Shown(Zone(3)).back(), "agenda");
    catalogue.choice = TSelectedPart{(root / "STORAGE" / "pogoda.xml").string(), "4"};
    Tab().AddToStartPage();
    EXPECT_EQ(Shown(Zone(4)).back(), "pogoda");
    ExpectListsEqualDisk();
    Tab().SetCatalogueSelection(nullptr);
}

TEST_F(PortalTabTest, DoubleClickOpensThePartOrNamesTheMissingFile)
{
    Portal();
    Zone(2)->setCurrentRow(0);
    emit Zone(2)->itemDoubleClicked(Zone(2)->item(0));
    ASSERT_EQ(Pages()->count(), 2);
    EXPECT_EQ(EditorAt(1)->FileName(), (root / "STORAGE" / "clock.xml").string());
    fs::remove(root / "STORAGE" / "notes.xml");
    Zone(2)->setCurrentRow(1);
    emit Zone(2)->itemDoubleClicked(Zone(2)->item(1));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_THAT(dialogs.shown[0].text, HasSubstr("\"notes\""));
    EXPECT_EQ(Pages()->count(), 2);
}

// ---- desk.xml ----

TEST_F(PortalTabTest, LeavingTheEditedSourceWithNoShowsTheFileAsOnDiskAgain)
{
    Portal();
    ASSERT_TRUE(Tab().ShowPage("desk.xml"));
    QsciScintilla* editor = Tab().DeskSource().Editor();
    const QString onDisk = editor->text();
    EXPECT_THAT(onDisk.toStdString(), HasSubstr("<container ID=\"welcome\""));
    EXPECT_EQ(Portal().StatusBar().State().DocumentName(), (root / "PORTAL").string() + "/desk.xml");
    editor->append("<!-- edited -->");
    EXPECT_TRUE(Portal().StatusBar().State().Modified());
    dialogs.answers = {MsgResult::Cancel};
    Tab().ShowPage("Designer");
    EXPECT_EQ(Tab().ActivePageName(), "desk.xml");
    dialogs.answers = {MsgResult::No};
    Tab().ShowPage("Designer");
    EXPECT_EQ(Tab().ActivePageName(), "Designer");
    EXPECT_EQ(dialogs.shown.back().text, "Save changes to the \"desk.xml\" before closing?");
    Tab().ShowPage("desk.xml");
    EXPECT_EQ(editor->text(), onDisk);
    EXPECT_FALSE(editor->isModified());
}

TEST_F(PortalTabTest, SavedSourceReloadsTheZonesAndAMalformedOneIsReportedOnce)
{
    Portal();
    Tab().ShowPage("desk.xml");
    QsciScintilla* editor = Tab().DeskSource().Editor();
    const QString good = editor->text();
    QString edited = good;
    edited.replace("\"welcome\"", "\"agenda\"");
    editor->setText(edited + "   ");
    Portal().Commands().miSave->trigger();
    EXPECT_FALSE(editor->isModified());
    EXPECT_THAT(Shown(Zone(1)), ElementsAre("agenda", "search"));
    ExpectListsEqualDisk();
    EXPECT_THAT(ReadFileBytes(DeskFile()), Not(HasSubstr(" \r\n")));  // trailing blanks trimmed

    editor->setText("<desks><desk ID=\"Default\">");
    Portal().Commands().miSave->trigger();
    EXPECT_EQ(dialogs.shown.size(), 1u);
    EXPECT_THAT(Shown(Zone(1)), ElementsAre("agenda", "search"));
    editor->setText(good);
    Portal().Commands().miSave->trigger();
    EXPECT_EQ(dialogs.shown.size(), 1u);
    ExpectListsEqualDisk();
    EXPECT_THAT(Shown(Zone(1)), ElementsAre("welcome", "search"));
}

TEST_F(PortalTabTest, AnUnreadableDeskSaysSoOnShowing)
{
    fs::remove(root / "PORTAL" / "desk.xml");
    Portal();
    Tab().ShowPage("desk.xml");
    ASSERT_FALSE(dialogs.shown.empty());
    EXPECT_EQ(dialogs.shown.back().text, "Cannot load desk.xml");
    EXPECT_TRUE(Tab().DeskSource().Editor()->text().isEmpty());
}

TEST_F(PortalTabTest, ExitAsksAboutAnUnsavedSource)
{
    Portal();
    Tab().ShowPage("desk.xml");
    Tab().DeskSource().Editor()->append("<!-- x -->");
    Pages()->setCurrentIndex(0);
    dialogs.answers = {MsgResult::Cancel};
    EXPECT_FALSE(Portal().close());
    EXPECT_EQ(dialogs.shown.back().text, "Save changes to the \"desk.xml\" before closing?");
    dialogs.answers = {MsgResult::No};
    EXPECT_TRUE(Portal().close());
}

// ---- Skins/Profiles ----

TEST_F(PortalTabTest, SetAsCurrentOnTheMarkedEntryCallsNothing)
{
    Portal();
    Tab().ShowPage("Skins/Profiles");
    const std::string before = ReadFileBytes(SettingsFile());
    Tab().SkinsProfiles().Skins()->setCurrentRow(0);
    Click(&Tab(), "btnSetSkin");
    Tab().SkinsProfiles().Profiles()->setCurrentRow(0);
    Click(&Tab(), "btnSetProfile");
    EXPECT_EQ(ReadFileBytes(SettingsFile()), before);
    EXPECT_THAT(dialogs.shown, IsEmpty());
    Tab().SkinsProfiles().Skins()->setCurrentRow(1);
    Click(&Tab(), "btnSetSkin");
    EXPECT_THAT(Shown(Tab().SkinsProfiles().Skins()), ElementsAre("Ocean", "Paper [current]"));
    EXPECT_THAT(XPathValues(SettingsFile(), "/portal/user/CurrentSkin"), ElementsAre("Paper"));
}

TEST_F(PortalTabTest, ProfileSwitchReloadsTheZonesToThatDesk)
{
    Portal();
    QListWidget* profiles = Tab().SkinsProfiles().Profiles();
    profiles->setCurrentRow(1);
    profiles->setFocus();
    PressKey(profiles, Qt::Key_Return);
    EXPECT_THAT(Shown(profiles), ElementsAre("Default", "Work [current]"));
    ExpectListsEqualDisk("Work");
    emit profiles->itemDoubleClicked(profiles->item(0));
    profiles->setCurrentRow(0);
    Click(&Tab(), "btnSetProfile");
    ExpectListsEqualDisk("Default");
}

TEST_F(PortalTabTest, SkinEntryOpensItsSkinFileWithoutTheMark)
{
    Portal();
    QListWidget* skins = Tab().SkinsProfiles().Skins();
    skins->setCurrentRow(0);
    emit skins->itemDoubleClicked(skins->item(0));
    ASSERT_EQ(Pages()->count(), 2);
    EXPECT_EQ(EditorAt(1)->FileName(), (root / "SKINS" / "Ocean" / "Ocean.cso").string());
}

TEST_F(PortalTabTest, NoCurrentSkinStopsTheCommandOnTheDesigner)
{
    Portal();
    EXPECT_TRUE(Tab().RequireCurrentSkin());
    fs::remove_all(root / "SKINS" / "Ocean");
    Tab().ShowPage("Skins/Profiles");
    Portal().OpenWebPartDocument((root / "STORAGE" / "news.xml").string());
    ASSERT_EQ(Active(), 1);
    EXPECT_FALSE(Tab().RequireCurrentSkin());
    EXPECT_EQ(dialogs.shown.back().text, "Choose skin before generating portal!");
    EXPECT_EQ(dialogs.shown.back().kind, MsgKind::Warning);
    EXPECT_EQ(Active(), 0);
    EXPECT_EQ(Tab().ActivePageName(), "Designer");
}

// ---- History ----

TEST_F(PortalTabTest, HistoryOfChangesShowsTheHiddenPage)
{
    Portal();
    QTabWidget* pages = Tab().PageControl();
    EXPECT_FALSE(pages->isTabVisible(pages->count() - 1));
    for (int i = 0; i < 6; ++i)
        Tab().CyclePage(true);  // the hidden page is never cycled to
    EXPECT_NE(Tab().ActivePageName(), "History");
    Portal().Commands().miHistory->trigger();
    EXPECT_EQ(Tab().ActivePageName(), "History");
    EXPECT_TRUE(pages->isTabVisible(pages->count() - 1));
    auto* view = Tab().findChild<QWebEngineView*>("wbHistory");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->url().toLocalFile().toStdString(), (root / "BIN").string() + "/history.html");
}

TEST_F(PortalTabTest, ZoneStripAndColumnSizesComeBack)
{
    {
        QSettings s(QSettings::NativeFormat, QSettings::UserScope, "Orlendt", "WebParts Editor");
        s.beginGroup("MainForm");
        s.setValue("Zone1Height", 150);
        s.setValue("Zone5Height", 170);
        s.setValue("Zone2Width", 200);
        s.setValue("Zone4Width", 230);
    }
    Portal();
    auto* rows = Tab().findChild<QSplitter*>("splZoneRows");
    auto* columns = Tab().findChild<QSplitter*>("splZoneColumns");
    ASSERT_TRUE(rows && columns);
    QApplication::processEvents();
    EXPECT_EQ(rows->sizes().value(0), 150);
    EXPECT_EQ(rows->sizes().value(2), 170);
    EXPECT_EQ(columns->sizes().value(0), 200);
    EXPECT_EQ(columns->sizes().value(2), 230);
}

TEST_F(PortalTabTest, ASavedSkinShowsUpThroughTheMainWindow)
{
    Portal();
    Skin("Zed", "Zed.cso");
    static_cast<IMainServices&>(Portal()).RefreshSkins();
    EXPECT_THAT(Shown(Tab().SkinsProfiles().Skins()), ElementsAre("Ocean [current]", "Paper", "Zed"));
}
