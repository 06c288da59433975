#include "shell/CommandLine.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace wpe {

namespace {

// Options of the toolkit's window system layer that take a value; their
// values are not files.
bool TakesValue(std::string_view option)
{
    static constexpr std::array<std::string_view, 14> kWithValue = {
        "-platform", "-platformpluginpath", "-platformtheme", "-plugin", "-style", "-stylesheet", "-session",
        "-display", "-geometry", "-title", "-name", "-qwindowgeometry", "-qwindowicon", "-qwindowtitle"};
    if (option.size() > 2 && option.substr(0, 2) == "--")
        option.remove_prefix(1);
    return std::find(kWithValue.begin(), kWithValue.end(), option) != kWithValue.end();
}

} // namespace

TCommandLine ParseCommandLine(const std::vector<std::string>& args)
{
    TCommandLine line;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnded || a.empty() || a[0] != '-' || a == "-") {
            if (!a.empty())
                line.files.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
        } else if (a == "--portal") {
            ++i;  // its value
        } else if (a == "--trace-startup") {
            line.traceStartup = true;
        } else if (a == "--exit-after-start") {
            line.exitAfterStart = true;
        } else if (TakesValue(a)) {
            ++i;
        }
    }
    return line;
}

std::string EncodeHandOver(const std::vector<std::string>& paths)
{
    std::string message;
    for (const std::string& p : paths) {
        if (p.empty() || p.find('\n') != std::string::npos)
            continue;  // a path with a line break cannot travel in this message
        message += p;
        message += '\n';
    }
    return message;
}

std::vector<std::string> DecodeHandOver(std::string_view message)
{
    std::vector<std::string> paths;
    while (!message.empty()) {
        std::size_t end = message.find('\n');
        std::string_view line = message.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!line.empty())
            paths.emplace_back(line);
        if (end == std::string_view::npos)
            break;
        message.remove_prefix(end + 1);
    }
    return paths;
}

} // namespace wpe
