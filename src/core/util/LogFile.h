#pragma once
// A log written as text lines, one record per line, rotated at a size limit:
// when a line would take the file past the limit, "x.log" becomes "x.log.1"
// (the older "x.log.1" becomes "x.log.2", and so on up to the kept count) and
// a new "x.log" begins. Records are "time<TAB>source<TAB>message"; tabs and
// line breaks inside the message become blanks, so one record is one line.

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace wpe {

struct TLogRecord {
    std::string time;     // "2026-12-10 14:55:01.123" (UTC)
    std::string source;   // the program that wrote it
    std::string message;
};

class TLogFile {
public:
    static constexpr std::uintmax_t kDefaultMaxBytes = 1u << 20;
    static constexpr int kDefaultKeep = 3;

    explicit TLogFile(std::string path, std::uintmax_t maxBytes = kDefaultMaxBytes, int keep = kDefaultKeep);

    const std::string& Path() const { return path_; }

    // Appends one record; safe from any thread. A log that cannot be written
    // loses the record rather than stopping the caller.
    void Write(std::string_view source, std::string_view message);

private:
    void rotate();

    std::string path_;
    std::uintmax_t maxBytes_;
    int keep_;
    std::mutex lock_;
};

// One line of a log as a record; a line without the two tabs is all message.
TLogRecord ParseLogLine(std::string_view line);

// The record as a line (without its line end).
std::string FormatLogRecord(const TLogRecord& record);

// True when filter is empty or occurs in the source or message without
// regard to case.
bool LogRecordMatches(const TLogRecord& record, std::string_view filter);

// Follows a log file as it grows: each Poll gives the records written since
// the last one. A file that got smaller (rotated or cleared) is read again
// from its start; a line still being written waits for its line end.
class TLogTail {
public:
    explicit TLogTail(std::string path) : path_(std::move(path)) {}
    std::vector<TLogRecord> Poll();

private:
    std::string path_;
    std::uintmax_t offset_ = 0;
    std::string partial_;
};

// The current time as the log writes it.
std::string LogTimeNow();

} // namespace wpe
