#pragma once
// "Make XHTML compatible": how the skin template is laid out when it is
// converted to XHTML in the editor (indent mode, wrap column, indent
// spacing). The choice is kept between runs.

#include "tidy/Tidy.h"

#include <QDialog>

#include <optional>

class QComboBox;
class QSpinBox;

namespace wpe {

class TTidyOptionsForm : public QDialog {
    Q_OBJECT
public:
    explicit TTidyOptionsForm(QWidget* parent = nullptr);

    TTidyFormat Format() const;
    void SetFormat(const TTidyFormat& format);

    // Shows the dialog with the stored choice; the choice (stored again)
    // when the user pressed "&Make", nothing on "&Cancel".
    static std::optional<TTidyFormat> Ask(QWidget* parent);

private:
    QComboBox* indent_;
    QSpinBox* wrap_;
    QSpinBox* spacing_;
};

} // namespace wpe
