#include "shell/FatalErrors.h"

#include "portal/ErrorHandler.h"

#include <QApplication>
#include <QMessageBox>
#include <QThread>

#include <cstdio>

namespace wpe {

std::string FatalErrorText(const std::string& message)
{
    return "The program has to close because of an error it did not expect:\n" + message;
}

void InstallFatalErrorHandler()
{
    InitErrorHandler([](const std::string& message) {
        std::string text = FatalErrorText(message);
        std::fprintf(stderr, "wpeditor: %s\n", text.c_str());
        std::fflush(stderr);
        // A box needs the user-interface thread and a screen to show on.
        auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
        if (app && QThread::currentThread() == app->thread() && QApplication::platformName() != "offscreen")
            QMessageBox::critical(nullptr, "Error", QString::fromStdString(text));
    });
}

} // namespace wpe
