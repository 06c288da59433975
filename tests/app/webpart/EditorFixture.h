#pragma once
// A web part editor in a window of its own, with main window services kept
// in plain members, dialogs answered from a script and a program folder
// holding a web part template.

#include "ScriptedDialogs.h"

#include "shell/AppFolders.h"
#include "shell/CatalogueHook.h"
#include "shell/MainServices.h"
#include "shell/MainStatusBar.h"
#include "shell/Options.h"
#include "webpart/NewTabFrame.h"
#include "webpart/WPComment.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace wpe::test {

// The catalogue as the editor sees it, recording the calls.
class RecordingCatalogue : public ICatalogueHook {
public:
    TWPData* FindEntry(const std::string& path) override {
        lookups.push_back(path);
        return nullptr;
    }
    void ReloadCatalogue() override { ++reloads; }
    bool FindCategoryNode(const std::string& path) override {
        shownPaths.push_back(path);
        return true;
    }
    void ShowEntry(const std::string&) override {}

    std::vector<std::string> lookups;
    std::vector<std::string> shownPaths;
    int reloads = 0;
};

class TestServices : public IMainServices {
public:
    explicit TestServices(const std::string& programDir)
        : window_(new QWidget), save_(new QAction(window_.get())), bar_(window_.get(), save_, window_.get()) {
        folders.ProgramDir = programDir;
        folders.StorageDir = programDir + "STORAGE/";
        folders.CommentFilePath = programDir + "WPComment.xml";
    }

    IDocumentEditor* ActiveEditor() override { return active; }
    int TabIndexOf(const IDocumentEditor*) const override { return 1; }
    void ActivateTab(IDocumentEditor* editor) override { active = editor; }
    void SetTabCaption(IDocumentEditor*, const std::string& text) override { caption = text; }
    void RefreshStatus() override {}
    void AddToReopenList(const std::string& path) override { reopened.push_back(path); }
    std::optional<std::string> ChooseSaveFile(const std::string& proposedName, const std::string& initialDir) override {
        proposals.push_back(proposedName);
        dirs.push_back(initialDir);
        if (saveAnswers.empty())
            return std::nullopt;
        auto answer = saveAnswers.front();
        saveAnswers.erase(saveAnswers.begin());
        return answer;
    }
    TMainStatusBar& StatusBar() override { return bar_; }
    TWPCommentFile& Comments() override { return comments; }
    ICatalogueHook& Catalogue() override { return catalogue; }
    const TAppFolders& Folders() const override { return folders; }
    TOptions Options() const override { return options; }

    IDocumentEditor* active = nullptr;
    std::string caption;
    std::vector<std::string> reopened;
    std::vector<std::string> proposals;
    std::vector<std::string> dirs;
    std::vector<std::optional<std::string>> saveAnswers;
    TWPCommentFile comments;
    RecordingCatalogue catalogue;
    TAppFolders folders;
    TOptions options;

private:
    std::unique_ptr<QWidget> window_;
    QAction* save_;
    TMainStatusBar bar_;
};

// A template like the shipped one but with nothing required, so that a tag
// is written only when the part has it or the user edited it.
inline const char* kTestTemplate =
    "<?xml version=\"1.0\" encoding=\"WINDOWS-1251\" ?>\r\n"
    "<WebPart>\r\n"
    "<Section id=\"General\"><Title></Title><Description></Description><Category></Category>"
    "<Language>en</Language><LastModified></LastModified><PublisherURL>http://</PublisherURL></Section>\r\n"
    "<Section id=\"Content\"><ContentType>0</ContentType><Content></Content><ContentLink>http://</ContentLink>"
    "<XSL></XSL><XSLLink>http://</XSLLink></Section>\r\n"
    "<Section id=\"Cache\"><CacheBehavior>0</CacheBehavior><CacheTimeout></CacheTimeout></Section>\r\n"
    "<Section id=\"Customization\"><CustomizationLink>http://</CustomizationLink>"
    "<CustomizationHeight></CustomizationHeight><CustomizationWidth></CustomizationWidth>"
    "<MasterPartLink>http://</MasterPartLink><DetailLink>http://</DetailLink><PartStorage></PartStorage></Section>\r\n"
    "</WebPart>\r\n";

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        programDir = dir_.path().toStdString() + "/";
        QDir(dir_.path()).mkpath("STORAGE");
        WriteFile(programDir + "webpart template.xml", kTestTemplate);
        services = std::make_unique<TestServices>(programDir);
        editor = std::make_unique<TNewTab>(*services);
        services->active = editor.get();
        editor->resize(900, 700);
    }
    void TearDown() override {
        editor.reset();
        services.reset();
    }

    std::string path(const std::string& name) const { return programDir + name; }

    template <class T>
    T* widget(const char* name) const {
        T* w = editor->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    // Loads a part from a file written with text.
    std::string loadPart(const std::string& name, const std::string& text) {
        std::string file = path(name);
        WriteFile(file, text);
        editor->LoadFromFile(file);
        return file;
    }

    QTemporaryDir dir_;
    std::string programDir;
    ScriptedDialogs dialogs;
    std::unique_ptr<TestServices> services;
    std::unique_ptr<TNewTab> editor;
};

} // namespace wpe::test
