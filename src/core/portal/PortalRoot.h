#pragma once
// Finding the portal folder the program works on.

#include <string>

namespace wpe {

// Where a portal folder may come from, in order of precedence.
struct TPortalRootSources {
    std::string option;       // the command-line option "--portal <dir>"
    std::string environment;  // the environment variable WPE_PORTAL_DIR
    std::string userPortal;   // the per-user copy, made on first start
    std::string sample;       // the sample portal shipped with the program
};

// The portal root: the option when given, else the environment variable, else
// the per-user copy, which is first made from the sample when it does not
// exist yet. The copy is made beside its place and renamed into it, so an
// interrupted first start leaves no half portal behind. A folder that is
// named but missing, or a missing sample, raises a clear error.
std::string ResolvePortalRoot(const TPortalRootSources& sources);

// The per-user portal folder: dataHome + "/Ombrelio/portal" where dataHome is
// xdgDataHome, else home + "/.local/share". Empty when both are empty.
std::string DefaultUserPortalFolder(const std::string& xdgDataHome, const std::string& home);

// The value of "--portal <dir>" or "--portal=<dir>" among the arguments
// (argv[0] is the program); "" when absent. A "--portal" without a value
// raises an error.
std::string PortalOptionFromArgs(int argc, const char* const* argv);

// The sources of this process: the option among its arguments, the variable
// WPE_PORTAL_DIR, the per-user folder from XDG_DATA_HOME or HOME, and the
// given sample folder.
TPortalRootSources PortalRootSourcesOfProcess(int argc, const char* const* argv, const std::string& sample);

} // namespace wpe
