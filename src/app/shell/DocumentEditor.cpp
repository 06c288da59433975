#include "shell/DocumentEditor.h"

#include "util/Exception.h"

namespace wpe {

// Kind-specific starts: an editor of the other kind refuses clearly rather
// than silently doing nothing.
void IDocumentEditor::NewPart()
{
    throw Exception("This editor cannot start a web part.");
}

void IDocumentEditor::NewSkin(const std::string&, const std::string&)
{
    throw Exception("This editor cannot start a skin.");
}

void IDocumentEditor::NewFromRss(const std::string&, const std::string&)
{
    throw Exception("This editor cannot import a feed.");
}

} // namespace wpe
