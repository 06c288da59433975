#include "webpart/PartEditing.h"

#include "WebPartTestSupport.h"
#include "util/Exception.h"
#include "webpart/MemoryFields.h"
#include "webpart/WebPart.h"

#include <gtest/gtest.h>

using namespace wpe;
using namespace wpe::test;

namespace {

class PartEditingTest : public ::testing::Test {
protected:
    std::unique_ptr<MemoryFieldSource> fields = MakeEditorFields();
    std::string text(const char* name) { return FieldText(*fields, name); }
    void set(const char* name, const std::string& value) { SetFieldText(*fields, name, value); }
    IChoiceField& choice(const char* name) { return fields->As<IChoiceField>(name); }
};

TEST_F(PartEditingTest, FieldsByNameReadAndWriteEveryTextKindAndRefuseTheRest) {
    set("Title", "t");
    set("Content", "<b/>");
    set("Language", "de");
    EXPECT_EQ(text("Title"), "t");
    EXPECT_EQ(text("Content"), "<b/>");
    EXPECT_EQ(text("Language"), "de") << "a choice list's free text";
    set("Zone", "Left");
    EXPECT_EQ(choice("Zone").ItemIndex(), 1);
    // A check box or a missing field is an error, not an empty text.
    EXPECT_THROW(text("HasFrame"), Exception);
    EXPECT_THROW(set("Category", "x"), Exception);
    EXPECT_THROW(text("NoSuchField"), Exception);
}

TEST_F(PartEditingTest, SaveWarningsNameEveryMissingPieceInOrder) {
    struct Row {
        const char* content;
        const char* contentLink;
        int type;
        const char* xsl;
        const char* xslLink;
        std::vector<std::string> warnings;
    };
    const std::vector<Row> rows = {
        {"", "http://", 0, "", "http://", {kContentEmpty}},
        {"", "HTTP://", 3, "", "", {kContentEmpty, kXslEmpty}},
        {"", "", 3, "", "Http://", {kContentEmpty, kXslEmpty}},
        {"c", "http://", 3, "", "http://", {kXslEmpty}},
        {"", "http://x", 0, "", "", {}},
        {"c", "", 3, "<x/>", "", {}},
        {"c", "", 3, "", "rss.xsl", {}},
        {"c", "", 2, "", "", {}},
    };
    for (const Row& row : rows) {
        set("Content", row.content);
        set("ContentLink", row.contentLink);
        choice("ContentType").SetItemIndex(row.type);
        set("XSL", row.xsl);
        set("XSLLink", row.xslLink);
        EXPECT_EQ(SaveWarnings(*fields), row.warnings) << row.content << "|" << row.contentLink << "|" << row.type;
    }
}

TEST(PartEditingRules, ProposedFileNameAndMasterPartLink) {
    EXPECT_EQ(ProposedFileName("/parts/news.xml", "Other"), "news.xml");
    EXPECT_EQ(ProposedFileName("", " a/b:c "), "a-b-c");
    EXPECT_EQ(ProposedFileName("", "  "), "Untitled");

    struct Row {
        const char* link;
        const char* old;
        bool saveAs;
        std::optional<std::string> becomes;
    };
    const std::vector<Row> rows = {
        {"", "/p/old.xml", false, "new.xml"},
        {"HTTP://", "/p/old.xml", false, "new.xml"},
        {"old.xml", "/p/old.xml", true, "new.xml"},
        {"old.xml", "/p/old.xml", false, std::nullopt},
        {"main.xml", "/p/old.xml", true, std::nullopt},
        {"", "", true, "new.xml"},
        {"Old.xml", "/p/old.xml", true, std::nullopt},
    };
    for (const Row& row : rows)
        EXPECT_EQ(MasterPartLinkAfterSave(row.link, row.old, "/q/new.xml", row.saveAs), row.becomes)
            << row.link << " " << row.old << " " << row.saveAs;
}

TEST(PartEditingRules, CategoryEditPathAndBrowsableAddress) {
    MemoryCategoryList list;
    EXPECT_EQ(CategoryEditPath(list, -1, "News"), "News");
    list.Add("World");
    list.Add("Fun/Games");
    EXPECT_EQ(CategoryEditPath(list, -1, "News"), "World/News");
    EXPECT_EQ(CategoryEditPath(list, 1, ""), "Fun/Games/");
    EXPECT_EQ(CategoryEditPath(list, 7, "T"), "World/T");

    EXPECT_EQ(BrowsableAddress("  HTTP://x.org/a "), "HTTP://x.org/a");
    EXPECT_EQ(BrowsableAddress("https://x.org"), std::nullopt);
    EXPECT_EQ(BrowsableAddress("http:/"), std::nullopt);
    EXPECT_EQ(BrowsableAddress("page.html"), std::nullopt);
}

class PartCommandsTest : public PartEditingTest {
protected:
    void SetUp() override {
        dir.Write(kWebPartTemplateFileName,
                  "<WebPart><Section id=\"S\"><XSLLink/><ContentType>0</ContentType><CacheBehavior>0</CacheBehavior>"
                  "<CacheTimeout/><CustomizationWidth/><CustomizationHeight/></Section></WebPart>");
        part = std::make_unique<TWebPart>(dir.Path(), fields.get());
    }
    bool written(const std::string& tag) { return part->BuildText().find("<" + tag + ">") != std::string::npos; }
    TempDir dir;
    std::unique_ptr<TWebPart> part;
};

TEST_F(PartCommandsTest, RssSettingsSetTheFieldsWithoutTheChangeHandling) {
    auto& type = dynamic_cast<MemoryChoiceField&>(choice("ContentType"));
    ApplyRssSettings(*part, *fields);
    EXPECT_EQ(text("XSLLink"), "rss.xsl");
    EXPECT_EQ(type.ItemIndex(), 3);
    EXPECT_EQ(type.changeCount(), 0);
    EXPECT_EQ(text("CustomizationWidth"), "233");
    EXPECT_EQ(text("CustomizationHeight"), "182");
    EXPECT_TRUE(written("ContentType")) << part->BuildText();
}

TEST_F(PartCommandsTest, CacheTimeoutMakesANoneCacheEachUser) {
    struct Row {
        int seconds;
        int before;
        int after;
    };
    const Row rows[] = {{21600, 0, 2}, {1800, 1, 1}, {0, 0, 0}, {86400, 2, 2}};
    for (const Row& row : rows) {
        choice("CacheBehavior").SetItemIndex(row.before);
        ApplyCacheTimeout(*part, *fields, row.seconds);
        EXPECT_EQ(text("CacheTimeout"), std::to_string(row.seconds));
        EXPECT_EQ(choice("CacheBehavior").ItemIndex(), row.after) << row.seconds << " from " << row.before;
    }
    EXPECT_TRUE(written("CacheBehavior")) << "the changed behaviour is written with the part";
}

} // namespace
