#pragma once
// The program's command line: options and the files to open once the main
// window is up, and the message that hands those files to a copy already
// running.

#include <string>
#include <string_view>
#include <vector>

namespace wpe {

struct TCommandLine {
    std::vector<std::string> files;  // as given, in order
    bool traceStartup = false;       // "--trace-startup": each start-up step on standard error
    bool exitAfterStart = false;     // "--exit-after-start": close as soon as the window is shown
};

// args[0] is the program. "--portal <dir>" and "--portal=<dir>" belong to
// the portal lookup and are skipped here; other arguments starting with "-"
// are options (unknown ones are ignored; the window system's options that
// take a value skip it); after "--" everything is a file.
TCommandLine ParseCommandLine(const std::vector<std::string>& args);

// The files handed to a running copy: absolute paths, one per line.
std::string EncodeHandOver(const std::vector<std::string>& paths);
// The paths of a hand-over message; empty lines are dropped.
std::vector<std::string> DecodeHandOver(std::string_view message);

} // namespace wpe
