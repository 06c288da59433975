// The portal commands of the main window when no skin is current.

#include "shell/MainFormFixture.h"

#include "shell/CommandTable.h"
#include "shell/PortalTab.h"

#include <QAction>

using namespace wpe;
using namespace wpe::test;

TEST_F(MainFormTest, WithoutACurrentSkinThePortalCommandsStopAtTheDesigner)
{
    currentSkin.clear();
    Pages()->setCurrentIndex(0);
    for (QAction* command : {Form().Commands().miBuildPortal, Form().Commands().miBuildAndView,
                             Form().Commands().tbViewInBrowser, Form().Commands().miExportPortal}) {
        SCOPED_TRACE(command->objectName().toStdString());
        EXPECT_TRUE(command->isEnabled());
        Form().PortalTab().ShowPage("desk.xml");
        dialogs.shown.clear();
        command->trigger();
        ASSERT_EQ(dialogs.shown.size(), 1u);
        EXPECT_EQ(dialogs.shown[0].kind, MsgKind::Warning);
        EXPECT_EQ(dialogs.shown[0].text, "Choose skin before generating portal!");
        EXPECT_EQ(Form().PortalTab().ActivePageName(), "Designer");
    }
    // From a document tab, the Portal tab comes to the front.
    Form().OpenWebPartDocument(WebPart("a.xml"));
    ASSERT_EQ(Active(), 1);
    Form().Commands().miBuildAndView->trigger();
    EXPECT_EQ(Active(), 0);

    dialogs.shown.clear();
    Form().PortalTab().ShowPage("Preview");
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(Form().PortalTab().ActivePageName(), "Designer") << "the Designer is shown instead";
    EXPECT_FALSE(std::filesystem::exists(root / "PORTAL" / "desk.html")) << "nothing was built";
}
