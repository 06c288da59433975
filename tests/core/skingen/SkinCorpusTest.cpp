// Every real page template of the corpus made into a skin and rendered by the
// portal: what comes out must be well-formed, point only into the skin, and
// nothing outside the temporary folder may change.

#include "SkinTestSupport.h"

#include "skin/TagParser.h"
#include "util/FastStrings.h"
#include "util/Files.h"
#include "xml/XmlUtils.h"

#include <gmock/gmock.h>

#include <iostream>
#include <sstream>

using namespace wpe;
using namespace wpe::test;

namespace {

struct CorpusTemplate {
    std::string folder;
    std::string mainFile;
};

std::vector<CorpusTemplate> CorpusTemplates(const fs::path& html)
{
    std::vector<CorpusTemplate> list;
    std::istringstream manifest(ReadFileBytes(html / "MANIFEST.tsv"));
    std::string line;
    std::getline(manifest, line); // header
    while (std::getline(manifest, line)) {
        std::istringstream fields(line);
        CorpusTemplate t;
        if (std::getline(fields, t.folder, '\t') && std::getline(fields, t.mainFile, '\t'))
            list.push_back(t);
    }
    return list;
}

int CountMarkers(const std::string& xhtmlFile)
{
    TRef<TXmlDDocument> doc = MakeRef<TXmlDDocument>();
    doc->LoadFromFile(xhtmlFile);
    int count = 0;
    for (TXmlDNode* node = doc.get(); node; node = NextNode(node))
        count += MarkerIndex(node) >= 0;
    return count;
}

// Gives the first divs of a page the marker ids in order (header, zones,
// footer), and the div after each zone marker that zone's framed variant,
// so the generator meets markers in real markup. The number of markers set.
int MarkPage(const std::string& file)
{
    TTagParser parser = TTagParser::CreateFromFile(file);
    parser.SetIgnoreCase(true);
    int marker = 0;
    bool variantNext = false;
    while (marker < kSkinMarkerCount && parser.Find("div")) {
        if (variantNext) {
            parser.SetAttribute("id", "ZONE" + std::to_string(marker - 1) + "_HAS_BORDER");
            variantNext = false;
            continue;
        }
        parser.SetAttribute("id", kSkinMarkers[marker]);
        variantNext = marker >= 1 && marker <= 5;
        ++marker;
    }
    parser.SaveToFile();
    return marker;
}

class SkinCorpusTest : public SkinBuildTest {};

class SkinCorpusPass : public SkinCorpusTest, public ::testing::WithParamInterface<bool> {};

// Unmarked: the pages as they are. Marked: the same pages with marker ids
// given to their first divs.
TEST_P(SkinCorpusPass, EveryTemplateBecomesASkinThatRendersOrAClearError)
{
    const bool marked = GetParam();
    const fs::path corpus = CorpusFolder();
    if (corpus.empty() || !fs::exists(corpus / "html" / "MANIFEST.tsv"))
        GTEST_SKIP() << "the corpus (WPE_CORPUS_DIR) is missing";
    const fs::path html = corpus / "html";
    const auto corpusBefore = FolderSnapshot(html);
    const auto templates = CorpusTemplates(html);
    ASSERT_GE(templates.size(), 8u);

    std::cout << "| template | markers | variant templates | files copied | unresolved | skin.xsl bytes | result |\n";
    int built = 0;
    for (const CorpusTemplate& t : templates) {
        SCOPED_TRACE(t.folder);
        const std::string name = std::string(marked ? "marked-" : "corpus-") + t.folder;
        const std::string skin = makeSkinFolder(name);
        const fs::path source = html / t.folder / t.mainFile;

        const TSkinImport import = ImportTemplate(source.string(), skin);
        if (marked)
            MarkPage(import.templateCopy);
        for (const auto& copy : import.copies) {
            EXPECT_TRUE(fs::exists(fs::path(skin) / copy.target)) << copy.target;
            EXPECT_TRUE(copy.target == "skin.css" || copy.target.rfind("files/", 0) == 0) << copy.target;
        }

        const std::string xhtml = (dir_.path() / (name + ".xhtml")).string();
        try {
            TemplateToXhtml(import.templateCopy, xhtml);
        } catch (const Exception& e) {
            // A template Tidy cannot repair is refused by name with its reasons.
            EXPECT_THAT(e.message(), ::testing::HasSubstr(import.templateCopy));
            EXPECT_THAT(e.message(), ::testing::HasSubstr("Error:"));
            EXPECT_FALSE(fs::exists(xhtml));
            std::cout << "| " << t.folder << " | - | - | " << import.copies.size() << " | " << import.unresolved.size()
                      << " | - | refused: " << e.message().substr(e.message().find("\r\n") + 2) << " |\n";
            continue;
        }
        const int markers = CountMarkers(xhtml);
        const std::string xsl = GenerateSkinXsl(xhtml, skin);
        WriteWholeFile(skin + "skin.xsl", xsl);
        EXPECT_EQ(StylesheetError(xsl, mainDtd()), "");

        TPortalBase base(root_.string());
        base.setCurrentSkin(name);
        std::string page;
        ASSERT_NO_THROW(page = RenderStartPage(base));
        EXPECT_THAT(page, ::testing::HasSubstr("<body"));

        // Every local reference of the page is the skin's style sheet or a
        // file in its files/ folder that exists, unless the template itself
        // named a file that is missing (the import reported it).
        const std::string prefix = PageSkinPrefix(name);
        for (const std::string& ref : HtmlReferences(page)) {
            if (IsRemoteReference(ref) || IsPortalReference(ref) || ref == prefix + "skin.css")
                continue;
            if (std::find(import.unresolved.begin(), import.unresolved.end(), ref) != import.unresolved.end())
                continue;
            ASSERT_EQ(ref.rfind(prefix + "files/", 0), 0u) << ref;
            EXPECT_TRUE(fs::exists(fs::path(skin) / ref.substr(prefix.size()))) << ref;
        }
        // Nothing but the template's copy, the style sheet, files/ and the
        // stylesheet is written into the skin.
        for (const auto& entry : fs::directory_iterator(skin)) {
            const std::string entryName = entry.path().filename().string();
            EXPECT_TRUE(entryName == "files" || entryName == "skin.css" || entryName == "skin.xsl" || entryName == name + ".cso" ||
                        entryName == source.filename().string())
                << entryName;
        }
        ++built;
        std::cout << "| " << t.folder << " | " << markers << " | " << FindAllPos("container[@visible='true']/WebPart", xsl, true).size()
                  << " | " << import.copies.size() << " | "
                  << import.unresolved.size() << " | " << xsl.size() << " | rendered |\n";
    }
    EXPECT_GE(built, 7);
    EXPECT_EQ(FolderSnapshot(html), corpusBefore) << "the corpus was changed";
}

INSTANTIATE_TEST_SUITE_P(Corpus, SkinCorpusPass, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Marked" : "AsTheyAre"; });

} // namespace

namespace {

class AwkwardTemplateTest : public SkinBuildTest {};

// Markers without border variants, and references of every awkward kind, in
// one template built the whole way and rendered.
TEST_F(AwkwardTemplateTest, GivesAUsableSkinAndTouchesNothingOutside)
{
    const fs::path site = dir_.path() / "designer" / "site";
    WriteFileBytes(site / "img" / "bg.gif", "bg");
    WriteFileBytes(site / "img" / "cell.gif", "cell");
    WriteFileBytes(dir_.path() / "designer" / "shared" / "logo.png", "logo");
    WriteFileBytes(site / "page.html",
                   "<html><head><title>x</title></head><body background=\"img/bg.gif\">"
                   "<div id=\"STARTPAGE_HEADER\">Top</div>"
                   "<img src=\"../shared/logo.png\"><img src=\"missing.png\"><img src=\"http://example.org/x.png\">"
                   "<table><tr><td background=\"img/cell.gif\" style=\"background:url(img/bg.gif)\">c</td></tr></table>"
                   "<div id=\"zone1\"></div><div id=\"ZONE2\"></div><div id=\"ZONE3\">no variants</div>"
                   "<div id=\"ZONE4\"></div><div id=\"ZONE5\"></div><div id=\"STARTPAGE_FOOTER\">End</div>"
                   "</body></html>");
    const auto before = FolderSnapshot(dir_.path() / "designer");
    const std::string skin = makeSkinFolder("Awkward");
    const TSkinImport import = ImportTemplate((site / "page.html").string(), skin);
    EXPECT_THAT(import.unresolved, ::testing::UnorderedElementsAre("missing.png", "http://example.org/x.png"));
    const std::string xhtml = (dir_.path() / "awkward.xhtml").string();
    TemplateToXhtml(import.templateCopy, xhtml);
    const std::string xsl = GenerateSkinXsl(xhtml, skin);
    WriteWholeFile(skin + "skin.xsl", xsl);
    EXPECT_EQ(StylesheetError(xsl, mainDtd()), "");
    EXPECT_THAT(xsl, ::testing::Not(::testing::HasSubstr("HasFrame"))) << "no variants, no zone templates";

    TPortalBase base(root_.string());
    base.setCurrentSkin("Awkward");
    const std::string page = RenderStartPage(base);
    // Web parts still show, through the portal's plain templates.
    EXPECT_THAT(page, ::testing::HasSubstr("World News"));
    EXPECT_THAT(page, ::testing::HasSubstr("src=\"" + PageSkinPrefix("Awkward") + "files/logo.png\""));
    EXPECT_THAT(page, ::testing::HasSubstr("background=\"" + PageSkinPrefix("Awkward") + "files/cell.gif\""));
    EXPECT_THAT(page, ::testing::HasSubstr("background:url(img/bg.gif)")) << "style text stays as written";
    EXPECT_THAT(page, ::testing::HasSubstr("src=\"missing.png\""));
    EXPECT_THAT(page, ::testing::HasSubstr("src=\"http://example.org/x.png\""));
    EXPECT_EQ(FolderSnapshot(dir_.path() / "designer"), before);
}

} // namespace
