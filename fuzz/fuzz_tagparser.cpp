// core: skin
// Bytes into the tag parser, then a fixed walk of searches, reads and edits.
#include "FuzzSupport.h"
#include "skin/TagParser.h"
#include "util/Exception.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view kPaths[] = {
    "*", "img", "html/body/*", "a[2]", "link[@rel=stylesheet]", "WebPart/Category",
    "div[@id!=x]/span", "td[@width>10]", "*[3]/*", "script[@src<m]",
};

// Every successful Find must move forward, or a scan never ends.
void Walk(wpe::TTagParser& parser, std::string_view path)
{
    parser.Reset();
    std::size_t last = 0;
    bool first = true;
    for (int i = 0; i < 4096 && parser.Find(path); ++i) {
        if (!first && parser.Position() <= last)
            wpe::fuzz::Fail("a later Find did not move forward");
        first = false;
        last = parser.Position();
        (void)parser.GetAttribute("src");
        (void)parser.GetStartTag();
    }
}

template <class F>
void Try(F&& f)
{
    try {
        f();
    } catch (const wpe::Exception&) {
    }
}

// An edit either succeeds or fails leaving the text as it was.
template <class F>
void TryEdit(wpe::TTagParser& parser, F&& edit)
{
    const std::string before = parser.Text();
    try {
        edit();
    } catch (const wpe::Exception&) {
        if (parser.Text() != before)
            wpe::fuzz::Fail("a failed edit changed the text");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const unsigned flags = data[0];
    Try([&] {
        wpe::TTagParser parser(text);
        parser.SetIgnoreCase(flags & 1);
        for (std::string_view path : kPaths)
            Try([&] { Walk(parser, path); });

        const std::string_view path = kPaths[(flags >> 1) % std::size(kPaths)];
        parser.Reset();
        if (!parser.Find(path))
            return;
        Try([&] { (void)parser.GetText(); });
        Try([&] { (void)parser.GetOuterText(); });
        switch ((flags >> 5) & 3) {
        case 0: {
            // An attribute edit touches only the start tag.
            const std::size_t pos = parser.Position();
            const std::string before = parser.Text().substr(0, pos > 0 ? pos - 1 : 0);
            TryEdit(parser, [&] { parser.SetAttribute("src", "a&b\"c"); });
            if (parser.Text().compare(0, before.size(), before) != 0)
                wpe::fuzz::Fail("an attribute edit changed the text before the tag");
            break;
        }
        case 1: TryEdit(parser, [&] { parser.SetText("x < y & <![CDATA[z]]>"); }); break;
        case 2: TryEdit(parser, [&] { parser.ReplaceElement(""); }); break;
        default: TryEdit(parser, [&] { parser.ReplaceElement("<b>new</b>"); }); break;
        }
        for (std::string_view p : kPaths)
            Try([&] { Walk(parser, p); });
    });
    return 0;
}
