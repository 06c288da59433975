#include "util/LogFile.h"
#include "util/PlatformTime.h"

#include "util/FastStrings.h"
#include "util/PlatformTime.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <algorithm>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace wpe {

namespace {

std::string oneLine(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        if (c == '\t' || c == '\r' || c == '\n')
            c = ' ';
    return out;
}

} // namespace

std::string LogTimeNow()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm parts{};
    platform::UtcTime(seconds, parts);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d.%03d", parts.tm_year + 1900, parts.tm_mon + 1,
                  parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec, static_cast<int>(millis));
    return buffer;
}

TLogFile::TLogFile(std::string path, std::uintmax_t maxBytes, int keep)
    : path_(std::move(path)), maxBytes_(maxBytes == 0 ? kDefaultMaxBytes : maxBytes), keep_(keep < 1 ? 1 : keep)
{
}

void TLogFile::rotate()
{
    std::error_code ec;
    fs::remove(fs::path(path_ + "." + std::to_string(keep_)), ec);
    for (int i = keep_ - 1; i >= 1; --i)
        fs::rename(fs::path(path_ + "." + std::to_string(i)), fs::path(path_ + "." + std::to_string(i + 1)), ec);
    fs::rename(fs::path(path_), fs::path(path_ + ".1"), ec);
}

void TLogFile::Write(std::string_view source, std::string_view message)
{
    const std::string line = FormatLogRecord({LogTimeNow(), std::string(source), std::string(message)}) + "\n";
    std::lock_guard guard(lock_);
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(fs::path(path_), ec);
    if (!ec && size > 0 && size + line.size() > maxBytes_)
        rotate();
    std::ofstream out(path_, std::ios::binary | std::ios::app);
    out << line;
}

TLogRecord ParseLogLine(std::string_view line)
{
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.remove_suffix(1);
    const std::size_t first = line.find('\t');
    const std::size_t second = first == std::string_view::npos ? first : line.find('\t', first + 1);
    if (second == std::string_view::npos)
        return {{}, {}, std::string(line)};
    return {std::string(line.substr(0, first)), std::string(line.substr(first + 1, second - first - 1)),
            std::string(line.substr(second + 1))};
}

std::string FormatLogRecord(const TLogRecord& record)
{
    return oneLine(record.time) + "\t" + oneLine(record.source) + "\t" + oneLine(record.message);
}

bool LogRecordMatches(const TLogRecord& record, std::string_view filter)
{
    if (filter.empty())
        return true;
    return FindPos(filter, record.message, false, true, 1) != 0 || FindPos(filter, record.source, false, true, 1) != 0;
}

std::vector<TLogRecord> TLogTail::Poll()
{
    std::vector<TLogRecord> records;
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(fs::path(path_), ec);
    if (ec)
        return records;
    if (size < offset_) {
        offset_ = 0;
        partial_.clear();
    }
    if (size == offset_)
        return records;
    std::ifstream in(path_, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(offset_));
    // A bounded read per poll keeps a huge log from freezing its viewer.
    const std::uintmax_t want = std::min<std::uintmax_t>(size - offset_, 4u << 20);
    std::string chunk(static_cast<std::size_t>(want), '\0');
    in.read(chunk.data(), static_cast<std::streamsize>(want));
    chunk.resize(static_cast<std::size_t>(in.gcount()));
    offset_ += chunk.size();
    partial_ += chunk;
    std::size_t start = 0;
    for (std::size_t end = partial_.find('\n'); end != std::string::npos; end = partial_.find('\n', start)) {
        records.push_back(ParseLogLine(std::string_view(partial_).substr(start, end - start)));
        start = end + 1;
    }
    partial_.erase(0, start);
    return records;
}

} // namespace wpe
