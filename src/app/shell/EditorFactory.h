#pragma once
// How the main window gets editors for its document tabs. The web part
// editor defines CreateWebPartEditor in src/app/webpart/WebPartEditorFactory.cpp;
// the build sets WPE_HAVE_WEBPART_EDITOR when that file exists. Tests hand
// the main window their own factories.

#include <functional>
#include <memory>

class QWidget;

namespace wpe {

class IDocumentEditor;
class IMainServices;

using EditorFactory = std::function<std::unique_ptr<IDocumentEditor>(IMainServices&, QWidget* parent)>;

struct EditorFactories {
    EditorFactory webPart;  // empty: web part editing is not available
    EditorFactory skin;
};

// A web part editor inside parent, working through services.
std::unique_ptr<IDocumentEditor> CreateWebPartEditor(IMainServices& services, QWidget* parent);

// A skin editor inside parent, working through services.
std::unique_ptr<IDocumentEditor> CreateSkinEditor(IMainServices& services, QWidget* parent);

// The factories this build of the program has.
EditorFactories BuiltInEditorFactories();

} // namespace wpe
