#pragma once
// The main window's commands: every menu entry and toolbar button with its
// caption, shortcut and objectName. The main window connects them to its
// operations; the table itself only builds them.

#include <QObject>

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;

namespace wpe {

class TCommandTable : public QObject {
    Q_OBJECT
public:
    // Builds the menu bar and the toolbar of window.
    explicit TCommandTable(QMainWindow* window);

    // File
    QAction* miNew;
    QAction* miNewWebPart;
    QAction* miNewSkin;
    QAction* miOpen;
    QMenu* miReopen;
    QAction* miSave;
    QAction* miSaveAs;
    QAction* miSaveAll;
    QAction* miClose;
    QAction* miCloseAll;
    QAction* miImportSkin;
    QAction* miExit;
    // Edit
    QAction* miUndo;
    QAction* miRedo;
    QAction* miCut;
    QAction* miCopy;
    QAction* miPaste;
    QAction* miDelete;
    QAction* miSelectAll;
    // Options
    QAction* miOptions;
    // Actions
    QAction* miBuildPortal;
    QAction* miExportPortal;
    QAction* miBuildAndView;
    QAction* miBuildSkin;
    QAction* miMakeXhtml;
    QAction* miRunLogViewer;
    // View
    QAction* miToolbar;
    QAction* miFileManager;
    QAction* miNextTopTab;
    QAction* miPrevTopTab;
    // Help
    QAction* miHistory;
    QAction* miAbout;
    // Toolbar-only buttons. The toolbar's Save has its own action: only it
    // follows the modified flag, while "&Save" and Ctrl+S stay available.
    QAction* tbSave;
    QAction* tbDelete;
    QAction* tbViewInBrowser;

    QToolBar* toolBar;

private:
    QAction* Add(QMenu* menu, const char* name, const QString& caption, const QString& icon = {});
};

// The standard edit commands on the focused edit control (a one-line edit,
// a text edit or a source editor); nothing for other controls.
enum class EditCommand { Undo, Redo, Cut, Copy, Paste, Delete, SelectAll };
void RunEditCommand(EditCommand command);

} // namespace wpe
