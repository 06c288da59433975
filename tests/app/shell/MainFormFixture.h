#pragma once
// A main window over a temporary portal folder, with test editors for both
// document kinds and every question answered by the test.

#include "ScriptedDialogs.h"
#include "TestEditor.h"
#include "portal/ElementFile.h"
#include "shell/DocumentTabs.h"
#include "shell/MainForm.h"
#include "shell/OptionsForm.h"
#include "shell/Settings.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <memory>

namespace wpe::test {

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QSettings(QSettings::NativeFormat, QSettings::UserScope, "Orlendt", "WebParts Editor").clear();
        root = std::filesystem::path(dir.path().toStdString());
        for (const char* sub : {"BIN", "PORTAL", "SKINS", "STORAGE", "CACHE", "prog"})
            std::filesystem::create_directories(root / sub);
    }
    void TearDown() override
    {
        form.reset();
        options.reset();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // A web part file in STORAGE; returns its path.
    std::string WebPart(const std::string& name, const std::string& title = "T")
    {
        auto path = root / "STORAGE" / name;
        std::ofstream(path, std::ios::binary) << "<?xml version=\"1.0\" encoding=\"WINDOWS-1251\"?>\r\n<WebPart>\r\n  <Title>"
                                              << title << "</Title>\r\n</WebPart>\r\n";
        return path.string();
    }
    // A skin file SKINS/<folder>/<file>; returns its path.
    std::string Skin(const std::string& folder, const std::string& file)
    {
        std::filesystem::create_directories(root / "SKINS" / folder);
        auto path = root / "SKINS" / folder / file;
        std::ofstream(path, std::ios::binary) << "<?xml version=\"1.0\"?><skin><name>" << folder << "</name></skin>";
        return path.string();
    }
    std::string PlainFile(const std::string& name, const std::string& text)
    {
        auto path = root / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }

    TMainFormSetup MakeSetup()
    {
        TMainFormSetup s;
        s.programDir = (root / "prog").string();
        s.initBase = [this] {
            if (failBase)
                throw std::runtime_error("portal missing");
        };
        s.absolutePath = [this](const std::string& rel) { return (root / rel.substr(0, rel.size() - 1)).string() + "/"; };
        s.portalSetting = [](const std::string& path) {
            return path == "user/Server" ? std::string("http://127.0.0.1:8090/") : std::string();
        };
        s.currentSkin = [this] {
            if (currentSkin.empty())
                throw std::runtime_error("no skin is current");
            return currentSkin;
        };
        s.fileHasElement = [](const std::string& file, const std::string& element) {
            return HasElementInFile(file, element);
        };
        s.editors.webPart = [this](IMainServices& services, QWidget* parent) -> std::unique_ptr<IDocumentEditor> {
            if (realWebPartEditor)
                return CreateWebPartEditor(services, parent);
            return std::make_unique<TestEditor>(DocumentKind::WebPart, services, log, parent);
        };
        s.editors.skin = [this](IMainServices& services, QWidget* parent) {
            return std::make_unique<TestEditor>(DocumentKind::Skin, services, log, parent);
        };
        s.settings = &SettingsStore();
        return s;
    }

    TMainForm& Form()
    {
        if (!form) {
            options = std::make_unique<TOptionsForm>(SettingsStore());
            TMainFormSetup s = MakeSetup();
            s.options = options.get();
            form = std::make_unique<TMainForm>(std::move(s));
        }
        return *form;
    }

    QTabWidget* Pages() { return Form().findChild<QTabWidget*>("MainPageControl"); }
    TestEditor* EditorAt(int index) { return static_cast<TestEditor*>(Form().Tabs().EditorAt(index)); }
    int Active() { return Pages()->currentIndex(); }
    std::string Caption(int index) { return Pages()->tabText(index).toStdString(); }

    QTemporaryDir dir;
    std::filesystem::path root;
    ScriptedDialogs dialogs;
    EditorLog log;
    bool failBase = false;
    std::string currentSkin = "Ocean";
    // The program's own web part editor instead of the stand-in (the
    // template must then be in root/prog).
    bool realWebPartEditor = false;
    std::unique_ptr<TOptionsForm> options;
    std::unique_ptr<TMainForm> form;
};

} // namespace wpe::test
