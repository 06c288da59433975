#include "portal/ErrorHandler.h"

#include <cstdlib>
#include <exception>
#include <mutex>

namespace wpe {

namespace {

std::mutex handlerMutex;
TErrorProcedure& installedProcedure()
{
    static TErrorProcedure procedure;
    return procedure;
}

[[noreturn]] void onTerminate()
{
    TErrorProcedure report;
    {
        std::lock_guard lock(handlerMutex);
        report = installedProcedure();
    }
    if (report) {
        try {
            report(CurrentExceptionMessage());
        } catch (...) {
            // A failing reporter must not hide the original abort.
        }
    }
    std::abort();
}

} // namespace

void InitErrorHandler(TErrorProcedure report)
{
    {
        std::lock_guard lock(handlerMutex);
        installedProcedure() = std::move(report);
    }
    std::set_terminate(onTerminate);
}

std::string CurrentExceptionMessage()
{
    const std::exception_ptr current = std::current_exception();
    if (!current)
        return "The program stopped because of an internal error";
    try {
        std::rethrow_exception(current);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "Unknown error";
    }
}

} // namespace wpe
