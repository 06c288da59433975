#pragma once
// The "desk.xml" page of the Portal tab: the desk file as XML source. It is
// loaded each time the page is shown, saved by "&Save" and asked about when
// the page is left (or the program ends) with unsaved changes.

#include <QWidget>

#include <functional>
#include <string>

class QsciScintilla;

namespace wpe {

class TMainStatusBar;

class TDeskSourcePage : public QWidget {
    Q_OBJECT
public:
    // refreshZones runs after a save and returns why the zones could not be
    // read ("" when they were).
    TDeskSourcePage(std::function<std::string()> refreshZones, QWidget* parent = nullptr);

    QsciScintilla* Editor() const { return editor_; }
    const std::string& FilePath() const { return path_; }
    bool Modified() const;

    // Loads the file and remembers its path; "Cannot load desk.xml" when it
    // cannot be read (the editor is then empty and unmodified).
    void LoadFile(const std::string& path);
    // "&Save": writes the source when it is modified, then reloads the zones.
    // False when it could not be written (the source stays modified).
    bool Save();
    // Leaving the page: asks about unsaved changes. False on Cancel.
    bool QueryLeave();
    // The status bar while the page is active: path, modified, caret, mode.
    void FillStatus(TMainStatusBar& bar) const;

signals:
    // The caret, the insert mode or the modified state changed.
    void statusChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<std::string()> refreshZones_;
    QsciScintilla* editor_;
    std::string path_;
};

} // namespace wpe
