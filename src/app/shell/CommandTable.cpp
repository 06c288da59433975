#include "shell/CommandTable.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QToolBar>

namespace wpe {

QAction* TCommandTable::Add(QMenu* menu, const char* name, const QString& caption, const QString& icon)
{
    auto* action = new QAction(caption, parent());
    action->setObjectName(name);
    if (!icon.isEmpty())
        action->setIcon(QIcon(":/icons/" + icon + ".svg"));
    if (menu)
        menu->addAction(action);
    return action;
}

TCommandTable::TCommandTable(QMainWindow* window) : QObject(window)
{
    QMenuBar* bar = window->menuBar();
    bar->setObjectName("MainMenu");

    QMenu* file = bar->addMenu("&File");
    file->setObjectName("mnuFile");
    miNew = Add(file, "miNew", "&New...", "new");
    miNew->setShortcut(QKeySequence("Ctrl+N"));
    miNewWebPart = Add(file, "miNewWebPart", "New WebPart", "webpart");
    miNewSkin = Add(file, "miNewSkin", "New Skin", "skin");
    miOpen = Add(file, "miOpen", "&Open...", "open");
    miOpen->setShortcut(QKeySequence("Ctrl+O"));
    miReopen = file->addMenu("&Reopen");
    miReopen->setObjectName("miReopen");
    miReopen->setEnabled(false);
    file->addSeparator();
    miSave = Add(file, "miSave", "&Save", "save");
    miSave->setShortcut(QKeySequence("Ctrl+S"));
    miSaveAs = Add(file, "miSaveAs", "Save &As...");
    miSaveAll = Add(file, "miSaveAll", "Sa&ve All", "saveall");
    file->addSeparator();
    miClose = Add(file, "miClose", "&Close", "close");
    miClose->setShortcut(QKeySequence("Ctrl+W"));
    miCloseAll = Add(file, "miCloseAll", "C&lose All");
    file->addSeparator();
    miImportSkin = Add(file, "miImportSkin", "Import skin from template...");
    file->addSeparator();
    miExit = Add(file, "miExit", "E&xit");

    QMenu* edit = bar->addMenu("&Edit");
    edit->setObjectName("mnuEdit");
    miUndo = Add(edit, "miUndo", "&Undo", "undo");
    miRedo = Add(edit, "miRedo", "&Redo");
    miRedo->setVisible(false);
    edit->addSeparator();
    miCut = Add(edit, "miCut", "Cu&t", "cut");
    miCopy = Add(edit, "miCopy", "&Copy", "copy");
    miPaste = Add(edit, "miPaste", "&Paste", "paste");
    miDelete = Add(edit, "miDelete", "&Delete", "delete");
    edit->addSeparator();
    miSelectAll = Add(edit, "miSelectAll", "Select &All");

    QMenu* options = bar->addMenu("&Options");
    options->setObjectName("mnuOptions");
    miOptions = Add(options, "miOptions", "Options...");

    QMenu* actions = bar->addMenu("&Actions");
    actions->setObjectName("mnuActions");
    miBuildPortal = Add(actions, "miBuildPortal", "&Build portal");
    miBuildPortal->setShortcut(QKeySequence("Ctrl+F9"));
    miExportPortal = Add(actions, "miExportPortal", "E&xport portal...");
    miBuildAndView = Add(actions, "miBuildAndView", "Build and &view", "view");
    miBuildAndView->setShortcut(QKeySequence("F9"));
    actions->addSeparator();
    miBuildSkin = Add(actions, "miBuildSkin", "Build &skin", "buildskin");
    miMakeXhtml = Add(actions, "miMakeXhtml", "&Make XHTML compatible");
    actions->addSeparator();
    miRunLogViewer = Add(actions, "miRunLogViewer", "Run &Log Viewer");

    QMenu* view = bar->addMenu("&View");
    view->setObjectName("mnuView");
    miToolbar = Add(view, "miToolbar", "&Toolbar");
    miToolbar->setCheckable(true);
    miToolbar->setChecked(true);
    miFileManager = Add(view, "miFileManager", "&File Manager");
    miFileManager->setCheckable(true);
    miFileManager->setChecked(true);
    miFileManager->setShortcut(QKeySequence("F3"));
    view->addSeparator();
    miNextTopTab = Add(view, "miNextTopTab", "Next Top Tab");
    miNextTopTab->setShortcut(QKeySequence("F12"));
    miPrevTopTab = Add(view, "miPrevTopTab", "Previous Top Tab");
    miPrevTopTab->setShortcut(QKeySequence("Ctrl+F12"));

    QMenu* help = bar->addMenu("&Help");
    help->setObjectName("mnuHelp");
    miHistory = Add(help, "miHistory", "History of changes");
    miHistory->setVisible(false);
    miAbout = Add(help, "miAbout", "&About");

    tbSave = Add(nullptr, "tbSave", "Save", "save");
    tbDelete = Add(nullptr, "tbDelete", "Delete", "delete");
    tbViewInBrowser = Add(nullptr, "tbViewInBrowser", "View in browser", "view");

    toolBar = new QToolBar("Toolbar", window);
    toolBar->setObjectName("ToolBar");
    toolBar->setMovable(false);
    toolBar->setIconSize(QSize(20, 20));
    toolBar->addAction(miNew);
    toolBar->addAction(miOpen);
    toolBar->addAction(tbSave);
    toolBar->addAction(miSaveAll);
    toolBar->addAction(miClose);
    toolBar->addSeparator();
    toolBar->addAction(miCut);
    toolBar->addAction(miCopy);
    toolBar->addAction(miPaste);
    toolBar->addAction(tbDelete);
    toolBar->addAction(miUndo);
    toolBar->addSeparator();
    // The toolbar's "Build portal" button is hidden, so it is left out.
    toolBar->addAction(tbViewInBrowser);
    toolBar->addAction(miBuildSkin);
    window->addToolBar(Qt::TopToolBarArea, toolBar);
}

void RunEditCommand(EditCommand command)
{
    QWidget* w = QApplication::focusWidget();
    if (!w)
        return;
    QsciScintilla* sci = qobject_cast<QsciScintilla*>(w);
    if (!sci && w->parentWidget())
        sci = qobject_cast<QsciScintilla*>(w->parentWidget());
    if (sci) {
        switch (command) {
        case EditCommand::Undo: sci->undo(); break;
        case EditCommand::Redo: sci->redo(); break;
        case EditCommand::Cut: sci->cut(); break;
        case EditCommand::Copy: sci->copy(); break;
        case EditCommand::Paste: sci->paste(); break;
        case EditCommand::Delete: sci->removeSelectedText(); break;
        case EditCommand::SelectAll: sci->selectAll(); break;
        }
        return;
    }
    if (auto* line = qobject_cast<QLineEdit*>(w)) {
        switch (command) {
        case EditCommand::Undo: line->undo(); break;
        case EditCommand::Redo: line->redo(); break;
        case EditCommand::Cut: line->cut(); break;
        case EditCommand::Copy: line->copy(); break;
        case EditCommand::Paste: line->paste(); break;
        case EditCommand::Delete: line->del(); break;
        case EditCommand::SelectAll: line->selectAll(); break;
        }
        return;
    }
    auto apply = [command](auto* text) {
        switch (command) {
        case EditCommand::Undo: text->undo(); break;
        case EditCommand::Redo: text->redo(); break;
        case EditCommand::Cut: text->cut(); break;
        case EditCommand::Copy: text->copy(); break;
        case EditCommand::Paste: text->paste(); break;
        case EditCommand::Delete:
            if (!text->isReadOnly())
                text->textCursor().removeSelectedText();
            break;
        case EditCommand::SelectAll: text->selectAll(); break;
        }
    };
    if (auto* text = qobject_cast<QTextEdit*>(w))
        apply(text);
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(w))
        apply(plain);
}

} // namespace wpe
