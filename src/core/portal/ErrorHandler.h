#pragma once
// The program's last line of defence for errors nothing else caught.

#include <functional>
#include <string>

namespace wpe {

// Shows or records the message of an error that nothing caught.
using TErrorProcedure = std::function<void(const std::string& message)>;

// Installs report as the handler for uncaught exceptions: when one ends the
// program, report receives its message (or a generic text for an unknown
// exception) before the program aborts. A later call replaces the handler.
void InitErrorHandler(TErrorProcedure report);

// The message that the handler gives for the exception in flight, for
// handlers of the user interface that catch everything themselves.
std::string CurrentExceptionMessage();

} // namespace wpe
