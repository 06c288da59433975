#include "shell/Resources.h"

#include <QtGlobal>

#include <mutex>

// Q_INIT_RESOURCE must be used outside any namespace.
static void RegisterIcons()
{
    Q_INIT_RESOURCE(resources);
}

namespace wpe {

void InitAppResources()
{
    static std::once_flag once;
    std::call_once(once, RegisterIcons);
}

} // namespace wpe
