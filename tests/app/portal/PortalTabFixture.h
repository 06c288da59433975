#pragma once
// A main window over a private copy of the sample portal, opened through the
// real portal base library, with the Designer page shown.

#include "core/portal/DeskOracle.h"
#include "shell/MainFormFixture.h"

#include "portal/BaseITF.h"
#include "portal/DeskSourcePage.h"
#include "portal/SkinsProfilesPage.h"
#include "portal/ZoneDesigner.h"
#include "portal/ZoneList.h"
#include "shell/PortalTab.h"

#include <QListWidget>
#include <QTest>

namespace wpe::test {

class PortalTabTest : public MainFormTest {
protected:
    void SetUp() override
    {
        MainFormTest::SetUp();
        const fs::path sample = SamplePortal();
        if (sample.empty() || !fs::exists(sample / "PORTAL" / "desk.xml"))
            GTEST_SKIP() << "the sample portal (WPE_DATA_DIR) is missing";
        fs::copy(sample, root, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    }
    void TearDown() override
    {
        MainFormTest::TearDown();
        CloseBase();
    }

    TMainForm& Portal()
    {
        if (!form) {
            options = std::make_unique<TOptionsForm>(SettingsStore());
            TMainFormSetup s = MakeSetup();
            s.initBase = [this] { InitBase(root.string()); };
            s.absolutePath = [](const std::string& rel) { return GetAbsolutePath(rel); };
            s.portalSetting = [](const std::string& path) { return GetElementEx(path); };
            s.options = options.get();
            form = std::make_unique<TMainForm>(std::move(s));
            form->show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        }
        return *form;
    }

    TPortalTab& Tab() { return Portal().PortalTab(); }
    TZoneList* Zone(int n) { return Tab().Designer().List(n); }
    fs::path DeskFile() const { return root / "PORTAL" / "desk.xml"; }
    fs::path SettingsFile() const { return root / "PORTAL" / "portal.xml"; }

    std::vector<std::string> Shown(const QListWidget* list)
    {
        std::vector<std::string> entries;
        for (int i = 0; i < list->count(); ++i)
            entries.push_back(list->item(i)->text().toStdString());
        return entries;
    }
    // What the five lists show must be the profile's zones in desk.xml on disk.
    void ExpectListsEqualDisk(const std::string& profile = "Default")
    {
        const auto disk = DeskZonesOnDisk(DeskFile(), profile);
        for (int n = 1; n <= 5; ++n)
            EXPECT_EQ(Shown(Zone(n)), disk[static_cast<std::size_t>(n - 1)]) << "zone" << n;
    }
};

} // namespace wpe::test
