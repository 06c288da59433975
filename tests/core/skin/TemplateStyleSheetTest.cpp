#include "skin/TemplateStyleSheet.h"

#include "util/Exception.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdlib.h>

namespace fs = std::filesystem;

namespace wpe {
namespace {

class TemplateStyleSheetTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "wpe-template-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        fs::create_directories(dir / "css");
        write("css/site.css", "body{}");
        write("other.css", "p{}");
    }
    void TearDown() override { fs::remove_all(dir); }
    void write(const std::string& name, const std::string& text) { std::ofstream(dir / name, std::ios::binary) << text; }
    std::string page(const std::string& head)
    {
        write("page.html", "<html><head>" + head + "</head><body></body></html>");
        return (dir / "page.html").string();
    }
    fs::path dir;
};

TEST_F(TemplateStyleSheetTest, FirstStylesheetLinkThatNamesAnExistingFile)
{
    struct Row {
        const char* head;
        const char* found;  // relative to the folder; "" for none
    };
    const Row rows[] = {
        {"<link rel=\"stylesheet\" href=\"css/site.css\">", "css/site.css"},
        {"<LINK REL=\"StyleSheet\" HREF=\"other.css\">", "other.css"},
        {"<link rel=\"icon\" href=\"other.css\"><link rel=\"stylesheet\" href=\"css/site.css\">", "css/site.css"},
        {"<link rel=\"stylesheet\" href=\"missing.css\"><link rel=\"stylesheet\" href=\"other.css\">", "other.css"},
        {"<link rel=\"stylesheets\" href=\"other.css\">", ""},
        {"<link rel=\"alternate stylesheet\" href=\"other.css\">", ""},
        {"<style>p{}</style>", ""},
    };
    for (const Row& row : rows) {
        std::string found = FindTemplateStyleSheet(page(row.head));
        std::string expected = *row.found ? (dir / row.found).string() : "";
        EXPECT_EQ(fs::path(found).lexically_normal(), fs::path(expected).lexically_normal()) << row.head;
    }
}

TEST_F(TemplateStyleSheetTest, UnreadablePageRaises)
{
    EXPECT_THROW(FindTemplateStyleSheet((dir / "no-such.html").string()), Exception);
}

} // namespace
} // namespace wpe
