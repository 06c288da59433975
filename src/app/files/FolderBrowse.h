#pragma once
// The folder browse dialog: the system's folder picker over the calling
// dialog, file-system folders only, starting in the directory when it is set.

#include <string>

namespace wpe {

class TFolderBrowse {
public:
    std::string title;
    std::string directory;

    // True when the user chose a folder, which is then in directory.
    bool Execute();
};

} // namespace wpe
