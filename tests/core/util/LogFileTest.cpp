// The server's log: records, rotation, filtering, and the sender.

#include "util/LogFile.h"
#include "util/SendLog.h"

#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

using namespace wpe;
namespace fs = std::filesystem;

namespace {

struct TLogDir {
    fs::path path;
    TLogDir()
    {
        std::random_device device;
        path = fs::temp_directory_path() / ("wpe-log-" + std::to_string(device()));
        fs::create_directories(path);
    }
    ~TLogDir()
    {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

std::vector<std::string> lines(const fs::path& file)
{
    std::ifstream in(file);
    std::vector<std::string> out;
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

} // namespace

TEST(LogFileTest, OneRecordPerLineReadBackAsWritten)
{
    TLogDir dir;
    TLogFile log((dir.path / "x.log").string());
    log.Write("ombrelsvc", "GET / 200");
    log.Write("ombrelsvc", "broken\tpart\r\nsecond line");
    const auto written = lines(dir.path / "x.log");
    ASSERT_EQ(written.size(), 2u);
    const TLogRecord first = ParseLogLine(written[0]);
    EXPECT_EQ(first.source, "ombrelsvc");
    EXPECT_EQ(first.message, "GET / 200");
    EXPECT_EQ(first.time.size(), 23u) << first.time;
    EXPECT_EQ(ParseLogLine(written[1]).message, "broken part  second line");
    EXPECT_EQ(ParseLogLine("no tabs here").message, "no tabs here");
    EXPECT_EQ(ParseLogLine(FormatLogRecord({"t", "s", "m"}) + "\r\n").message, "m");
}

TEST(LogFileTest, RotatesAtTheLimitKeepingTheNewestFiles)
{
    TLogDir dir;
    const fs::path file = dir.path / "x.log";
    TLogFile log(file.string(), 300, 2);
    for (int i = 0; i < 40; ++i)
        log.Write("s", "message number " + std::to_string(i));
    EXPECT_LE(fs::file_size(file), 300u);
    EXPECT_TRUE(fs::exists(dir.path.string() + "/x.log.1"));
    EXPECT_TRUE(fs::exists(dir.path.string() + "/x.log.2"));
    EXPECT_FALSE(fs::exists(dir.path.string() + "/x.log.3"));
    EXPECT_EQ(ParseLogLine(lines(file).back()).message, "message number 39");
    // Nothing is lost between the current file and its first predecessor.
    const auto older = lines(dir.path.string() + "/x.log.1");
    const auto newer = lines(file);
    const int lastOld = std::stoi(ParseLogLine(older.back()).message.substr(15));
    const int firstNew = std::stoi(ParseLogLine(newer.front()).message.substr(15));
    EXPECT_EQ(lastOld + 1, firstNew);
}

TEST(LogFileTest, FilterLooksAtSourceAndMessageWithoutCase)
{
    const TLogRecord r{"2026-12-10 10:00:00.000", "ombrelsvc", "Web part \"news\" failed"};
    EXPECT_TRUE(LogRecordMatches(r, ""));
    EXPECT_TRUE(LogRecordMatches(r, "FAILED"));
    EXPECT_TRUE(LogRecordMatches(r, "ombrel"));
    EXPECT_FALSE(LogRecordMatches(r, "GET"));
}

TEST(SendLogTest, SenderWritesUnderTheSourceNameOnlyOnceAFileIsSet)
{
    TLogDir dir;
    const fs::path file = dir.path / "send.log";
    SendLog("nowhere");
    SetLogSource("tester");
    SetLogFile(file.string());
    EXPECT_EQ(LogFilePath(), file.string());
    SendLog("hello");
    SetLogFile("");
    SendLog("after");
    const auto written = lines(file);
    ASSERT_EQ(written.size(), 1u);
    EXPECT_EQ(ParseLogLine(written[0]).source, "tester");
    EXPECT_EQ(ParseLogLine(written[0]).message, "hello");
    SetLogSource("");
}

TEST(LogTailTest, GivesNewRecordsOnlyAndStartsOverAfterARotation)
{
    TLogDir dir;
    const fs::path file = dir.path / "t.log";
    TLogTail tail(file.string());
    EXPECT_TRUE(tail.Poll().empty()) << "no file yet";
    TLogFile log(file.string(), 200, 1);
    log.Write("s", "one");
    log.Write("s", "two");
    auto first = tail.Poll();
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[1].message, "two");
    EXPECT_TRUE(tail.Poll().empty());
    {
        std::ofstream(file, std::ios::app) << "half a li";
    }
    EXPECT_TRUE(tail.Poll().empty()) << "a line without its end waits";
    {
        std::ofstream(file, std::ios::app) << "ne\n";
    }
    auto joined = tail.Poll();
    ASSERT_EQ(joined.size(), 1u);
    EXPECT_EQ(joined[0].message, "half a line");
    for (int i = 0; i < 10; ++i)
        log.Write("s", "after " + std::to_string(i));
    auto after = tail.Poll();
    ASSERT_FALSE(after.empty());
    EXPECT_EQ(after.back().message, "after 9");
}
