#include "shell/EditorFactory.h"

#include "shell/DocumentEditor.h"

namespace wpe {

EditorFactories BuiltInEditorFactories()
{
    EditorFactories f;
#ifdef WPE_HAVE_WEBPART_EDITOR
    f.webPart = &CreateWebPartEditor;
#endif
    f.skin = &CreateSkinEditor;
    return f;
}

} // namespace wpe
