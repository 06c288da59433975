#pragma once
// Which file of the portal a request path names. Only two folders are ever
// served: the skins ("/SKINS/<skin>/...", first step without regard to case)
// and the portal's own static files (everything else, from PORTAL/). Nothing
// outside them can be reached: "..", backslashes, drive names, control
// characters, hidden names and links that lead out of the folder are refused.

#include <string>
#include <string_view>

namespace wpe {

enum class TServedKind {
    File,       // path holds the file to send
    Forbidden,  // the request tries to leave the served folders
    NotFound,   // a well-formed request for a file that does not exist
};

struct TServedFile {
    TServedKind kind = TServedKind::NotFound;
    std::string path;    // the file, when kind is File
    std::string reason;  // for the log, when refused
};

// requestPath is the decoded path of the request ("/SKINS/Ocean/skin.css").
TServedFile ResolveServedFile(const std::string& portalRoot, std::string_view requestPath);

// The media type of a file name by its extension; "application/octet-stream"
// for unknown ones.
std::string MediaTypeOf(std::string_view fileName);

} // namespace wpe
