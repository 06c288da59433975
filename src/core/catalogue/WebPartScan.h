#pragma once
// The fields of a web part file that the catalogue lists, read in one pass
// over the file's text.
//
// The answers are exactly those of the tag parser's searches that the
// catalogue used to run one by one (Reset, then Find of the name, then the
// current tag's text): for each field the first element of that name (exact
// case, outside comments and CDATA sections), its inner text with CDATA
// markers removed and entities decoded, and every Category element in order.
// Errors are the parser's too (an element without its closing tag, an
// unclosed '[' in a start tag, an unclosed CDATA section), raised for the
// first field that has one, fields taken in the order of TPartField and the
// categories last.
//
// One scanner is meant to be reused for many files: its lists keep their
// memory between scans.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wpe {

enum class TPartField { Title, Description, Language, Popularity, LastModified, Zone };
inline constexpr std::size_t kPartFieldCount = 6;

class TWebPartScan {
public:
    // Reads text, which must stay alive and unchanged while the results are
    // used (texts without CDATA sections or entities are views into it).
    // Fields are only read when the text has a WebPart element.
    void Scan(std::string_view text);

    bool IsWebPart() const { return isWebPart_; }
    bool Found(TPartField field) const { return fields_[index(field)].found; }
    // The field's text; empty when not found.
    std::string_view Text(TPartField field) const { return fields_[index(field)].text(); }
    std::size_t CategoryCount() const { return categoryCount_; }
    std::string_view CategoryText(std::size_t i) const { return categories_[i].text(); }

private:
    // The names looked for: WebPart, the fields in order, Category.
    static constexpr std::size_t kNameCount = kPartFieldCount + 2;
    static constexpr std::size_t kCategoryName = kPartFieldCount + 1;

    struct Value {
        bool found = false;
        bool owned = false;     // the text had to be changed and lives in own
        std::string_view view;  // else a view into the scanned text
        std::string own;
        std::string_view text() const { return owned ? std::string_view(own) : view; }
    };
    // 1-based positions, ascending.
    using Positions = std::vector<std::uint32_t>;

    static std::size_t index(TPartField field) { return static_cast<std::size_t>(field); }

    void build(std::string_view text);
    bool insideCData(std::size_t p) const;
    bool insideSection(std::size_t p) const;
    std::size_t findStart(std::size_t name, std::size_t from, std::size_t before) const;
    std::size_t findElement(std::size_t name, std::size_t from) const;
    std::size_t findClosing(std::size_t name, std::size_t from) const;
    std::size_t findClosingOutside(std::size_t name, std::size_t from) const;
    std::size_t tagEnd(std::size_t from) const;
    void readValue(std::size_t name, std::size_t pos, Value& out) const;

    std::string_view text_;
    bool isWebPart_ = false;
    std::array<Value, kPartFieldCount> fields_;
    std::vector<Value> categories_;
    std::size_t categoryCount_ = 0;

    Positions cdataOpens_, cdataCloses_, commentOpens_, commentCloses_;
    std::array<Positions, kNameCount> starts_;   // start tags, outside CDATA sections
    std::array<Positions, kNameCount> closings_; // "</name>"
};

} // namespace wpe
