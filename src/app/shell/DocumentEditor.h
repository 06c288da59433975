#pragma once
// What the main window needs of the editor inside a document tab. Both
// editors (web part and skin) derive from this widget and fill their tab.

#include "shell/DocumentKinds.h"

#include <QWidget>

#include <string>

namespace wpe {

class IDocumentEditor : public QWidget {
    Q_OBJECT
public:
    explicit IDocumentEditor(QWidget* parent = nullptr) : QWidget(parent) {}
    ~IDocumentEditor() override = default;

    // Skin (tab kind 1) or WebPart (tab kind 2).
    virtual DocumentKind Kind() const = 0;

    // Starts a new web part from the web part template.
    virtual void NewPart();
    // Starts a new skin from an HTML template and a stylesheet, either empty.
    virtual void NewSkin(const std::string& htmlTemplatePath, const std::string& styleSheetPath);
    // Starts a new web part from a downloaded feed.
    virtual void NewFromRss(const std::string& feedText, const std::string& url);
    // Loads a document file (a web part file, or a skin's .cso file).
    virtual void LoadFromFile(const std::string& path) = 0;

    // Saves the document; deferRefresh skips the catalogue refresh because
    // more saves follow. False when the user cancelled.
    virtual bool Save(bool saveAs, bool deferRefresh) = 0;
    // Asks to save unsaved changes. With remember set and a file behind the
    // document, records the file under "LastOpenedFiles" at the tab's
    // position. False when the user cancelled.
    virtual bool CloseQuery(bool remember) = 0;
    // Refreshes the tab caption and fills the status bar.
    virtual void UpdateStatus() = 0;

    // Web part identity: the full path of the file; "" before the first save.
    virtual std::string FileName() const = 0;
    // Skin identity: the skin name ("Untitled" for a new skin); "" for web parts.
    virtual std::string SkinName() const { return {}; }

    // Moves to the next (or previous) page of the editor's own page control,
    // with wrap-around.
    virtual void CycleInnerPage(bool forward) = 0;
    // Builds the skin (skin editors only; others do nothing).
    virtual void BuildSkin() {}
    // Converts the skin template to XHTML with the layout the user picks
    // (skin editors only; others do nothing).
    virtual void MakeXhtmlCompatible() {}

signals:
    // The editor's close button: the main window closes the active tab once
    // control returns to the event loop (the signal is connected queued).
    void closeTabRequested(QWidget* tab);
};

} // namespace wpe
