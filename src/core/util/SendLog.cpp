#include "util/SendLog.h"

#include <mutex>

namespace wpe {

namespace {

struct LogChannel {
    std::mutex lock;
    std::string source;
    std::string receiverClass = kDefaultLogReceiverClass;
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

} // namespace wpe
