// The lists the parser keeps for repeated searches must give exactly the
// answers of plain searches: the same random texts are walked, read and
// edited with the lists always on and always off, and every answer compared.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "skin/TagParser.h"
#include "util/Exception.h"

namespace wpe {
namespace {

constexpr const char* kTokens[] = {
    "<a>", "</a>", "<a ", "<a x=\"1\">", ">", "<b>", "</b>", "<B>", "</B>", "<![CDATA[", "]]>", "<!--", "-->",
    "<div id=x>", "<div>", "</div>", "<span>", "</span>", "x", " ", "[", "]", "<?p?>", "<a/>", "<img src=1>",
    "<ab>", "</ab>", "<", "</",
};
// Few names and many sections: parents and siblings whose sections start
// outside them.
constexpr const char* kNestingTokens[] = {
    "<div>", "</div>", "<span>", "</span>", "<![CDATA[", "]]>", "<!--", "-->", "x", "<span/>",
};
constexpr const char* kPaths[] = {"a", "*", "div/span", "div[@id!=x]/span", "a/b", "a[2]", "*/*", "b", "div/*",
                                  "div/span/*"};

template <std::size_t N>
std::string randomText(std::mt19937& rng, const char* const (&tokens)[N]) {
    std::uniform_int_distribution<std::size_t> count(5, 120), token(0, N - 1);
    std::string text = "<a>";
    for (std::size_t i = count(rng); i > 0; --i)
        text += tokens[token(rng)];
    return text;
}

template <class F>
std::string attempt(F&& f) {
    try {
        return f();
    } catch (const Exception& e) {
        return std::string("error: ") + e.what();
    }
}

// Everything a caller can see of one session with the parser.
std::string session(const std::string& text, bool ignoreCase, unsigned edit) {
    TTagParser parser(text);
    parser.SetIgnoreCase(ignoreCase);
    std::string log;
    for (int round = 0; round < 3; ++round) {
        for (const char* path : kPaths) {
            parser.Reset();
            for (int i = 0; i < 40; ++i) {
                const std::string found = attempt([&] { return std::string(parser.Find(path) ? "1" : "0"); });
                log += found + std::to_string(parser.Position()) + attempt([&] { return parser.GetStartTag(); }) + "|";
                if (found != "1")
                    break;
                log += attempt([&] { return parser.GetInnerText(); }) + "|";
                log += attempt([&] { return parser.GetOuterText(); }) + "|";
                log += attempt([&] { return parser.GetAttribute("x"); }) + "\n";
            }
        }
        // One edit per round, so later rounds search a changed text.
        parser.Reset();
        if (!parser.Find(kPaths[(edit + round) % std::size(kPaths)]))
            continue;
        log += attempt([&] {
            switch ((edit + round) % 4) {
            case 0: parser.SetAttribute("x", "a<b"); break;
            case 1: parser.SetText("t<![CDATA[u]]>"); break;
            case 2: parser.ReplaceElement(""); break;
            default: parser.ReplaceElement("<a><b></b></a><!--"); break;
            }
            return parser.Text();
        });
    }
    return log;
}

struct IndexingMode {
    explicit IndexingMode(TagIndexing mode) { SetTagIndexing(mode); }
    ~IndexingMode() { SetTagIndexing(TagIndexing::Auto); }
};

TEST(TagParserIndexing, ListsGiveThePlainSearchesAnswers) {
    std::mt19937 rng(20261209);
    for (int i = 0; i < 400; ++i) {
        const std::string text = i % 2 ? randomText(rng, kTokens) : randomText(rng, kNestingTokens);
        const bool ignoreCase = i % 3 == 0;
        std::string plain, listed;
        {
            IndexingMode mode(TagIndexing::Never);
            plain = session(text, ignoreCase, static_cast<unsigned>(i));
        }
        {
            IndexingMode mode(TagIndexing::Always);
            listed = session(text, ignoreCase, static_cast<unsigned>(i));
        }
        ASSERT_EQ(plain, listed) << text;
    }
}

// Crafted texts that made each search scan the rest of the text again for
// every element; with the lists a whole walk stays about linear. Both are
// long enough for the lists to start by themselves. These only check the
// answers; the benchmark measures the time.
TEST(TagParserIndexing, LongUnclosedTextsGiveTheSameAnswers) {
    const std::string nested = [] {
        std::string s;
        for (int i = 0; i < 1500; ++i)
            s += "<div><span>";
        return s;
    }();
    const std::string quotes = [] {
        std::string s;
        for (int i = 0; i < 3000; ++i)
            s += "<a x=\"";
        return s + ">";
    }();
    for (const std::string& text : {nested, quotes}) {
        std::string plain, listed;
        {
            IndexingMode mode(TagIndexing::Never);
            plain = session(text, false, 0);
        }
        {
            IndexingMode mode(TagIndexing::Auto);
            listed = session(text, false, 0);
        }
        EXPECT_EQ(plain, listed);
    }
}

} // namespace
} // namespace wpe
