// Creating a parser from text and files, saving, and a pass over real HTML
// templates.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "skin/TagParser.h"
#include "util/Exception.h"
#include "util/Files.h"

namespace wpe {
namespace {

namespace fs = std::filesystem;

std::string messageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.what();
    }
    return "(no error)";
}

class TagParserFiles : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device rd;
        dir_ = fs::temp_directory_path() / ("wpe-tagparser-" + std::to_string(rd()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string write(const std::string& name, const std::string& content) {
        const fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary) << content;
        return path.string();
    }
    static std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    fs::path dir_;
};

TEST(TagParserCreate, EmptyTextFails) {
    EXPECT_EQ(messageOf([] { TTagParser parser(""); }), "Init error! Incorrect XML string ");
    TTagParser parser("x");
    EXPECT_FALSE(parser.IgnoreCase());
    EXPECT_EQ(parser.Position(), 0u);
    EXPECT_TRUE(parser.FreshSearch());
}

TEST_F(TagParserFiles, MissingOrShortFilesFail) {
    const std::string missing = (dir_ / "none.xml").string();
    EXPECT_EQ(messageOf([&] { TTagParser::CreateFromFile(missing); }), "File \"" + missing + "\" not found");
    EXPECT_EQ(messageOf([&] { TTagParser::CreateFromFile(dir_.string()); }),
              "File \"" + dir_.string() + "\" not found");
    const std::string shortFile = write("short.xml", "<a></a");
    EXPECT_EQ(messageOf([&] { TTagParser::CreateFromFile(shortFile); }),
              "Init error! Incorrect xml file " + shortFile);
}

TEST_F(TagParserFiles, LoadsEditsAndSavesBack) {
    const std::string path = write("part.xml", "<a>1</a>\r\n");
    TTagParser parser = TTagParser::CreateFromFile(path);
    EXPECT_EQ(parser.FileName(), path);
    ASSERT_TRUE(parser.Find("a"));
    parser.SetText("2 & 3");
    parser.SaveToFile();
    EXPECT_EQ(read(path), "<a>2 &amp; 3</a>\r\n");

    const std::string other = (dir_ / "other.xml").string();
    parser.SaveToFile(other);
    EXPECT_EQ(parser.FileName(), other);
    EXPECT_EQ(read(other), parser.Text());
}

TEST_F(TagParserFiles, SavingWithoutAFileNameOrIntoAMissingFolderFails) {
    TTagParser parser("<a/>");
    EXPECT_EQ(messageOf([&] { parser.SaveToFile(); }), "Unable to create \"\"");
    const std::string bad = (dir_ / "no" / "such" / "x.xml").string();
    EXPECT_EQ(messageOf([&] { parser.SaveToFile(bad); }), "File I/O error. File " + bad + " is locked");
    EXPECT_EQ(parser.FileName(), "");
    EXPECT_FALSE(fs::exists(bad));
}

// ---- real-world templates -----------------------------------------------------------

std::vector<fs::path> corpusHtmlFiles() {
    const char* root = std::getenv("WPE_CORPUS_DIR");
    std::vector<fs::path> files;
    if (root == nullptr || !fs::is_directory(fs::path(root) / "html"))
        return files;
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(root) / "html"))
        if (entry.is_regular_file() && entry.path().extension() == ".html")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

bool isBlankOrLineBreak(char c) { return c == ' ' || c == '\r' || c == '\n'; }

TEST(TagParserCorpus, VisitsAndEditsEveryLinkScriptAndImage) {
    const std::vector<fs::path> files = corpusHtmlFiles();
    if (files.empty())
        GTEST_SKIP() << "no HTML corpus (WPE_CORPUS_DIR)";
    std::size_t visited = 0, edited = 0;
    for (const fs::path& file : files) {
        const std::string text = ReadWholeFile(file.string());
        const std::size_t bound = std::count(text.begin(), text.end(), '<') + 1;
        for (const char* tag : {"link", "script", "img"}) {
            SCOPED_TRACE(file.string() + " " + tag);
            TTagParser parser(text);
            parser.SetIgnoreCase(true);
            std::size_t last = 0, count = 0;
            while (parser.Find(tag)) {
                ASSERT_GT(parser.Position(), last);
                ASSERT_EQ(parser.Text()[parser.Position() - 1], '<');
                ASSERT_LT(++count, bound);
                last = parser.Position();
                (void)parser.GetAttribute("src");
            }
            visited += count;
            EXPECT_EQ(parser.Text(), text);

            // Each edit rewrites the start tag and the blanks after it; the
            // rest of the text keeps every byte.
            parser.Reset();
            std::size_t edits = 0;
            while (parser.Find(tag)) {
                ASSERT_LT(++edits, bound);
                const std::string before = parser.Text();
                const std::size_t pos = parser.Position();
                const std::string oldTag = parser.GetStartTag();
                std::size_t q = pos + oldTag.size();
                while (q < before.size() && isBlankOrLineBreak(before[q - 1]))
                    ++q;
                try {
                    parser.SetAttribute("data-wpe", "1 & 2");
                } catch (const Exception& e) {
                    ASSERT_EQ(parser.Text(), before) << e.what();
                    continue;
                }
                const std::string newTag = parser.GetStartTag();
                ASSERT_EQ(parser.Text().compare(0, pos - 1, before, 0, pos - 1), 0);
                ASSERT_EQ(parser.Text().substr(pos - 1 + newTag.size()), before.substr(q - 1));
                ASSERT_NE(newTag.find("data-wpe=\"1 &amp; 2\""), std::string::npos) << newTag;
                ASSERT_EQ(parser.GetAttribute("data-wpe"), "1 & 2");
                ++edited;
            }
        }
    }
    EXPECT_GT(visited, 50u);
    EXPECT_EQ(edited, visited);
}

} // namespace
} // namespace wpe
