#pragma once
// The "Settings" dialog: the five user options, kept under the settings key.
// The stored values are loaded when the dialog is created and each time it
// is shown; OK keeps the changes, Cancel reloads the stored values; the
// values are written each time the dialog closes and when it is released.

#include "shell/Options.h"

#include <QDialog>

class QCheckBox;

namespace wpe {

class FileNameEdit;
class ISettingsStore;

class TOptionsForm : public QDialog {
    Q_OBJECT
public:
    explicit TOptionsForm(ISettingsStore& store, QWidget* parent = nullptr);
    ~TOptionsForm() override;

    // The options as the dialog holds them now.
    TOptions Options() const;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void LoadStored();
    void Store();

    ISettingsStore& store_;
    QCheckBox* optRestoreFiles_;
    QCheckBox* optRestoreFolder_;
    FileNameEdit* optHTMLEditor_;
    FileNameEdit* optCSSEditor_;
    QCheckBox* optCreateWebletArchive_;
};

} // namespace wpe
