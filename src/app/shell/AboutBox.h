#pragma once
// The about box. Without a frame it is the splash shown during start-up,
// with two progress lines; as a dialog it shows the version and an OK button.

#include <QDialog>

#include <string>

class QLabel;
class QPushButton;
class QFrame;

namespace wpe {

class TVersionInfo;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Splash, Dialog };

    TAboutBox(Mode mode, const TVersionInfo& version, QWidget* parent = nullptr);
    ~TAboutBox() override;

    // Shows the splash and waits (briefly) until the window system has
    // mapped it, so it is painted before the start-up keeps the program busy.
    void ShowSplash();
    // Splash line 1: the current start-up step.
    void SetOperation(const QString& text);
    // Splash line 2: the path being processed, shortened to fit the line;
    // painted with the next repaint of the splash.
    void SetProgressPath(const std::string& path);
    // Paints the progress line now, while the event loop is busy loading.
    void PaintProgress();

    QLabel* OperationLabel() const { return lblOperation_; }
    QLabel* ProgressLabel() const { return lblProgress_; }

private:
    QFrame* mainPanel_;
    QLabel* lblOperation_;
    QLabel* lblProgress_;
    QPushButton* okButton_;
};

// The about box that progress reports go to; nullptr when none exists.
TAboutBox* ProgressTarget();
// Makes box the target of progress reports (nullptr clears it).
void SetProgressTarget(TAboutBox* box);

// Shows path on the splash's progress line while an about box exists, then
// lets the event queue run once.
void ProgressCallback(const std::string& path);
// Shows text on the splash's operation line while an about box exists.
void ShowStartupStep(const QString& text);

// This program's version strings as the build set them.
TVersionInfo ProgramVersionInfo();

} // namespace wpe
