// Importing a template into a skin folder: which files are copied, under
// which names, and what the template's references become.

#include "SkinTestSupport.h"

#include "util/Files.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <random>

using namespace wpe;
using namespace wpe::test;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::UnorderedElementsAre;

namespace {

class ImportTemplateTest : public ::testing::Test {
protected:
    void SetUp() override { skin_ = WithTrailingBackslash((dir_.path() / "skin").string()); fs::create_directories(skin_); }
    void file(const std::string& relative, const std::string& bytes = "x") { WriteFileBytes(dir_.path() / relative, bytes); }
    std::string read(const std::string& relative) { return ReadFileBytes(dir_.path() / relative); }
    // Writes the template site/page.html and imports it.
    TSkinImport import(const std::string& html, const std::string& target = {})
    {
        file("site/page.html", html);
        return ImportTemplate((dir_.path() / "site/page.html").string(), skin_, target);
    }
    std::vector<std::string> filesFolder() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_.path() / "skin" / "files"))
            names.push_back(e.path().filename().string());
        return names;
    }

    TTempDir dir_;
    std::string skin_;
};

TEST_F(ImportTemplateTest, StyleSheetScriptsAndPicturesMoveIntoTheSkin)
{
    file("site/css/main.css", "main");
    file("site/js/app.js", "app");
    file("site/img/logo.png", "logo");
    file("site/favicon.ico", "icon");
    const TSkinImport r = import(
        "<html><head><LINK REL=\"StyleSheet\" HREF=\"css/main.css\"><link rel=\"icon\" href=\"favicon.ico\">"
        "<script src=\"js/app.js\"></script></head><body><IMG SRC=\"img/logo.png\" alt=\"l\"></body></html>");

    const std::string copy = read("skin/page.html");
    EXPECT_THAT(copy, HasSubstr("HREF=\"skin.css\""));
    EXPECT_THAT(copy, HasSubstr("href=\"files/favicon.ico\""));
    EXPECT_THAT(copy, HasSubstr("src=\"files/app.js\""));
    EXPECT_THAT(copy, HasSubstr("SRC=\"files/logo.png\""));
    EXPECT_EQ(read("skin/skin.css"), "main");
    EXPECT_THAT(filesFolder(), UnorderedElementsAre("favicon.ico", "app.js", "logo.png"));
    EXPECT_EQ(r.templateCopy, skin_ + "page.html");
    EXPECT_EQ(r.copies.size(), 4u);
    EXPECT_TRUE(r.unresolved.empty());
    EXPECT_THAT(read("site/page.html"), HasSubstr("css/main.css")) << "the original template stays as it was";
}

TEST_F(ImportTemplateTest, TheCopyTakesTheTargetNameButNeverLeavesTheSkinFolder)
{
    import("<html><body>x</body></html>", "skin template.html");
    EXPECT_TRUE(fs::exists(dir_.path() / "skin/skin template.html"));
    import("<html><body>x</body></html>", "../escaped.html");
    EXPECT_TRUE(fs::exists(dir_.path() / "skin/escaped.html"));
    EXPECT_FALSE(fs::exists(dir_.path() / "escaped.html"));
}

TEST_F(ImportTemplateTest, RemoteAndMissingReferencesStayAsWritten)
{
    const TSkinImport r = import("<html><body><img src=\"http://example.org/a.png\"><img src=\"gone.png\">"
                                 "<img src=\"\"><script src=\"//cdn.example.org/x.js\"></script></body></html>");
    const std::string copy = read("skin/page.html");
    EXPECT_THAT(copy, HasSubstr("src=\"http://example.org/a.png\""));
    EXPECT_THAT(copy, HasSubstr("src=\"gone.png\""));
    EXPECT_THAT(r.unresolved, UnorderedElementsAre("http://example.org/a.png", "gone.png", "//cdn.example.org/x.js"));
    EXPECT_TRUE(filesFolder().empty());
}

TEST_F(ImportTemplateTest, TwoDifferentFilesOfOneNameBothSurvive)
{
    file("site/a/pic.png", "first");
    file("site/b/pic.png", "second");
    file("site/c/PIC.png", "first");
    import("<html><body><img src=\"a/pic.png\"><img src=\"b/pic.png\"><img src=\"c/PIC.png\">"
           "<img src=\"a/pic.png\"></body></html>");
    const std::string copy = read("skin/page.html");
    EXPECT_THAT(filesFolder(), UnorderedElementsAre("pic.png", "pic-2.png"));
    EXPECT_EQ(read("skin/files/pic.png"), "first");
    EXPECT_EQ(read("skin/files/pic-2.png"), "second");
    // Equal bytes share one copy, whatever the case of the name.
    EXPECT_EQ(copy, "<html><body><img src=\"files/pic.png\"><img src=\"files/pic-2.png\"><img src=\"files/pic.png\">"
                    "<img src=\"files/pic.png\"></body></html>");
}

TEST_F(ImportTemplateTest, OnlyTheFirstStyleSheetBecomesTheSkinsOwn)
{
    file("site/base.css", "base");
    file("site/theme/site.css", "theme");
    import("<html><head><link rel=\"stylesheet\" href=\"base.css\"><link rel=\"stylesheet\" href=\"theme/site.css\">"
           "<link rel=\"stylesheet\" href=\"base.css\"></head><body/></html>");
    EXPECT_EQ(read("skin/skin.css"), "base");
    EXPECT_EQ(read("skin/files/site.css"), "theme");
    EXPECT_THAT(read("skin/page.html"), HasSubstr("href=\"skin.css\"><link rel=\"stylesheet\" href=\"files/site.css\">"
                                                  "<link rel=\"stylesheet\" href=\"skin.css\">"));
}

TEST_F(ImportTemplateTest, AReimportReplacesScriptsButKeepsAnOlderPicture)
{
    file("skin/files/app.js", "old script");
    file("skin/files/logo.png", "old logo");
    file("skin/files/same.png", "same");
    file("site/app.js", "new script");
    file("site/logo.png", "new logo");
    file("site/same.png", "same");
    import("<html><body><script src=\"app.js\"></script><img src=\"logo.png\"><img src=\"same.png\"></body></html>");
    EXPECT_EQ(read("skin/files/app.js"), "new script");
    EXPECT_EQ(read("skin/files/logo.png"), "old logo");
    EXPECT_EQ(read("skin/files/logo-2.png"), "new logo");
    EXPECT_THAT(read("skin/page.html"), HasSubstr("src=\"files/logo-2.png\"><img src=\"files/same.png\""));
}

TEST_F(ImportTemplateTest, BackgroundsAndStatePicturesAreImportedToo)
{
    file("site/img/bg.gif", "bg");
    file("site/img/min.png", "min");
    file("site/img/max.png", "max");
    import("<html><body><table background=\"img/bg.gif\"><tr><td>x</td></tr></table>"
           "<span id=\"ICON_STATE\" src1=\"img/min.png\" src2=\"img/max.png\"><img src=\"img/min.png\"></span>"
           "<div style=\"background-image:url(img/bg.gif)\">s</div></body></html>");
    const std::string copy = read("skin/page.html");
    EXPECT_THAT(copy, HasSubstr("background=\"files/bg.gif\""));
    EXPECT_THAT(copy, HasSubstr("src1=\"files/min.png\" src2=\"files/max.png\""));
    EXPECT_THAT(copy, HasSubstr("url(img/bg.gif)")) << "style text is not a reference attribute";
    EXPECT_THAT(filesFolder(), UnorderedElementsAre("bg.gif", "min.png", "max.png"));
}

TEST_F(ImportTemplateTest, ReferencesUpTheTreeAreCopiedButTheWorkingFolderIsNot)
{
    file("shared/logo.png", "shared");
    file("cwd/stray.png", "stray");
    const fs::path before = fs::current_path();
    fs::current_path(dir_.path() / "cwd");
    const TSkinImport r = import("<html><body><img src=\"../shared/logo.png\"><img src=\"stray.png\"></body></html>");
    fs::current_path(before);
    EXPECT_THAT(filesFolder(), UnorderedElementsAre("logo.png"));
    EXPECT_THAT(r.unresolved, UnorderedElementsAre("stray.png"));
}

TEST_F(ImportTemplateTest, AFilesFolderThatCannotBeMadeIsAClearError)
{
    file("skin/files", "a file in the way");
    file("site/page.html", "<html><body>x</body></html>");
    try {
        ImportTemplate((dir_.path() / "site/page.html").string(), skin_);
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), "Cannot create " + skin_ + "files/");
    }
}

TEST_F(ImportTemplateTest, AMissingTemplateIsAnErrorAndWritesNothing)
{
    EXPECT_THROW(ImportTemplate((dir_.path() / "nope.html").string(), skin_), Exception);
    EXPECT_FALSE(fs::exists(dir_.path() / "skin/nope.html"));
}

TEST_F(ImportTemplateTest, ATemplateInsideTheSkinFolderIsRewrittenInPlace)
{
    file("skin/pics/a.png", "a");
    file("skin/page.html", "<html><body><img src=\"pics/a.png\"></body></html>");
    ImportTemplate(skin_ + "page.html", skin_);
    EXPECT_EQ(read("skin/page.html"), "<html><body><img src=\"files/a.png\"></body></html>");
}

} // namespace

namespace {

// ---- the batched import against the plain one ----

// A random template over a few files that exist and some that do not, with
// the awkward spellings a tag scanner meets.
std::string RandomTemplate(std::mt19937& rng)
{
    static const char* const pieces[] = {
        "<img src=\"a.png\">", "<IMG SRC=b.png>", "<img  src = 'sub/a.png'  alt=x >", "<img src=\"gone.png\"/>",
        "<link rel=\"stylesheet\" href=\"s.css\">", "<LINK REL=StyleSheet HREF=t.css>", "<link href=\"a.png\">",
        "<script src=\"j.js\"></script>", "<td background=\"b.png\">", "<table BACKGROUND=sub/a.png>",
        "<span id=\"ICON_STATE\" src1=\"a.png\" src2=\"b.png\">", "<div src1=\"\">",
        "<!-- <img src=\"a.png\"> -->", "<![CDATA[ <img src=\"b.png\"> ]]>", "<img alt=\"<img src=a.png>\" src=\"b.png\">",
        "\r\n", "   ", "text ", "<p>", "</p>", "<br/>", "<img src=\"http://h/x.png\">", "<img src=\"\">",
        "<script>var s = '<img src=\"a.png\">';</script>", "<img src=\"a.png\"\n>", "<img data-src=\"b.png\" src=\"a.png\">",
    };
    std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
    std::uniform_int_distribution<int> count(1, 40);
    std::string t = "<html><body>";
    for (int i = count(rng); i > 0; --i)
        t += pieces[pick(rng)];
    if (rng() % 4 == 0)
        t += "<img src=\"a.png\""; // cut off at the end
    return t;
}

class BatchedImportTest : public ImportTemplateTest {
protected:
    struct Outcome {
        std::string text;
        std::string error;
        std::vector<std::string> targets;
        std::vector<std::string> unresolved;
        std::vector<std::string> files;
    };

    Outcome runOnce(const std::string& html, const std::string& skinName, bool batched)
    {
        const fs::path skin = dir_.path() / skinName;
        fs::remove_all(skin);
        fs::create_directories(skin / "files");
        WriteFileBytes(skin / "page.html", html);
        Outcome o;
        try {
            const TSkinImport r = detail::RewriteTemplateCopy((skin / "page.html").string(),
                                                              (dir_.path() / "site").string() + "/",
                                                              skin.string() + "/", "files", batched);
            for (const auto& c : r.copies)
                o.targets.push_back(c.target);
            o.unresolved = r.unresolved;
        } catch (const Exception& e) {
            o.error = e.message();
        }
        o.text = ReadFileBytes(skin / "page.html");
        for (const auto& e : fs::directory_iterator(skin / "files"))
            o.files.push_back(e.path().filename().string() + "=" + ReadFileBytes(e.path()));
        std::sort(o.files.begin(), o.files.end());
        return o;
    }
};

TEST_F(BatchedImportTest, GivesTheSameTextFilesAndReportAsThePlainWay)
{
    file("site/a.png", "A");
    file("site/b.png", "B");
    file("site/sub/a.png", "other A");
    file("site/s.css", "S");
    file("site/t.css", "T");
    file("site/j.js", "J");
    std::mt19937 rng(20);
    for (int round = 0; round < 300; ++round) {
        const std::string html = RandomTemplate(rng);
        SCOPED_TRACE(html);
        const Outcome plain = runOnce(html, "plain", false);
        const Outcome batched = runOnce(html, "batched", true);
        ASSERT_EQ(batched.text, plain.text);
        ASSERT_EQ(batched.error, plain.error);
        ASSERT_EQ(batched.targets, plain.targets);
        ASSERT_EQ(batched.unresolved, plain.unresolved);
        ASSERT_EQ(batched.files, plain.files);
    }
}

} // namespace
