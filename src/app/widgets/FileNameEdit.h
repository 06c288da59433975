#pragma once
// A file name field with a browse button.

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace wpe {

class FileNameEdit : public QWidget {
    Q_OBJECT
public:
    explicit FileNameEdit(QWidget* parent = nullptr);

    QString FileName() const;
    void SetFileName(const QString& name);
    QLineEdit* Edit() const { return edit_; }

private:
    void Browse();

    QLineEdit* edit_;
    QToolButton* browse_;
};

} // namespace wpe
