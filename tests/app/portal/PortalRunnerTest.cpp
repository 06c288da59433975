// Starting the portal server, the browser and the log viewer: what would run.

#include "portal/PortalRunner.h"
#include "portal/ServerLock.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <vector>

using namespace wpe;

namespace {

struct TStarts {
    std::vector<QStringList> started;   // program followed by its arguments
    std::vector<QUrl> opened;

    TLauncher launcher()
    {
        TLauncher l;
        l.start = [this](const QString& program, const QStringList& args, const QString&) {
            started.push_back(QStringList{program} + args);
            return true;
        };
        l.open = [this](const QUrl& url) {
            opened.push_back(url);
            return true;
        };
        return l;
    }
};

class PortalRunnerTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(root() + "/PORTAL"); }
    std::string root() const { return dir_.path().toStdString(); }

    QTemporaryDir dir_;
    TStarts starts_;
};

} // namespace

TEST_F(PortalRunnerTest, BuildAndViewWithARunningServerStartsNoSecondOne)
{
    TPortalServerLock running;
    ASSERT_TRUE(running.TryAcquire(PortalServerLockFile(root())));
    TPortalRunner runner(root(), "/opt/kit", starts_.launcher());
    runner.ViewPortalInBrowser("http://127.0.0.1:8180/");
    runner.ViewPortalInBrowser("http://127.0.0.1:8180/");
    EXPECT_TRUE(starts_.started.empty());
    ASSERT_EQ(starts_.opened.size(), 2u);
    EXPECT_EQ(starts_.opened[0], QUrl("http://127.0.0.1:8180/"));
}

TEST_F(PortalRunnerTest, AFreeLockStartsTheServerFromTheProgramsFolderForThisPortal)
{
    TPortalRunner runner(root(), "/opt/kit", starts_.launcher());
    EXPECT_TRUE(runner.EnsurePortalServer());
    ASSERT_EQ(starts_.started.size(), 1u);
    EXPECT_EQ(starts_.started[0].at(0), "/opt/kit/ombrelsvc");
    EXPECT_EQ(starts_.started[0].at(1), "--portal");
    EXPECT_TRUE(starts_.started[0].at(2).startsWith(QString::fromStdString(root())));

    // A portal whose lock cannot even be tested counts as served: nothing starts.
    TPortalRunner broken(root() + "/missing", "/opt/kit", starts_.launcher());
    EXPECT_FALSE(broken.EnsurePortalServer());
    EXPECT_EQ(starts_.started.size(), 1u);
}

TEST_F(PortalRunnerTest, TheLogViewerGetsTheServersLog)
{
    TPortalRunner runner(root(), "/opt/kit", starts_.launcher());
    runner.RunLogViewer();
    ASSERT_EQ(starts_.started.size(), 1u);
    EXPECT_EQ(starts_.started[0].at(0), "/opt/kit/logexternal");
    EXPECT_TRUE(starts_.started[0].at(1).endsWith("BIN/ombrelsvc.log"));
}
