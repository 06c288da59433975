#include "files/FolderBrowse.h"

#include "util/Dialogs.h"

namespace wpe {

bool TFolderBrowse::Execute()
{
    std::optional<std::string> chosen = Dialogs().ChooseFolder(title, directory);
    if (!chosen || chosen->empty())
        return false;
    directory = *chosen;
    return true;
}

} // namespace wpe
