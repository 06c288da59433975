#pragma once
// A small document editor for driving the main window's tab logic: it keeps
// a file name and a modified flag, asks the usual save question through the
// dialog seam, and records every call it gets.

#include "shell/DocumentEditor.h"
#include "shell/LastOpenedFiles.h"
#include "shell/MainServices.h"
#include "shell/MainStatusBar.h"
#include "shell/Settings.h"
#include "util/Dialogs.h"
#include "util/Exception.h"
#include "util/Paths.h"

#include <cctype>
#include <string>
#include <vector>

namespace wpe::test {

struct EditorLog {
    std::vector<std::string> calls;  // "save:<name>:<defer>", "close:<name>", "page:<name>:<+|->", ...
};

class TestEditor : public IDocumentEditor {
public:
    TestEditor(DocumentKind kind, IMainServices& services, EditorLog& log, QWidget* parent)
        : IDocumentEditor(parent), kind_(kind), services_(services), log_(log)
    {
    }

    DocumentKind Kind() const override { return kind_; }
    void NewPart() override { name_ = "Untitled"; Caption(); }
    void NewSkin(const std::string& html, const std::string& css) override
    {
        name_ = "Untitled";
        log_.calls.push_back("newskin:" + html + "|" + css);
        Caption();
    }
    void LoadFromFile(const std::string& path) override
    {
        if (path.find("broken") != std::string::npos)
            throw Exception("cannot read " + path);
        file_ = path;
        name_ = kind_ == DocumentKind::Skin ? ParentFolderName(path) : NameWithoutExt(path);
        Caption();
    }
    bool Save(bool saveAs, bool deferRefresh) override
    {
        log_.calls.push_back("save:" + name_ + ":" + (deferRefresh ? "defer" : "refresh"));
        if (failSave)
            return false;
        modified = false;
        return true;
    }
    bool CloseQuery(bool remember) override
    {
        log_.calls.push_back("close:" + name_);
        if (modified) {
            services_.ActivateTab(this);
            switch (Dialogs().Ask(MsgKind::Confirmation, "Save changes to " + name_ + "?", MsgButtons::YesNoCancel)) {
            case MsgResult::Cancel: return false;
            case MsgResult::Yes:
                if (!Save(false, false))
                    return false;
                break;
            default: break;
            }
        }
        if (remember && !file_.empty())
            RecordOpenedFile(SettingsStore(), services_.TabIndexOf(this), file_);
        return true;
    }
    void UpdateStatus() override
    {
        log_.calls.push_back("status:" + name_);
        if (failStatus)
            throw Exception("status failed");
        services_.StatusBar().Reset();
        services_.StatusBar().SetDocumentName(file_);
        services_.StatusBar().SetModified(modified);
    }
    std::string FileName() const override
    {
        std::string f = file_;
        if (upperCasePath)
            for (auto& ch : f)
                ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        return f;
    }
    std::string SkinName() const override { return kind_ == DocumentKind::Skin ? name_ : std::string(); }
    void CycleInnerPage(bool forward) override { log_.calls.push_back("page:" + name_ + (forward ? ":+" : ":-")); }
    void BuildSkin() override { log_.calls.push_back("build:" + name_); }

    void RequestClose() { emit closeTabRequested(parentWidget()); }

    bool modified = false;
    bool failSave = false;
    bool failStatus = false;
    bool upperCasePath = false;

private:
    void Caption() { services_.SetTabCaption(this, name_); }

    DocumentKind kind_;
    IMainServices& services_;
    EditorLog& log_;
    std::string file_;
    std::string name_;
};

} // namespace wpe::test
