#pragma once
// Which editor a file goes to, how open documents are told apart, and which
// tab becomes active after a close: the rules of the main window's document
// tabs that need no window.

#include <string>
#include <string_view>

namespace wpe {

// Kind stored with a document tab; the values are also the tab image index.
enum class DocumentKind { None = 0, Skin = 1, WebPart = 2 };

// Where a path to open comes from; each place has its own rule for files
// that are neither skins nor web parts.
enum class OpenSource { OpenDialog, ReopenList, Restore, FilePane };

// Skin for ".CSO", WebPart for ".XML", ".DWP" and ".CWP" (compared without
// case), None otherwise.
DocumentKind KindOfFile(std::string_view path);
// The editor a path from source goes to: the reopen list and the restore
// at start-up send every non-skin file to the web part editor; the open
// dialog and the file pane ignore unknown types.
DocumentKind DispatchKind(OpenSource source, std::string_view path);

// True when two paths name the same document: "/" and "\" count as the
// same delimiter and ASCII letters are compared without case.
bool SameDocumentPath(std::string_view a, std::string_view b);
// True when two skin names are equal without regard to ASCII case.
bool SameSkinName(std::string_view a, std::string_view b);

// The index that becomes active after the tab at removed is taken out of
// count tabs: the one that followed it, or the one before when it was last.
// Returns -1 when no tab is left.
int ActiveIndexAfterClose(int count, int removed);
// The page index after moving one step forward or backward with wrap-around
// through count pages; -1 when there are none.
int CyclePageIndex(int current, int count, bool forward);

} // namespace wpe
