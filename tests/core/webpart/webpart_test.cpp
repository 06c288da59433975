#include "webpart/WebPart.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "WebPartTestSupport.h"
#include "util/Exception.h"
#include "webpart/MemoryFields.h"

using namespace wpe;
using wpe::test::EnvDir;
using wpe::test::ReadFile;
using wpe::test::RecordingDialogs;
using wpe::test::TempDir;

namespace {

const std::string kAbTemplate =
    "<?xml version=\"1.0\" encoding=\"WINDOWS-1251\" ?>\r\n"
    "<WebPart>\r\n"
    "  <Section id=\"A\"><Title></Title><Description>none</Description></Section>\r\n"
    "  <Section id=\"B\"><Zone>1</Zone></Section>\r\n"
    "</WebPart>\r\n";

// A part over a template written to a temporary program folder, with the
// editor's fields held in memory.
class WebPartTest : public ::testing::Test {
protected:
    void Open(const std::string& templateText) {
        dir_.Write(kWebPartTemplateFileName, templateText);
        part_ = std::make_unique<TWebPart>(dir_.Path(), fields_.get());
    }
    // Reads text into the part as the editor does for a loaded file.
    void Read(const std::string& text) {
        part_->SetSourceText(text);
        part_->Template().ResetControls();
        part_->Parse();
    }
    std::string ReadAndWrite(const std::string& text) {
        Read(text);
        return part_->BuildText();
    }
    template <class F>
    F& Field(const std::string& name) { return fields_->As<F>(name); }

    TempDir dir_;
    RecordingDialogs dialogs_;
    std::unique_ptr<MemoryFieldSource> fields_ = MakeEditorFields();
    std::unique_ptr<TWebPart> part_;
};

std::string Block(const std::string& section, const std::string& lines) {
    return "\r\n  <!-- " + section + " -->\r\n" + lines;
}

// ---- canonical layout ----

TEST_F(WebPartTest, WritesSectionsInTemplateOrderWithTagsSorted) {
    Open(kAbTemplate);
    EXPECT_EQ(ReadAndWrite("<WebPart><Zone>2</Zone><Title>T</Title></WebPart>"),
              "<WebPart>\r\n" + Block("A", "  <Title>T</Title>\r\n") + Block("B", "  <Zone>2</Zone>\r\n") +
                  Block("UNKNOWN", "") + "</WebPart>");
}

TEST_F(WebPartTest, KeepsUnlistedElementsUnindentedInTheLastBlock) {
    Open(kAbTemplate);
    std::string text = ReadAndWrite("<WebPart><Foo a=\"1\">x</Foo><Title>T</Title></WebPart>");
    EXPECT_NE(text.find("  <!-- UNKNOWN -->\r\n<Foo a=\"1\">x</Foo>\r\n</WebPart>"), std::string::npos) << text;
}

TEST_F(WebPartTest, StrayTextKeepsItsSizeFromSaveToSave) {
    Open(kAbTemplate);
    const std::string first = ReadAndWrite("<WebPart>\r\n  <Title>T</Title>\r\n!/WebPart>\r\n");
    EXPECT_NE(first.find("  <!-- UNKNOWN -->\r\n!/WebPart&gt;\r\n</WebPart>"), std::string::npos) << first;
    EXPECT_EQ(ReadAndWrite(first), first);
    // A blank text on one line is kept by the reader, but not once it stands
    // on a line of its own: it is not written.
    const std::string blank = ReadAndWrite(std::string("<WebPart><Title>T</Title>\0\t  <Foo/></WebPart>", 45));
    EXPECT_NE(blank.find("  <!-- UNKNOWN -->\r\n<Foo/>\r\n</WebPart>"), std::string::npos) << blank;
    EXPECT_EQ(ReadAndWrite(blank), blank);
}

TEST_F(WebPartTest, SortsWithoutRegardToCase) {
    Open("<WebPart><Section id=\"S\"><b/><A/><C/><a2/></Section></WebPart>");
    EXPECT_EQ(ReadAndWrite("<WebPart><C>3</C><b>2</b><a2>x</a2><A>1</A></WebPart>"),
              "<WebPart>\r\n" + Block("S", "  <A>1</A>\r\n  <a2>x</a2>\r\n  <b>2</b>\r\n  <C>3</C>\r\n") +
                  Block("UNKNOWN", "") + "</WebPart>");
}

TEST_F(WebPartTest, KeepsRootAttributesPrologAndEpilog) {
    Open(kAbTemplate);
    std::string text = ReadAndWrite(
        "<?xml version=\"1.0\" encoding=\"WINDOWS-1251\" ?>\r\n<!--top-->\r\n<WebPart a=\"1\" b=\"&amp;\">"
        "<Title>T</Title></WebPart>\r\n<!--after--><?pi data?>");
    EXPECT_TRUE(text.starts_with(
        "<?xml version=\"1.0\" encoding=\"WINDOWS-1251\" ?>\r\n<!--top-->\r\n<WebPart a=\"1\" b=\"&amp;\">\r\n"))
        << text;
    EXPECT_TRUE(text.ends_with("</WebPart><!--after-->\r\n<?pi data?>\r\n")) << text;
}

TEST_F(WebPartTest, NewPartUsesTemplatePrologAndRequiredDefaults) {
    Open("<?xml version=\"1.0\" ?>\r\n<!--ignored--><?style x?><WebPart v=\"2\">"
         "<Section id=\"A\"><Title required=\"TRUE\">New</Title><Description required=\"yes\"/></Section>"
         "<Section id=\"B\"><Zone required=\"1\">4</Zone></Section></WebPart>");
    part_->Template().ResetControls();
    EXPECT_EQ(part_->BuildText(), "<?xml version=\"1.0\" ?>\r\n<?style x?>\r\n<WebPart v=\"2\">\r\n" +
                                      Block("A", "  <Title>New</Title>\r\n") + Block("B", "  <Zone>4</Zone>\r\n") +
                                      Block("UNKNOWN", "") + "</WebPart>");
}

TEST_F(WebPartTest, RequiredTagPresentInPartIsWrittenOnce) {
    Open("<WebPart><Section id=\"A\"><Title required=\"true\">d</Title></Section></WebPart>");
    std::string text = ReadAndWrite("<WebPart><Title>mine</Title></WebPart>");
    EXPECT_EQ(text, "<WebPart>\r\n" + Block("A", "  <Title>mine</Title>\r\n") + Block("UNKNOWN", "") + "</WebPart>");
}

TEST_F(WebPartTest, EditedFieldWithoutItemIsWrittenOnceItsItemExists) {
    Open(kAbTemplate);
    Read("<WebPart><Zone>2</Zone></WebPart>");
    Field<MemoryTextField>("Description").SetText("typed");
    EXPECT_EQ(part_->BuildText().find("Description"), std::string::npos);
    EXPECT_TRUE(part_->EnsureItem("Description"));
    EXPECT_FALSE(part_->EnsureItem("Description"));
    EXPECT_NE(part_->BuildText().find("  <Description>typed</Description>\r\n"), std::string::npos);
}

// ---- reading back what was written ----

TEST_F(WebPartTest, WrittenTextReadAndWrittenAgainIsUnchanged) {
    Open(kAbTemplate);
    std::string first = ReadAndWrite(
        "<?xml version=\"1.0\" ?><WebPart><!--c1--><Zone>5</Zone><Foo>bar</Foo><Title>a &amp; b</Title>"
        "<!--end--></WebPart><!--tail-->");
    std::string second = ReadAndWrite(first);
    EXPECT_EQ(second, first);
    // The section headers of the first text were dropped, not kept as comments.
    EXPECT_EQ(part_->Body().Count(), 5);
}

TEST_F(WebPartTest, TypedMarkupCharactersAreEscapedSoThePartStillReads) {
    Open(kAbTemplate);
    Read("<WebPart><Title>x</Title></WebPart>");
    Field<MemoryTextField>("Title").SetText("  a < b && c > d &amp; &#65;  ");
    std::string text = part_->BuildText();
    EXPECT_NE(text.find("<Title>a &lt; b &amp;&amp; c &gt; d &amp; &#65;</Title>"), std::string::npos) << text;
    Read(text);
    EXPECT_EQ(Field<MemoryTextField>("Title").GetText(), "a < b && c > d & &#65;");
}

// ---- comments ----

TEST_F(WebPartTest, CommentTravelsWithTheTagThatFollowsIt) {
    Open(kAbTemplate);
    std::string text = ReadAndWrite("<WebPart><Zone>1</Zone><!-- about title --><Title>T</Title></WebPart>");
    EXPECT_NE(text.find(Block("A", "<!-- about title -->\r\n  <Title>T</Title>\r\n")), std::string::npos) << text;
}

TEST_F(WebPartTest, CommentAfterTheLastTagStaysAfterIt) {
    Open(kAbTemplate);
    std::string text = ReadAndWrite("<WebPart><Title>T</Title><Description>D</Description><!--last--></WebPart>");
    EXPECT_NE(text.find(Block("A", "  <Description>D</Description>\r\n<!--last-->\r\n  <Title>T</Title>\r\n")),
              std::string::npos)
        << text;
}

TEST_F(WebPartTest, OfTwoCommentsBeforeATagOnlyTheSecondGoesWithIt) {
    Open(kAbTemplate);
    std::string text = ReadAndWrite("<WebPart><Zone>1</Zone><!--one--><!--two--><Title>T</Title></WebPart>");
    EXPECT_NE(text.find(Block("A", "<!--two-->\r\n  <Title>T</Title>\r\n")), std::string::npos) << text;
    EXPECT_NE(text.find(Block("UNKNOWN", "<!--one-->\r\n</WebPart>")), std::string::npos) << text;
}

// A comment is named one code away from its neighbour; where that code folds
// to another place ('`' after 'A', Cyrillic letters beside punctuation) it
// must still stay by the tag, and the text must not change from save to save.
TEST_F(WebPartTest, CommentStaysByATagWhoseLastLetterFoldsAway) {
    Open(kAbTemplate);
    for (const std::string tag : {"Media", "Zeta", "Data\x9c", "Foo\xe0"}) {
        const std::string first =
            ReadAndWrite("<WebPart><!--before--><Aa>y</Aa><!--x--><" + tag + ">z</" + tag + "><!--after--></WebPart>");
        EXPECT_NE(first.find("<!--before-->\r\n<Aa>y</Aa>\r\n<!--x-->\r\n<" + tag + ">z</" + tag + ">\r\n<!--after-->"),
                  std::string::npos)
            << first;
        const std::string second = ReadAndWrite(first);
        EXPECT_EQ(second, first) << tag;
        EXPECT_EQ(ReadAndWrite(second), second) << tag;
    }
}

TEST_F(WebPartTest, OnlyChildCommentIsKeptInTheLastBlock) {
    Open(kAbTemplate);
    EXPECT_EQ(ReadAndWrite("<WebPart><!--alone--></WebPart>"),
              "<WebPart>\r\n" + Block("A", "") + Block("B", "") + Block("UNKNOWN", "<!--alone-->\r\n") + "</WebPart>");
}

TEST_F(WebPartTest, SectionHeaderCommentsAreDroppedWhenRead) {
    Open(kAbTemplate);
    Read("<WebPart><!-- A --><Title>T</Title><!-- B --><!-- UNKNOWN --><!-- C --></WebPart>");
    ASSERT_EQ(part_->Body().Count(), 2);
    EXPECT_EQ(part_->Body()[1].Text, "<!-- C -->");
    EXPECT_TRUE(part_->IsSectionHeader("<!-- UNKNOWN -->"));
    EXPECT_FALSE(part_->IsSectionHeader("<!--A-->"));
}

// ---- duplicates and categories ----

TEST_F(WebPartTest, DuplicateTagIsWarnedAboutAndTheFirstValueWins) {
    Open(kAbTemplate);
    std::string text = ReadAndWrite("<WebPart><Title>first</Title><Zone>2</Zone><Title>second</Title></WebPart>");
    ASSERT_EQ(dialogs_.asked.size(), 1u);
    EXPECT_EQ(dialogs_.asked[0].kind, MsgKind::Warning);
    EXPECT_EQ(dialogs_.asked[0].buttons, MsgButtons::Ok);
    EXPECT_EQ(dialogs_.asked[0].text, "Duplicate tag <Title> !");
    EXPECT_EQ(Field<MemoryTextField>("Title").GetText(), "first");
    EXPECT_NE(text.find("<Title>first</Title>"), std::string::npos);
    EXPECT_EQ(text.find("second"), std::string::npos);
}

TEST_F(WebPartTest, CategoriesLoadIntoTheListAndAreWrittenAsTheListHoldsThem) {
    Open("<WebPart><Section id=\"G\"><Category/><Title/></Section></WebPart>");
    Read("<WebPart><Category>b/x</Category><Title>T</Title><Category>a</Category><Category></Category>"
         "<Category>c &amp; d</Category></WebPart>");
    auto& list = Field<MemoryCategoryList>("Category");
    EXPECT_EQ(list.Entries(), (std::vector<std::string>{"b/x", "a", "c &amp; d"}));
    EXPECT_TRUE(dialogs_.asked.empty());

    const std::string expected = "  <Category>b/x</Category>\r\n  <Category>a</Category>\r\n"
                                 "  <Category>c &amp; d</Category>\r\n  <Title>T</Title>\r\n";
    EXPECT_NE(part_->BuildText().find(expected), std::string::npos);
    EXPECT_NE(part_->BuildText().find(expected), std::string::npos) << "writing twice gives the same categories";

    list.Delete(0);
    list.Add("z/new");
    std::string text = part_->BuildText();
    EXPECT_NE(text.find("  <Category>a</Category>\r\n  <Category>c &amp; d</Category>\r\n  <Category>z/new</Category>\r\n"
                        "  <Title>T</Title>"),
              std::string::npos)
        << text;
    list.Clear();
    EXPECT_EQ(part_->BuildText().find("Category"), std::string::npos);
}

// ---- field values ----

struct ValueRow {
    const char* tag;
    const char* text;
    const char* shown;    // field text, item or check state after reading
    const char* written;  // value written back
};

class FieldValueTest : public WebPartTest, public ::testing::WithParamInterface<ValueRow> {};

TEST_P(FieldValueTest, ReadsIntoTheFieldAndWritesBack) {
    const ValueRow& row = GetParam();
    Open("<WebPart><Section id=\"S\"><ContentType>1</ContentType><CacheBehavior>1</CacheBehavior><Zone>2</Zone>"
         "<Language>fr</Language><AllowMinimize>0</AllowMinimize><KeepLoaded>0</KeepLoaded><Title/><Content/>"
         "</Section></WebPart>");
    std::string text = ReadAndWrite(std::string("<WebPart><") + row.tag + ">" + row.text + "</" + row.tag + "></WebPart>");
    IField* field = fields_->FindField(row.tag);
    std::string shown;
    if (auto* c = dynamic_cast<IChoiceField*>(field)) shown = c->GetText();
    else if (auto* k = dynamic_cast<ICheckField*>(field)) shown = k->IsChecked() ? "checked" : "clear";
    else if (auto* t = dynamic_cast<ITextField*>(field)) shown = t->GetText();
    else if (auto* d = dynamic_cast<ICodeField*>(field)) shown = d->GetText();
    EXPECT_EQ(shown, row.shown);
    std::string element = std::string("  <") + row.tag + ">" + row.written + "</" + row.tag + ">\r\n";
    EXPECT_NE(text.find(element), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Values, FieldValueTest,
    ::testing::Values(ValueRow{"Zone", "9", "Top", "1"}, ValueRow{"Zone", "5", "Bottom", "5"},
                      ValueRow{"Zone", "0", "Top", "1"}, ValueRow{"Zone", "3x", "Top", "1"},
                      ValueRow{"ContentType", "x", "HTML", "0"}, ValueRow{"ContentType", "3", "XML", "3"},
                      ValueRow{"ContentType", "-1", "HTML", "0"}, ValueRow{"CacheBehavior", "2", "Each User", "2"},
                      ValueRow{"CacheBehavior", "3", "None", "0"}, ValueRow{"CacheBehavior", "", "None", "0"},
                      ValueRow{"Language", " de ", " de ", "de"}, ValueRow{"AllowMinimize", "true", "checked", "1"},
                      ValueRow{"AllowMinimize", "0", "clear", "0"}, ValueRow{"KeepLoaded", "", "checked", "1"},
                      ValueRow{"Title", "  padded  ", "  padded  ", "padded"},
                      ValueRow{"Title", "&lt;b&gt; &quot;q&quot; &apos;", "<b> \"q\" '", "&lt;b&gt; \"q\" '"},
                      ValueRow{"Content", "<![CDATA[<p>x</p>]]>", "<![CDATA[<p>x</p>]]>", "<![CDATA[<p>x</p>]]>"},
                      ValueRow{"Content", "<p class=\"a\">&amp;<br/></p>", "<p class=\"a\">&amp;<br/></p>",
                               "<p class=\"a\">&amp;<br/></p>"}));

TEST_F(WebPartTest, ContentTypeRunsItsChangeHandlerWhileFillingFields) {
    Open("<WebPart><Section id=\"S\"><ContentType>2</ContentType></Section></WebPart>");
    auto& type = Field<MemoryChoiceField>("ContentType");
    std::vector<std::pair<int, bool>> seen;
    type.onChange = [&] { seen.push_back({type.ItemIndex(), FillingFields()}); };
    Read("<WebPart><ContentType>3</ContentType></WebPart>");
    EXPECT_EQ(seen, (std::vector<std::pair<int, bool>>{{2, true}, {3, true}}));
    EXPECT_FALSE(FillingFields());
}

TEST_F(WebPartTest, ResetControlsPutsDefaultsAndEmptiesTheCategoryList) {
    Open("<WebPart><Section id=\"S\"><Title>Untitled &amp; new</Title><Zone>4</Zone><HasFrame>0</HasFrame>"
         "<Category>ignored</Category><PartStorage><PartStorage><P>1</P></PartStorage></PartStorage>"
         "</Section></WebPart>");
    Field<MemoryCategoryList>("Category").Add("old");
    part_->Template().ResetControls();
    EXPECT_EQ(Field<MemoryTextField>("Title").GetText(), "Untitled & new");
    EXPECT_EQ(Field<MemoryChoiceField>("Zone").GetText(), "Right");
    EXPECT_FALSE(Field<MemoryCheckField>("HasFrame").IsChecked());
    EXPECT_EQ(Field<MemoryCategoryList>("Category").Count(), 0);
    const PartStorageTree& tree = Field<MemoryPartStorageField>("PartStorage").GetTree();
    ASSERT_EQ(tree.Root().ChildCount(), 1);
    EXPECT_EQ(tree.Root().Child(0)->caption, "P");
    // Untouched fields keep what they had.
    EXPECT_EQ(Field<MemoryTextField>("ContentLink").GetText(), "http://");
}

// ---- part storage in the part ----

TEST_F(WebPartTest, EmptyPartStorageIsWrittenOnOneLineWithItsAttributes) {
    Open("<WebPart><Section id=\"S\"><PartStorage/></Section></WebPart>");
    EXPECT_NE(ReadAndWrite("<WebPart><PartStorage v=\"1\"></PartStorage></WebPart>")
                  .find("  <PartStorage v=\"1\"></PartStorage>\r\n"),
              std::string::npos);
}

TEST_F(WebPartTest, PartStorageIsReadIntoTheTreeAndWrittenIndented) {
    Open("<WebPart><Section id=\"S\"><PartStorage/></Section></WebPart>");
    std::string text = ReadAndWrite("<WebPart><PartStorage><A>1</A><B><C>2</C></B></PartStorage></WebPart>");
    const PartStorageTree& tree = Field<MemoryPartStorageField>("PartStorage").GetTree();
    ASSERT_EQ(tree.Root().ChildCount(), 2);
    EXPECT_EQ(tree.Root().Child(1)->value, "<C>2</C>");
    EXPECT_NE(text.find("  <PartStorage>\r\n    <A>1</A>\r\n    <B><C>2</C></B>\r\n  </PartStorage>\r\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(ReadAndWrite(text), text);
}

TEST_F(WebPartTest, PartStorageWithoutATreeFieldKeepsItsContent) {
    fields_ = std::make_unique<MemoryFieldSource>();
    Open("<WebPart><Section id=\"S\"><PartStorage/></Section></WebPart>");
    std::string first = ReadAndWrite("<WebPart><PartStorage a=\"1\"><X>1</X><Y>2</Y></PartStorage></WebPart>");
    EXPECT_NE(first.find("  <PartStorage a=\"1\"><X>1</X><Y>2</Y></PartStorage>\r\n"), std::string::npos) << first;
    EXPECT_EQ(ReadAndWrite(first), first);
}

// ---- bad input ----

TEST_F(WebPartTest, TextThatIsNotWellFormedLeavesTheItemsAsTheyWere) {
    Open(kAbTemplate);
    std::string before = ReadAndWrite("<?x y?><WebPart><Title>T</Title><Foo/></WebPart><!--e-->");
    const std::string broken = "<WebPart><Title>broken</Zone></WebPart>";
    std::string readerMessage;
    try {
        MakeRef<TXmlDDocument>()->LoadXml(broken + "\r\n");
    } catch (const Exception& e) {
        readerMessage = e.what();
    }
    ASSERT_FALSE(readerMessage.empty());
    part_->SetSourceText(broken);
    try {
        part_->Parse();
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(std::string(e.what()), readerMessage);
    }
    EXPECT_FALSE(FillingFields());
    EXPECT_EQ(part_->Body().Count(), 2);
    EXPECT_EQ(part_->BuildText(), before);
}

TEST_F(WebPartTest, TextWithoutWebPartRootIsRefusedAndChangesNothing) {
    Open(kAbTemplate);
    std::string before = ReadAndWrite("<?x y?><WebPart><Title>T</Title></WebPart>");
    for (const char* text : {"<Other><Title>U</Title></Other>", "<?WebPart x?><Other/>"}) {
        part_->SetSourceText(text);
        try {
            part_->Parse();
            FAIL() << "no error for " << text;
        } catch (const Exception& e) {
            EXPECT_EQ(std::string(e.what()), "This document is not a WebPart!");
        }
        EXPECT_EQ(part_->BuildText(), before);
    }
    EXPECT_FALSE(FillingFields());
}

TEST_F(WebPartTest, ReaderErrorTextIsPassedOnUnchanged) {
    Open(kAbTemplate);
    part_->SetSourceText("<WebPart>\r\n<Title>T</Title\r\n");
    EXPECT_THROW(part_->Parse(), Exception);
    part_->SetSourceText("text before <WebPart/>");
    try {
        part_->Parse();
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(std::string(e.what()), "Ошибка в XML-документе: текст вне элемента");
    }
}

// Real-world XML: none of it is a web part, so every file must be refused
// with a message (or read, should one ever be a part), never crash, and
// never disturb the part read before.
TEST_F(WebPartTest, CorpusDocumentsAreRefusedCleanly) {
    auto corpus = EnvDir("WPE_CORPUS_DIR");
    if (!corpus || !std::filesystem::is_directory(*corpus + "xml")) GTEST_SKIP() << "no corpus";
    Open(kAbTemplate);
    const std::string before = ReadAndWrite("<WebPart><Title>kept</Title><!--c--></WebPart>");
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(*corpus + "xml")) {
        if (entry.path().extension() != ".xml") continue;
        ++files;
        part_->SetSourceText(ReadFile(entry.path().string()));
        try {
            part_->Parse();
            ADD_FAILURE() << entry.path() << " was read as a web part";
        } catch (const Exception&) {
        }
        EXPECT_FALSE(FillingFields());
        ASSERT_EQ(part_->BuildText(), before) << entry.path();
    }
    EXPECT_GT(files, 100);
}

// ---- template ----

TEST(WebPartTemplateTest, MissingTemplateGivesItsMessage) {
    TempDir dir;
    try {
        TWebPartTemplate t(dir.Path(), nullptr);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(std::string(e.what()), "WebPart template \"webpart template.xml\" not found!");
    }
}

TEST(WebPartTemplateTest, BrokenTemplatesAreRefused) {
    TempDir dir;
    dir.Write(kWebPartTemplateFileName, "<WebPart><Section id=\"A\"><Title></Section></WebPart>");
    EXPECT_THROW(TWebPartTemplate(dir.Path(), nullptr), Exception);
    dir.Write(kWebPartTemplateFileName, "<Other/>");
    try {
        TWebPartTemplate t(dir.Path(), nullptr);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(std::string(e.what()), "WebPart template \"webpart template.xml\" has no WebPart element!");
    }
}

TEST(WebPartTemplateTest, ReadsTagsSectionsAndBindings) {
    TempDir dir;
    dir.Write(kWebPartTemplateFileName,
              "<WebPart><!--c--><Loose>l</Loose><Section id=\"B\"><Zone required=\"True\">3</Zone>text<Title/></Section>"
              "<Section><Hidden/></Section><Section id=\"A\"><XSL><b>x</b></XSL></Section><Section id=\"B\">"
              "<Width/></Section><Section id=\"UNKNOWN\"/></WebPart>");
    auto fields = MakeEditorFields();
    TWebPartTemplate t(dir.Path(), fields.get());
    EXPECT_EQ(t.Sections(), (std::vector<std::string>{"B", "A", "UNKNOWN"}));
    ASSERT_EQ(t.Tags().size(), 6u);
    EXPECT_EQ(t.Tags()[0].Name, "Loose");
    EXPECT_EQ(t.Tags()[0].Section, "UNKNOWN");
    EXPECT_EQ(t.Tags()[0].Setter, nullptr);
    EXPECT_TRUE(t.Tags()[1].Required);
    EXPECT_EQ(t.Tags()[1].Default, "3");
    EXPECT_EQ(t.Tags()[1].Control, fields->FindField("Zone"));
    EXPECT_EQ(t.SectionOf("Hidden"), "");
    EXPECT_EQ(t.SectionOf("XSL"), "A");
    EXPECT_EQ(t.Tags()[4].Default, "<b>x</b>");
    EXPECT_EQ(t.SectionOf(""), "UNKNOWN");
    EXPECT_EQ(t.SectionOf("Nope"), "UNKNOWN");
    ASSERT_EQ(t.RequiredItems().Count(), 1);
    EXPECT_EQ(t.RequiredItems()[0].Text, "3");
    EXPECT_EQ(ItemsText(t.Prolog()), "<WebPart>\r\n");
}

TEST_F(WebPartTest, ListedTagOutsideSectionsIsStillWrittenAsAnElement) {
    Open("<WebPart><HasFrame>1</HasFrame></WebPart>");
    std::string text = ReadAndWrite("<WebPart><HasFrame>0</HasFrame></WebPart>");
    EXPECT_EQ(text, "<WebPart>\r\n" + Block("UNKNOWN", "  <HasFrame>0</HasFrame>\r\n") + "</WebPart>");
    EXPECT_EQ(ReadAndWrite(text), text);
}

TEST_F(WebPartTest, RepeatedSectionIdIsWrittenOnce) {
    Open("<WebPart><Section id=\"A\"><Title/></Section><Section id=\"A\"><Width/></Section></WebPart>");
    EXPECT_EQ(ReadAndWrite("<WebPart><Width>3</Width><Title>T</Title></WebPart>"),
              "<WebPart>\r\n" + Block("A", "  <Title>T</Title>\r\n  <Width>3</Width>\r\n") + Block("UNKNOWN", "") +
                  "</WebPart>");
}

TEST(SourceLinesTest, SplitsOnEveryLineBreakAndJoinsWithCrLf) {
    TempDir dir;
    dir.Write(kWebPartTemplateFileName, "<WebPart/>");
    TWebPart part(dir.Path(), nullptr);
    part.SetSourceText("a\r\nb\nc\rd\r\n\r\ne\r\n");
    EXPECT_EQ(part.Source, (std::vector<std::string>{"a", "b", "c", "d", "", "e"}));
    EXPECT_EQ(part.SourceText(), "a\r\nb\r\nc\r\nd\r\n\r\ne\r\n");
    part.SetSourceText("");
    EXPECT_TRUE(part.Source.empty());
}

// ---- shipped template and sample parts ----

class ShippedTemplateTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto data = EnvDir("WPE_DATA_DIR");
        auto samples = EnvDir("WPE_TEST_DATA");
        if (!data || !samples) GTEST_SKIP() << "WPE_DATA_DIR or WPE_TEST_DATA not set";
        samples_ = *samples + "webparts/";
        part_ = std::make_unique<TWebPart>(*data, fields_.get());
    }
    std::string ReadAndWrite(const std::string& text) {
        part_->SetSourceText(text);
        part_->Template().ResetControls();
        part_->Parse();
        return part_->BuildText();
    }

    RecordingDialogs dialogs_;
    std::unique_ptr<MemoryFieldSource> fields_ = MakeEditorFields();
    std::unique_ptr<TWebPart> part_;
    std::string samples_;
};

TEST_F(ShippedTemplateTest, BindsEveryTagToAnEditorField) {
    const auto& tags = part_->Template().Tags();
    EXPECT_EQ(tags.size(), fields_->Names().size() - 1) << "every field but Comments has a tag";
    for (const TTagTemplate& tag : tags) {
        EXPECT_NE(tag.Setter, nullptr) << tag.Name;
        EXPECT_NE(tag.Section, "UNKNOWN") << tag.Name;
    }
    EXPECT_FALSE(part_->Template().HasTag("Comments"));
}

TEST_F(ShippedTemplateTest, DefaultsMatchTheEditorsInitialValues) {
    auto initial = MakeEditorFields();
    part_->Template().ResetControls();
    for (const TTagTemplate& tag : part_->Template().Tags()) {
        IField* now = fields_->FindField(tag.Name);
        IField* was = initial->FindField(tag.Name);
        EXPECT_EQ(tag.Getter(*now), tag.Getter(*was)) << tag.Name;
    }
}

TEST_F(ShippedTemplateTest, NewPartHoldsTheRequiredTags) {
    part_->Template().ResetControls();
    std::string text = part_->BuildText();
    EXPECT_TRUE(text.starts_with("<?xml version=\"1.0\" encoding=\"WINDOWS-1251\" ?>\r\n<WebPart>\r\n\r\n  <!-- General -->\r\n"
                                 "  <Title></Title>\r\n"))
        << text;
    EXPECT_NE(text.find("  <!-- Content -->\r\n  <Content></Content>\r\n"), std::string::npos) << text;
}

TEST_F(ShippedTemplateTest, SamplePartIsWrittenInTheCanonicalLayout) {
    std::string canonical = ReadFile(samples_ + "news.canonical.xml");
    ASSERT_FALSE(canonical.empty());
    EXPECT_EQ(ReadAndWrite(ReadFile(samples_ + "news.xml")), canonical);
    EXPECT_TRUE(dialogs_.asked.empty());
    EXPECT_EQ(fields_->As<MemoryCategoryList>("Category").Count(), 3);
    EXPECT_EQ(fields_->As<MemoryPartStorageField>("PartStorage").GetTree().NodeCount(), 7);
    EXPECT_EQ(ReadAndWrite(canonical), canonical);
}

TEST_F(ShippedTemplateTest, EverySamplePartReadsAndWritesStably) {
    for (const char* name : {"news.xml", "minimal.xml", "rss-reader.dwp"}) {
        std::string first = ReadAndWrite(ReadFile(samples_ + name));
        EXPECT_EQ(ReadAndWrite(first), first) << name;
    }
}

} // namespace
