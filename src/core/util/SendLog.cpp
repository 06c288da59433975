#include "util/SendLog.h"

#include "util/LogFile.h"

#include <memory>

#include <mutex>

namespace wpe {

namespace {

struct LogChannel {
    std::mutex lock;
    std::string source;
    std::string receiverClass = kDefaultLogReceiverClass;
    std::shared_ptr<TLogFile> file;
};

LogChannel& channel()
{
    static LogChannel instance;
    return instance;
}

} // namespace

void SetLogSource(std::string_view name)
{
    LogChannel& c = channel();
    std::lock_guard guard(c.lock);
    c.source = name;
    if (c.receiverClass.empty())
        c.receiverClass = kDefaultLogReceiverClass;
}

std::string LogSource()
{
    LogChannel& c = channel();
    std::lock_guard guard(c.lock);
    return c.source;
}

std::string LogReceiverClass()
{
    LogChannel& c = channel();
    std::lock_guard guard(c.lock);
    return c.receiverClass;
}

void SetLogFile(const std::string& path, std::uintmax_t maxBytes)
{
    LogChannel& c = channel();
    std::lock_guard guard(c.lock);
    c.file = path.empty() ? nullptr : std::make_shared<TLogFile>(path, maxBytes);
}

std::string LogFilePath()
{
    LogChannel& c = channel();
    std::lock_guard guard(c.lock);
    return c.file ? c.file->Path() : std::string();
}

void SendLog(std::string_view message)
{
    std::shared_ptr<TLogFile> file;
    std::string source;
    {
        LogChannel& c = channel();
        std::lock_guard guard(c.lock);
        file = c.file;
        source = c.source;
    }
    // The file has its own lock; writing outside the channel's keeps senders apart.
    if (file)
        file->Write(source, message);
}

} // namespace wpe
