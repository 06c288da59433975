#pragma once
// The program's last word on an error that nothing caught.

#include <string>

namespace wpe {

// What the user is told when an error ends the program.
std::string FatalErrorText(const std::string& message);

// Installs the handler for errors that nothing caught: the message goes to
// the standard error stream and, on the user-interface thread while the
// application runs, into an error box; then the program ends. The entry
// point calls it before anything else.
void InstallFatalErrorHandler();

} // namespace wpe
