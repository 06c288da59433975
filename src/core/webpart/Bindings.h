#pragma once
// How a tag's text travels into and out of the editor field of the same
// name. The field's kind, and for choice lists the field's name, pick the
// conversion pair; a field of no known kind (or no field) leaves the tag unbound.

#include <string>

#include "webpart/Fields.h"

namespace wpe {

// Puts a tag's text into the field.
using TagSetter = void (*)(IField& field, const std::string& text);
// Reads the tag's text from the field.
using TagGetter = std::string (*)(IField& field);

struct TagBinding {
    IField* control = nullptr;
    TagSetter setter = nullptr;
    TagGetter getter = nullptr;
    bool Bound() const { return control && setter && getter; }
};

// The binding of the tag named tagName to the field of that exact name in
// fields (which may be null: then every tag is unbound).
TagBinding BindTag(const std::string& tagName, IFieldSource* fields);

// Text written for a single-line field: the trimmed text with "&" (where it
// starts no entity or character reference), "<" and ">" escaped, so that a
// typed value never breaks the written part.
std::string TextFieldValue(const std::string& fieldText);

// The value of text as a decimal integer, when all of it is one (leading
// white space and a sign allowed); otherwise nothing is stored and false
// comes back.
bool ParseInteger(const std::string& text, int& value);

} // namespace wpe
