#pragma once
// Where the program finds its data files and its portal.

#include <string>
#include <vector>

namespace wpe {

// Folders that may hold the shipped data files and sample portal, in order:
// the program's folder, the installed share folder, the source tree's data
// folder (for a build tree).
std::vector<std::string> ShippedDataFolders();

// ProgramDir: the program's folder when it is writable, else the per-user
// data folder; missing data files are copied in from the shipped ones.
std::string ResolveProgramDir();

// The portal root from "--portal <dir>", WPE_PORTAL_DIR, or the per-user
// copy of the sample portal. Raises a clear error when none is usable.
std::string ResolvePortalRootFromArgs(int argc, const char* const* argv);

// Sets the Qt WebEngine switches it needs to run as root (no sandbox, no
// GPU). Nothing changes for other users. Call before the application exists.
void PrepareWebEngineEnvironment();

} // namespace wpe
