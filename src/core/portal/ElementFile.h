#pragma once
// Reading and writing one element of a markup file in place. Everything
// outside the element's content keeps its exact bytes; values are bytes as
// the file holds them (no encoding conversion).

#include <cstddef>
#include <string>
#include <string_view>

namespace wpe {

// Where the first element of a name sits in a text (0-based offsets).
struct TElementSpan {
    bool found = false;
    bool selfClosing = false;   // <name .../>
    bool closed = true;         // false when the end tag is missing
    std::size_t start = 0;      // the "<" of the start tag
    std::size_t innerStart = 0; // just after the start tag's ">"
    std::size_t innerEnd = 0;   // the "<" of the end tag (innerStart when self-closing)
    std::size_t end = 0;        // just after the end tag's ">"
};

// The first element named exactly name, in document order, outside comments,
// CDATA sections, processing instructions and declarations; nested elements of
// the same name are paired by depth.
TElementSpan FindElement(std::string_view text, std::string_view name);

// The content of an element as text: CDATA markers removed and the five
// predefined entities and ASCII character references decoded outside them.
// Child markup is kept, so an element with children never reads as empty.
std::string DecodeElementText(std::string_view inner);

// The text of the first element name in the file, as DecodeElementText gives
// it; "" when the file has no such element (or the element is empty). A
// missing or unreadable file raises the file error.
std::string GetElementFromFile(const std::string& fileName, const std::string& name);

// True when the file holds an element of that name, even an empty one.
bool HasElementInFile(const std::string& fileName, const std::string& name);

// Replaces the content of the first element name in the file with value
// (escaped; kept inside a CDATA section when the old content was one). An
// element that is missing is added as the last child of the root element.
// Every other byte stays; the file is replaced atomically. A file without a
// root element, or whose element is not closed, raises an error and is left
// unchanged.
void SetElementInFile(const std::string& fileName, const std::string& name, const std::string& value);

// The same on a text in memory; returns the new text.
std::string SetElementInText(std::string_view text, std::string_view name, std::string_view value);

} // namespace wpe
