// The fast text search against the plain Horspool and backward scans it
// replaced: every direction, both case modes, every start position.

#include "util/FastStrings.h"
#include "core/util/FindPosReference.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace wpe {
namespace {

// Letters with their Windows-1251 partners (Cyrillic a/A, yo/YO, the Serbian
// lje/LJE) and markup, so that caseless near-misses are frequent.
const std::string kFoldAlphabet = "aAbB<>=\"/ \xe0\xc0\xb8\xa8\x9a\x8a\xff\xdf";

std::string randomString(std::mt19937& rng, std::size_t length, const std::string& alphabet)
{
    std::string s(length, '\0');
    for (char& c : s)
        c = alphabet.empty() ? static_cast<char>(rng() & 0xFF) : alphabet[rng() % alphabet.size()];
    return s;
}

// A pattern that occurs in text (when it can), with its letters' case
// flipped at random so that only the caseless search matches it whole.
std::string patternFrom(std::mt19937& rng, const std::string& text, std::size_t length)
{
    if (text.size() < length)
        return randomString(rng, length, kFoldAlphabet);
    std::string p = text.substr(rng() % (text.size() - length + 1), length);
    for (char& c : p)
        if (rng() % 4 == 0) {
            const auto u = static_cast<unsigned char>(c);
            for (int other = 0; other < 256; ++other)
                if (other != u && UpCase(static_cast<unsigned char>(other)) == UpCase(u))
                    c = static_cast<char>(other);
        }
    return p;
}

// Compares both searches at every start from 0 to past the end, both ways
// and both case modes.
void expectSameEverywhere(const std::string& pattern, const std::string& text)
{
    for (int mode = 0; mode < 4; ++mode) {
        const bool cs = mode & 1, fwd = mode & 2;
        for (std::size_t start = 0; start <= text.size() + 2; ++start)
            ASSERT_EQ(FindPos(pattern, text, cs, fwd, start), reference::FindPos(pattern, text, cs, fwd, start))
                << "pattern '" << pattern << "' (" << pattern.size() << ") text '" << text << "' ("
                << text.size() << ") cs=" << cs << " fwd=" << fwd << " start=" << start;
    }
}

TEST(FindPosDifferentialTest, RandomTextsAndPatternsOfEveryLength)
{
    std::mt19937 rng(20261210);
    const std::string alphabets[] = {kFoldAlphabet, "ab", "", "<div class=\"x\">\r\n text</div>&amp;"};
    for (int round = 0; round < 700; ++round) {
        const std::string& alphabet = alphabets[round % std::size(alphabets)];
        const std::string text = randomString(rng, rng() % 180, alphabet);
        const std::size_t m = 1 + rng() % 64;
        const std::string pattern = rng() % 3 ? patternFrom(rng, text, m) : randomString(rng, m, alphabet);
        expectSameEverywhere(pattern, text);
    }
}

// Runs of one byte with the odd byte at the end: every window agrees on most
// bytes, and the anchors sit on the byte that differs or on the run.
TEST(FindPosDifferentialTest, RepetitiveTextsAndPatterns)
{
    for (std::size_t m = 1; m <= 64; m += (m < 20 ? 1 : 7)) {
        for (const char odd : {'b', 'B', 'a'}) {
            std::string pattern(m - 1, 'a');
            pattern += odd;
            for (const std::size_t n : {m - 1, m, m + 15, m + 16, m + 17, 2 * m + 33, std::size_t{150}}) {
                std::string text(n, 'a');
                expectSameEverywhere(pattern, text);
                if (n >= 1) {
                    text.back() = 'b';
                    expectSameEverywhere(pattern, text);
                    text[n / 2] = 'B';
                    expectSameEverywhere(pattern, text);
                }
            }
        }
    }
}

// A match placed at every offset of a text whose length crosses several
// sixteen-byte blocks, so that matches straddle each block edge and sit in
// the last bytes of the text.
TEST(FindPosDifferentialTest, MatchesAtEveryOffset)
{
    std::mt19937 rng(4242);
    for (const std::size_t m : {1, 2, 3, 8, 15, 16, 17, 31, 32, 33, 64}) {
        const std::string pattern = randomString(rng, m, kFoldAlphabet);
        for (std::size_t n = m; n <= m + 40; n += 13) {
            for (std::size_t at = 0; at + m <= n; ++at) {
                std::string text = randomString(rng, n, "xyz");
                text.replace(at, m, pattern);
                expectSameEverywhere(pattern, text);
            }
        }
    }
}

// Longer texts of every byte value: the block loops run many times and
// zero bytes and high bytes are anchors like any other.
TEST(FindPosDifferentialTest, LongTextsOfEveryByte)
{
    std::mt19937 rng(99);
    for (int round = 0; round < 40; ++round) {
        std::string text = randomString(rng, 2000 + rng() % 3000, round % 2 ? "" : kFoldAlphabet);
        const std::size_t m = 1 + rng() % 64;
        const std::string pattern = patternFrom(rng, text, m);
        for (int k = 0; k < 3; ++k)
            text.replace(rng() % (text.size() - m), m, pattern);
        for (int mode = 0; mode < 4; ++mode) {
            const bool cs = mode & 1, fwd = mode & 2;
            for (int s = 0; s < 60; ++s) {
                const std::size_t start = rng() % (text.size() + 2);
                ASSERT_EQ(FindPos(pattern, text, cs, fwd, start), reference::FindPos(pattern, text, cs, fwd, start))
                    << "round " << round << " cs=" << cs << " fwd=" << fwd << " start=" << start;
            }
        }
    }
}

// The search and replace built on the fast search gives what repeated
// reference searches give.
TEST(FindPosDifferentialTest, ReplaceAllFollowsTheReferenceSearch)
{
    std::mt19937 rng(31337);
    for (int round = 0; round < 500; ++round) {
        const std::string text = randomString(rng, rng() % 120, kFoldAlphabet);
        const std::string find = patternFrom(rng, text, 1 + rng() % 5);
        const bool cs = rng() % 2;
        std::string expected;
        std::size_t pos = 1;
        for (std::size_t hit; pos + find.size() - 1 <= text.size() &&
                               (hit = reference::FindPos(find, text, cs, true, pos)) != 0;
             pos = hit + find.size())
            expected += text.substr(pos - 1, hit - pos) + "#";
        if (pos <= text.size())
            expected += text.substr(pos - 1);
        ASSERT_EQ(ReplaceAll(text, find, "#", cs), expected) << find << " in " << text << " cs=" << cs;
    }
}

} // namespace
} // namespace wpe
