#include "shell/EditorFactory.h"

#include "webpart/NewTabFrame.h"

namespace wpe {

std::unique_ptr<IDocumentEditor> CreateWebPartEditor(IMainServices& services, QWidget* parent) {
    return std::make_unique<TNewTab>(services, parent);
}

} // namespace wpe
