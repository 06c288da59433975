#pragma once
// Settings of the log channel to an outside log window. Only configured:
// nothing in this program sends log lines. Safe to call from any thread.

#include <string>
#include <string_view>

namespace wpe {

inline constexpr const char* kDefaultLogReceiverClass = "TLogForm";

// Sets the name under which this program reports; an empty receiver class
// is set back to "TLogForm".
void SetLogSource(std::string_view name);
// The source name; empty until SetLogSource is called.
std::string LogSource();
// The window class of the receiving log window; "TLogForm" from the start.
std::string LogReceiverClass();

} // namespace wpe
