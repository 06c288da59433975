#include "shell/QtDialogs.h"

#include "shell/DialogFilter.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace wpe {
namespace {

QWidget* ParentWindow()
{
    QWidget* w = QApplication::activeModalWidget();
    if (!w)
        w = QApplication::activeWindow();
    return w;
}

QString QtEntry(const FilterEntry& e)
{
    QStringList patterns;
    for (const auto& p : e.patterns)
        patterns << QString::fromStdString(p);
    QString caption = QString::fromStdString(e.caption);
    // Qt reads the patterns from the caption's last parentheses, separated by
    // blanks; a caption that lists them its own way ("*.xml; *.dwp") gets
    // the list rewritten there, any other caption gets it appended.
    int open = caption.lastIndexOf('(');
    if (caption.endsWith(')') && open >= 0)
        caption = caption.left(open).trimmed();
    return caption + " (" + patterns.join(' ') + ")";
}

QMessageBox::Icon IconOf(MsgKind kind)
{
    switch (kind) {
    case MsgKind::Error: return QMessageBox::Critical;
    case MsgKind::Warning: return QMessageBox::Warning;
    case MsgKind::Information: return QMessageBox::Information;
    case MsgKind::Confirmation: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QString TitleOf(MsgKind kind)
{
    switch (kind) {
    case MsgKind::Error: return "Error";
    case MsgKind::Warning: return "Warning";
    case MsgKind::Information: return "Information";
    case MsgKind::Confirmation: return "Confirm";
    }
    return {};
}

} // namespace

QString QtNameFilters(const std::string& filter)
{
    QStringList list;
    for (const auto& e : ParseDialogFilter(filter))
        list << QtEntry(e);
    return list.join(";;");
}

QString QtSelectedFilter(const std::string& filter, int filterIndex)
{
    auto entries = ParseDialogFilter(filter);
    if (filterIndex < 1 || filterIndex > static_cast<int>(entries.size()))
        return {};
    return QtEntry(entries[filterIndex - 1]);
}

MsgResult QtDialogs::Ask(MsgKind kind, const std::string& text, MsgButtons buttons)
{
    // Texts written with CR LF line ends break lines like any other text.
    QString shown = QString::fromStdString(text).replace("\r\n", "\n");
    QMessageBox box(IconOf(kind), TitleOf(kind), shown, QMessageBox::NoButton, ParentWindow());
    box.setObjectName("MessageBox");
    switch (buttons) {
    case MsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MsgButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    case MsgButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok: return MsgResult::Ok;
    case QMessageBox::Yes: return MsgResult::Yes;
    case QMessageBox::No: return MsgResult::No;
    default: break;
    }
    // Closing the box with Escape or its close button counts as the safest answer.
    if (buttons == MsgButtons::Ok)
        return MsgResult::Ok;
    if (buttons == MsgButtons::YesNo)
        return MsgResult::No;
    return MsgResult::Cancel;
}

std::optional<std::string> QtDialogs::ChooseOpenFile(const FileDialogOptions& o)
{
    QFileDialog dialog(ParentWindow(), QString::fromStdString(o.title.empty() ? "Open" : o.title),
                       QString::fromStdString(o.initialDir));
    dialog.setObjectName("OpenDialog");
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(QtNameFilters(o.filter));
    if (QString f = QtSelectedFilter(o.filter, o.filterIndex); !f.isEmpty())
        dialog.selectNameFilter(f);
    if (!o.fileName.empty())
        dialog.selectFile(QString::fromStdString(o.fileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

std::optional<std::string> QtDialogs::ChooseSaveFile(const FileDialogOptions& o)
{
    QFileDialog dialog(ParentWindow(), QString::fromStdString(o.title.empty() ? "Save As" : o.title),
                       QString::fromStdString(o.initialDir));
    dialog.setObjectName("SaveDialog");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QtNameFilters(o.filter));
    if (QString f = QtSelectedFilter(o.filter, o.filterIndex); !f.isEmpty())
        dialog.selectNameFilter(f);
    dialog.setDefaultSuffix(QString::fromStdString(o.defaultExt));
    if (!o.fileName.empty())
        dialog.selectFile(QString::fromStdString(o.fileName));
    // The Qt dialog asks before replacing an existing file.
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

std::optional<std::string> QtDialogs::ChooseFolder(const std::string& title, const std::string& initialDir)
{
    QString dir = QFileDialog::getExistingDirectory(ParentWindow(), QString::fromStdString(title),
                                                    QString::fromStdString(initialDir));
    if (dir.isEmpty())
        return std::nullopt;
    return dir.toStdString();
}

} // namespace wpe
