#pragma once
// Settings of the log channel to an outside log window, and a sender that
// writes lines to a log file under the source name (used by the portal
// server; the editor only configures the channel). Safe from any thread.

#include <cstdint>
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

// Directs SendLog to the log file at path (rotated at maxBytes); an empty
// path stops sending.
void SetLogFile(const std::string& path, std::uintmax_t maxBytes = 1u << 20);
// The file SendLog writes to; empty when none is set.
std::string LogFilePath();
// Writes message to the log file under the source name; nothing when no file
// is set.
void SendLog(std::string_view message);

} // namespace wpe
