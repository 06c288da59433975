#pragma once
// The web part editor's rules that need no window: the checks before a save,
// the file name proposed for it, the MasterPartLink rule, the smaller
// commands (RSS settings, cache timeout, category edit path, view in
// browser) and reading and writing fields by name. The editor shows and
// forwards; these decide. Field texts are the part's bytes.

#include "webpart/Fields.h"

#include <optional>
#include <string>
#include <vector>

namespace wpe {

class TWebPart;

// ---- fields by name ----

// The text of the field of that name: a text or code field's text, a choice
// list's shown text. A missing field, or one of another kind, is an error
// that names it (nothing is silently read as empty).
std::string FieldText(IFieldSource& fields, const std::string& name);
// Sets the text of a text, code or choice field of that name; the same errors.
void SetFieldText(IFieldSource& fields, const std::string& name, const std::string& text);

// ---- saving ----

inline constexpr const char* kContentEmpty = "Content (ContentLink) is empty!";
inline constexpr const char* kXslEmpty = "XSL (XSLLink) is empty!";

// The warnings that refuse a save, in the order they are shown: no content
// and no content link; XML content without XSL and without an XSL link. A
// link of "http://" (any case) counts as none. Empty when the part may go.
std::vector<std::string> SaveWarnings(IFieldSource& fields);

// The name the save dialog proposes: the file's own name; for a part never
// saved the title made safe for a file name ("-" for what a name cannot
// hold), or "Untitled" without a title.
std::string ProposedFileName(const std::string& fileName, const std::string& title);

// What MasterPartLink becomes when the part is saved under chosenPath: the
// chosen file's name when the link is empty or "http://" (any case), or, for
// save as, when it named the old file; nothing when it keeps its value.
std::optional<std::string> MasterPartLinkAfterSave(const std::string& link, const std::string& oldFileName,
                                                   const std::string& chosenPath, bool saveAs);

// ---- smaller commands ----

// "rss": the XSL link, the XML content type and the customization size of
// an RSS reader part. The content type is set without its change handling
// but written with the part all the same.
void ApplyRssSettings(TWebPart& part, IFieldSource& fields);

// A cache timeout of the menu: CacheTimeout = seconds; but for "No cache"
// (0), a part that caches for "None" then caches for "Each User". The
// behaviour is set without its change handling and written with the part.
void ApplyCacheTimeout(TWebPart& part, IFieldSource& fields, int seconds);

// The category path the category "Edit" command shows: the selected entry
// (the first without a selection) + "/" + the title of the part's catalogue
// entry; the title alone for an empty list.
std::string CategoryEditPath(const ICategoryListField& list, int selected, const std::string& entryTitle);

// The address "View in browser" opens for a link field's text: the trimmed
// text when it begins with "http://" (any case); nothing otherwise.
std::optional<std::string> BrowsableAddress(const std::string& text);

} // namespace wpe
