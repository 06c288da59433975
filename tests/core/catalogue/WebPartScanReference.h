#pragma once
// The plain way of reading a web part's catalogue fields: one tag parser
// search per field, each from the start (Reset, Find, the current tag's
// text), then every Category element in turn. The one-pass scanner must
// give exactly these answers, so the differential tests and the fuzz check
// compare the two.

#include "catalogue/WebPartScan.h"
#include "skin/TagParser.h"

#include <array>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wpe::test {

struct PartFieldsRead {
    bool isWebPart = false;
    std::array<std::optional<std::string>, kPartFieldCount> fields;
    std::vector<std::string> categories;
    std::string error;  // the first error's message; the rest is empty then

    bool operator==(const PartFieldsRead&) const = default;
};

inline std::string TagParserText(const TTagParser& parser)
{
    std::string text = StripCData(parser.GetInnerText());
    if (text.find('&') != std::string::npos)
        text = DecodeEntities(text);
    return text;
}

// text must not be empty (the parser refuses an empty text).
inline PartFieldsRead ReadWithTagParser(const std::string& text)
{
    static constexpr const char* kFieldNames[kPartFieldCount] = {"Title",      "Description",  "Language",
                                                                  "Popularity", "LastModified", "Zone"};
    PartFieldsRead r;
    try {
        TTagParser parser(text);
        parser.Reset();
        if (!parser.Find("WebPart"))
            return r;
        r.isWebPart = true;
        for (size_t k = 0; k < kPartFieldCount; ++k) {
            parser.Reset();
            if (parser.Find(kFieldNames[k]))
                r.fields[k] = TagParserText(parser);
        }
        parser.Reset();
        while (parser.Find("Category"))
            r.categories.push_back(TagParserText(parser));
    } catch (const std::exception& e) {
        PartFieldsRead failed;
        failed.isWebPart = true;
        failed.error = e.what();
        return failed;
    }
    return r;
}

inline PartFieldsRead ReadWithScan(TWebPartScan& scan, std::string_view text)
{
    PartFieldsRead r;
    try {
        scan.Scan(text);
        r.isWebPart = scan.IsWebPart();
        if (!r.isWebPart)
            return r;
        for (size_t k = 0; k < kPartFieldCount; ++k) {
            const auto field = static_cast<TPartField>(k);
            if (scan.Found(field))
                r.fields[k] = std::string(scan.Text(field));
        }
        for (size_t i = 0; i < scan.CategoryCount(); ++i)
            r.categories.emplace_back(scan.CategoryText(i));
    } catch (const std::exception& e) {
        PartFieldsRead failed;
        failed.isWebPart = true;
        failed.error = e.what();
        return failed;
    }
    return r;
}

} // namespace wpe::test
