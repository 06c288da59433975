#include "MainFormFixture.h"

#include "shell/CommandTable.h"
#include "shell/LastOpenedFiles.h"
#include "shell/PortalTab.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTest>
#include <QVBoxLayout>
#include <QTabBar>
#include <QTimer>

#include <memory>

#include <algorithm>

namespace wpe::test {
namespace {

TEST_F(MainFormTest, SameWebPartPathActivatesTheOpenTab)
{
    std::string a = WebPart("News.xml");
    std::string b = WebPart("weather.xml");
    Form().OpenWebPartDocument(a);
    Form().OpenWebPartDocument(b);
    ASSERT_EQ(Pages()->count(), 3);
    EXPECT_EQ(Active(), 2);

    // Windows-style delimiters name the same file.
    std::string windowsStyle = a;
    std::replace(windowsStyle.begin(), windowsStyle.end(), '/', '\\');
    Form().OpenWebPartDocument(windowsStyle);
    EXPECT_EQ(Pages()->count(), 3);
    EXPECT_EQ(Active(), 1);
    EXPECT_EQ(Caption(1), "News");
    EXPECT_EQ(Form().ReopenList().Items(), (std::vector<std::string>{b, a}));
}

TEST_F(MainFormTest, OpenTabFoundWithoutRegardToCase)
{
    std::string a = WebPart("News.xml");
    Form().OpenWebPartDocument(a);
    Form().OpenWebPartDocument(WebPart("other.xml"));
    // The editor keeps its path in another letter case.
    EditorAt(1)->upperCasePath = true;
    Form().OpenWebPartDocument(a);
    EXPECT_EQ(Active(), 1);
    EXPECT_EQ(Pages()->count(), 3);
}

TEST_F(MainFormTest, NotAWebPartAndMissingFile)
{
    std::string text = PlainFile("notes.xml", "<?xml version=\"1.0\"?><notes/>");
    Form().OpenWebPartDocument(text);
    EXPECT_EQ(Pages()->count(), 1);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, text + " is not a WebPart!");
    EXPECT_EQ(dialogs.shown[0].kind, MsgKind::Error);

    Form().OpenWebPartDocument((root / "STORAGE" / "gone.xml").string());
    EXPECT_EQ(dialogs.shown.size(), 1u) << "a missing web part is skipped silently";
    EXPECT_EQ(Pages()->count(), 1);
}

TEST_F(MainFormTest, EditorThatCannotLoadLeavesNoTab)
{
    std::string broken = WebPart("broken.xml");
    Form().OpenWebPartDocument(broken);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(Pages()->count(), 1);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "cannot read " + broken);
    EXPECT_TRUE(Form().ReopenList().Empty());
}

TEST_F(MainFormTest, SkinsAreFoundByFolderName)
{
    std::string blue = Skin("Blue", "blue.cso");
    std::string other = (root / "elsewhere" / "blue").string();
    std::filesystem::create_directories(other);
    std::string second = other + "/second.cso";
    std::ofstream(second) << "<Skin/>";
    Form().OpenSkinDocument(blue);
    Form().OpenSkinDocument(second);
    EXPECT_EQ(Pages()->count(), 2) << "a skin in a folder of the same name activates the first tab";
    EXPECT_EQ(Form().FindSkinTab("BLUE"), 1);
    EXPECT_EQ(Form().FindSkinTab("green"), -1);

    std::string missing = (root / "SKINS" / "x" / "x.cso").string();
    Form().OpenSkinDocument(missing);
    ASSERT_FALSE(dialogs.shown.empty());
    EXPECT_EQ(dialogs.shown.back().text, "\"" + missing + "\" doesn't exists");
    std::string plain = PlainFile("plain.cso", "<other/>");
    Form().OpenSkinDocument(plain);
    EXPECT_EQ(dialogs.shown.back().text, plain + " is not a skin!");
}

TEST_F(MainFormTest, ClosingActivatesFollowerOrPredecessor)
{
    for (const char* n : {"a.xml", "b.xml", "c.xml", "d.xml"})
        Form().OpenWebPartDocument(WebPart(n));
    Pages()->setCurrentIndex(2);
    ASSERT_TRUE(Form().CloseActiveTab(false));
    EXPECT_EQ(Caption(Active()), "c") << "the tab that followed the closed one";
    Pages()->setCurrentIndex(Pages()->count() - 1);
    ASSERT_TRUE(Form().CloseActiveTab(false));
    EXPECT_EQ(Caption(Active()), "c") << "closing the last tab activates the one before";
    EXPECT_EQ(Pages()->count(), 3);

    Pages()->setCurrentIndex(0);
    EXPECT_TRUE(Form().CloseActiveTab(false));
    EXPECT_EQ(Pages()->count(), 3) << "the Portal tab is never closed";
}

TEST_F(MainFormTest, CloseTabSignalIsHandledLater)
{
    Form().OpenWebPartDocument(WebPart("a.xml"));
    Form().OpenWebPartDocument(WebPart("b.xml"));
    Pages()->setCurrentIndex(1);
    EditorAt(2)->RequestClose();
    EXPECT_EQ(Pages()->count(), 3) << "the request waits for the event loop";
    QApplication::processEvents();
    EXPECT_EQ(Pages()->count(), 2);
    EXPECT_EQ(Caption(1), "b") << "the active tab closes, not the sender's";
}

TEST_F(MainFormTest, TabPopupClosesTheActiveTab)
{
    Form().OpenWebPartDocument(WebPart("a.xml"));
    Form().OpenWebPartDocument(WebPart("b.xml"));
    Pages()->setCurrentIndex(1);
    // Close from the popup of the other tab: the active one goes.
    // The popup runs an event loop of its own. Whatever the timer finds, it
    // closes every popup, so a missing menu or command fails the test below
    // instead of leaving the popup open until the test times out.
    auto answered = std::make_shared<bool>(false);
    QTimer::singleShot(0, [answered] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget()))
            if (QAction* close = menu->findChild<QAction*>("miTabClose")) {
                close->trigger();
                *answered = true;
            }
        for (int i = 0; i < 8 && QApplication::activePopupWidget(); ++i)
            QApplication::activePopupWidget()->close();
    });
    QTabBar* bar = Pages()->tabBar();
    emit bar->customContextMenuRequested(bar->tabRect(2).center());
    ASSERT_TRUE(*answered) << "no tab popup with a close command was shown";
    EXPECT_EQ(Pages()->count(), 2);
    EXPECT_EQ(Caption(1), "b");
}

TEST_F(MainFormTest, SaveAllDefersRefreshUntilTheLastTab)
{
    Form().OpenWebPartDocument(WebPart("a.xml"));
    Form().OpenSkinDocument(Skin("blue", "blue.cso"));
    Form().OpenWebPartDocument(WebPart("c.xml"));
    log.calls.clear();
    Form().Commands().miSaveAll->trigger();
    EXPECT_EQ(log.calls, (std::vector<std::string>{"save:a:defer", "save:blue:refresh", "save:c:refresh"}));
}

TEST_F(MainFormTest, SaveAllWithSkinLastNeverRefreshes)
{
    Form().OpenWebPartDocument(WebPart("a.xml"));
    Form().OpenWebPartDocument(WebPart("b.xml"));
    Form().OpenSkinDocument(Skin("blue", "blue.cso"));
    log.calls.clear();
    EditorAt(2)->failSave = false;
    Form().Commands().miSaveAll->trigger();
    EXPECT_EQ(log.calls, (std::vector<std::string>{"save:a:defer", "save:b:defer", "save:blue:refresh"}));
}

TEST_F(MainFormTest, SaveAllStopsAtTheFirstCancel)
{
    for (const char* n : {"a.xml", "b.xml", "c.xml"})
        Form().OpenWebPartDocument(WebPart(n));
    EditorAt(2)->failSave = true;
    log.calls.clear();
    Form().Commands().miSaveAll->trigger();
    EXPECT_EQ(log.calls, (std::vector<std::string>{"save:a:defer", "save:b:defer"}));
}

TEST_F(MainFormTest, PortalTabIgnoresDocumentCommands)
{
    Form().OpenSkinDocument(Skin("blue", "blue.cso"));
    Pages()->setCurrentIndex(0);
    log.calls.clear();
    Form().Commands().miSaveAs->trigger();
    Form().Commands().miClose->trigger();
    Form().Commands().miBuildSkin->trigger();
    EXPECT_TRUE(log.calls.empty() || log.calls == std::vector<std::string>{});
    EXPECT_EQ(Pages()->count(), 2);
    Pages()->setCurrentIndex(1);
    log.calls.clear();
    Form().Commands().miBuildSkin->trigger();
    EXPECT_EQ(log.calls, (std::vector<std::string>{"build:blue"}));
}

TEST_F(MainFormTest, TopTabCyclingGoesToTheActiveTabsPages)
{
    Form().OpenWebPartDocument(WebPart("a.xml"));
    log.calls.clear();
    Form().Commands().miNextTopTab->trigger();
    Form().Commands().miPrevTopTab->trigger();
    EXPECT_EQ(log.calls, (std::vector<std::string>{"page:a:+", "page:a:-"}));

    Pages()->setCurrentIndex(0);
    TPortalTab& portal = Form().PortalTab();
    EXPECT_EQ(portal.ActivePageName(), "Designer");
    Form().Commands().miPrevTopTab->trigger();
    EXPECT_EQ(portal.ActivePageName(), "Preview") << "wraps around backwards";
    Form().Commands().miNextTopTab->trigger();
    EXPECT_EQ(portal.ActivePageName(), "Designer");
}

TEST_F(MainFormTest, StatusFollowsTheActiveTabAndIgnoresEditorErrors)
{
    std::string a = WebPart("a.xml");
    Form().OpenWebPartDocument(a);
    EXPECT_EQ(Form().windowTitle().toStdString(), "Ombrelio Developer Toolkit - [" + a + "]");
    Pages()->setCurrentIndex(0);
    Form().PortalTab().ShowPage("Preview");
    EXPECT_EQ(Form().windowTitle().toStdString(), "Ombrelio Developer Toolkit - [http://127.0.0.1:8090/]");
    Form().PortalTab().ShowPage("desk.xml");
    EXPECT_EQ(Form().StatusBar().State().DocumentName(), (root / "PORTAL").string() + "/desk.xml");
    Form().PortalTab().ShowPage("Designer");
    EXPECT_EQ(Form().windowTitle().toStdString(), "Ombrelio Developer Toolkit - []");

    EditorAt(1)->failStatus = true;
    Pages()->setCurrentIndex(1);
    EXPECT_EQ(Active(), 1) << "a failing status refresh does not stop the switch";
}

TEST_F(MainFormTest, EnteringPortalListsShowsTheirFolderAndGuardsDelete)
{
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    auto* zone = new QListWidget(page);
    zone->setObjectName("zone2");
    zone->addItem("news");
    auto* emptyZone = new QListWidget(page);
    emptyZone->setObjectName("zone3");
    auto* skins = new QListWidget(page);
    skins->setObjectName("lstSkins");
    auto* other = new QLineEdit(page);
    for (QWidget* w : std::initializer_list<QWidget*>{zone, emptyZone, skins, other})
        layout->addWidget(w);
    Form().PortalTab().SetPageContent("Designer", page);
    Form().show();
    QApplication::setActiveWindow(&Form());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Form()));

    zone->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(Form().StatusBar().State().DocumentName(), (root / "PORTAL").string() + "/");
    EXPECT_TRUE(Form().Commands().tbDelete->isEnabled());
    emptyZone->setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(Form().Commands().tbDelete->isEnabled()) << "an empty zone has nothing to delete";
    skins->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(Form().StatusBar().State().DocumentName(), (root / "SKINS").string() + "/");
    zone->setFocus();
    QApplication::processEvents();
    other->setFocus();
    QApplication::processEvents();
    EXPECT_FALSE(Form().Commands().tbDelete->isEnabled()) << "leaving a zone list disables Delete";
}

TEST_F(MainFormTest, ReopenListKeepsTenAndDispatchesByType)
{
    std::vector<std::string> paths;
    for (int i = 0; i < 11; ++i)
        paths.push_back(WebPart("p" + std::to_string(i) + ".xml"));
    for (const auto& p : paths)
        Form().OpenWebPartDocument(p);
    auto* reopen = Form().Commands().miReopen;
    EXPECT_TRUE(reopen->isEnabled());
    ASSERT_EQ(reopen->actions().size(), 10);
    EXPECT_EQ(reopen->actions().front()->data().toString().toStdString(), paths.back());

    Form().CloseAllTabs(false);
    std::string txt = PlainFile("readme.txt", "<WebPart><Title>x</Title></WebPart>");
    Form().AddToReopenList(txt);
    Form().Commands().miReopen->actions().front()->trigger();
    EXPECT_EQ(Pages()->count(), 2) << "the reopen list opens other types as web parts";
}

TEST_F(MainFormTest, OpenDialogUsesTheDocumentFilterAndIgnoresOtherTypes)
{
    std::string txt = PlainFile("readme.txt", "<WebPart/>");
    dialogs.openFiles.push_back(txt);
    Form().Commands().miOpen->trigger();
    ASSERT_EQ(dialogs.openRequests.size(), 1u);
    EXPECT_EQ(dialogs.openRequests[0].filter, "WebPart (*.xml; *.dwp; *.cwp)|*.xml; *.dwp; *.cwp|Skin (*.cso)|*.cso");
    EXPECT_EQ(Pages()->count(), 1);
    dialogs.openFiles.push_back(Skin("red", "red.cso"));
    Form().Commands().miOpen->trigger();
    EXPECT_EQ(Pages()->count(), 2);
}

TEST_F(MainFormTest, NewSkinReusesTheUntitledTab)
{
    Form().Commands().miNewSkin->trigger();
    Form().Commands().miNewSkin->trigger();
    EXPECT_EQ(Pages()->count(), 2);
    Form().Commands().miNewWebPart->trigger();
    EXPECT_EQ(Pages()->count(), 3);
    EXPECT_EQ(Active(), 2) << "a new web part tab becomes active";
}

TEST_F(MainFormTest, MissingEditorsSayTheyAreNotAvailable)
{
    options = std::make_unique<TOptionsForm>(SettingsStore());
    TMainFormSetup s = MakeSetup();
    s.editors = {};
    s.options = options.get();
    form = std::make_unique<TMainForm>(std::move(s));
    form->Commands().miNewWebPart->trigger();
    form->Commands().miNewSkin->trigger();
    form->OpenSkinDocument(Skin("blue", "blue.cso"));
    EXPECT_EQ(Pages()->count(), 1);
    EXPECT_EQ(dialogs.Texts(), (std::vector<std::string>{kWebPartEditingUnavailable, kSkinEditingUnavailable,
                                                         kSkinEditingUnavailable}));
}

TEST_F(MainFormTest, ImportSkinFindsTheLinkedStyleSheet)
{
    std::filesystem::create_directories(root / "design");
    std::ofstream(root / "design" / "site.css") << "body{}";
    std::string html = PlainFile("design/page.html",
                                 "<html><head><link rel=\"icon\" href=\"site.css\">"
                                 "<LINK REL=\"StyleSheet\" HREF=\"missing.css\">"
                                 "<link rel=\"stylesheet\" href=\"site.css\"></head><body></body></html>");
    dialogs.openFiles.push_back(html);
    Form().Commands().miImportSkin->trigger();
    ASSERT_EQ(dialogs.openRequests.size(), 1u);
    EXPECT_EQ(dialogs.openRequests[0].filter, "HTML Documents (*.htm*)|*.htm*|All Files|*.*");
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(log.calls.back(), "newskin:" + html + "|");
    // The new skin lives in the Untitled folder; close it before the next import.
    Pages()->setCurrentIndex(Form().Tabs().FindSkinTab("Untitled"));
    ASSERT_TRUE(Form().Tabs().CloseActiveTab(false));

    std::string bare = PlainFile("design/bare.html", "<html><head></head><body>x</body></html>");
    dialogs.openFiles.push_back(bare);
    dialogs.answers.push_back(MsgResult::Yes);
    dialogs.openFiles.push_back(std::nullopt);  // the stylesheet dialog is cancelled
    Form().Commands().miImportSkin->trigger();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "This file doesn't contains CSS file. Would you like to specify it?");
    EXPECT_EQ(dialogs.openRequests.back().filter, "Style Sheets (*.css)|*.css|All Files|*.*");
    EXPECT_EQ(log.calls.back(), "newskin:" + bare + "|" + (root / "prog").string() + "/skin.css");
}

TEST_F(MainFormTest, MakeXhtmlNeedsASkinTab)
{
    Form().Commands().miMakeXhtml->trigger();
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, "Use it for skin template!");
    EXPECT_EQ(dialogs.shown[0].kind, MsgKind::Information);
}

} // namespace
} // namespace wpe::test
