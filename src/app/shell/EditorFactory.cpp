#include "shell/EditorFactory.h"

#include "shell/DocumentEditor.h"

namespace wpe {

EditorFactories BuiltInEditorFactories()
{
    EditorFactories f;
#ifdef WPE_HAVE_WEBPART_EDITOR
    f.webPart = &CreateWebPartEditor;
#endif
    // The skin editor is not part of this build yet.
    return f;
}

} // namespace wpe
