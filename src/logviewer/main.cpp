// logexternal, the log viewer: shows a log file live, with a filter.
//   logexternal [<log file>]    (default: ombrelsvc.log in the working folder)

#include "LogViewer.h"

#include <QApplication>
#include <QDir>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Log Viewer");
    const QStringList args = QApplication::arguments();
    const QString file = args.size() > 1 ? args.at(1) : QDir::current().filePath("ombrelsvc.log");
    wpe::TLogViewer viewer(file);
    viewer.show();
    return app.exec();
}
