// The caption as an X11 window manager sees it: the real program under a
// virtual X server, its title read back with xwininfo. Qt adds to what
// windowTitle() holds on some platforms, so only the server can tell.

#include "EditorProgram.h"
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace wpe::test {
namespace {

TEST(CaptionOnX11, IsExactlyWhatTheStatusBarServiceSets)
{
    const QString xvfb = QStandardPaths::findExecutable("xvfb-run");
    const QString xwininfo = QStandardPaths::findExecutable("xwininfo");
    if (xvfb.isEmpty() || xwininfo.isEmpty())
        GTEST_SKIP() << "needs xvfb-run and xwininfo";

    // Folders of its own, so that the program's lock and settings are not
    // shared with anything else on the machine.
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    for (const char* sub : {"run", "config", "data"})
        ASSERT_TRUE(QDir(home.path()).mkpath(sub));
    QFile::setPermissions(home.filePath("run"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", home.filePath("run"));
    env.insert("XDG_CONFIG_HOME", home.filePath("config"));
    env.insert("XDG_DATA_HOME", home.filePath("data"));
    env.remove("QT_QPA_PLATFORM");
    env.insert("WPE_PROGRAM", WPE_EDITOR_PROGRAM);

    // Waits (bounded) for the main window's title, prints it and ends the program.
    const QString script =
        "\"$WPE_PROGRAM\" >/dev/null 2>&1 & p=$!\n"
        "for i in $(seq 1 120); do\n"
        "  t=$(xwininfo -root -tree | grep -o '\"Ombrelio Developer Toolkit - [^\"]*\"' | head -n 1)\n"
        "  if [ -n \"$t\" ]; then echo \"$t\"; break; fi\n"
        "  sleep 0.5\n"
        "done\n"
        "kill $p 2>/dev/null; wait $p 2>/dev/null; exit 0\n";
    QProcess run;
    run.setProcessEnvironment(env);
    run.start(xvfb, {"-a", "-s", "-screen 0 1024x768x24", "sh", "-c", script});
    ASSERT_TRUE(run.waitForFinished(120000)) << "the program did not show its window in time";
    const QString title = QString::fromUtf8(run.readAllStandardOutput()).trimmed();
    ASSERT_FALSE(title.isEmpty()) << "no window titled by the program";
    EXPECT_TRUE(QRegularExpression("^\"Ombrelio Developer Toolkit - \\[[^\\]]*\\]\"$").match(title).hasMatch())
        << title.toStdString();
}

} // namespace
} // namespace wpe::test
