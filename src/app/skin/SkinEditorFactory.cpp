#include "shell/EditorFactory.h"

#include "skin/SkinFrame.h"

namespace wpe {

std::unique_ptr<IDocumentEditor> CreateSkinEditor(IMainServices& services, QWidget* parent)
{
    return std::make_unique<TSkinFrame>(services, parent);
}

} // namespace wpe
