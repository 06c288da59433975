#include "webpart/Bindings.h"

#include <gtest/gtest.h>

#include "webpart/MemoryFields.h"

using namespace wpe;

namespace {

TEST(BindTagTest, FieldKindAndNamePickTheConversion) {
    MemoryFieldSource fields;
    fields.Add("Category", std::make_unique<MemoryCategoryList>());
    fields.Add("Other", std::make_unique<MemoryCategoryList>());
    fields.Add("Zone", std::make_unique<MemoryChoiceField>(std::vector<std::string>{"a"}));
    fields.Add("Colour", std::make_unique<MemoryChoiceField>(std::vector<std::string>{"a"}));
    fields.Add("Title", std::make_unique<MemoryTextField>());

    EXPECT_TRUE(BindTag("Category", &fields).Bound());
    EXPECT_FALSE(BindTag("Other", &fields).Bound()) << "only the list named Category takes categories";
    EXPECT_TRUE(BindTag("Zone", &fields).Bound());
    EXPECT_FALSE(BindTag("Colour", &fields).Bound()) << "a choice list without rules stays unbound";
    EXPECT_FALSE(BindTag("title", &fields).Bound()) << "names match exactly";
    EXPECT_FALSE(BindTag("Missing", &fields).Bound());
    EXPECT_FALSE(BindTag("Title", nullptr).Bound());
    EXPECT_EQ(BindTag("Title", &fields).control, fields.FindField("Title"));
}

TEST(BindTagTest, CategoryGetterReadsOneEntryPerCall) {
    MemoryFieldSource fields;
    auto& list = fields.Add("Category", std::make_unique<MemoryCategoryList>());
    TagBinding b = BindTag("Category", &fields);
    b.setter(list, "x/y");
    b.setter(list, "");
    b.setter(list, "z");
    EXPECT_EQ(list.Entries(), (std::vector<std::string>{"x/y", "z"}));
    list.ResetCursor();
    EXPECT_EQ(b.getter(list), "x/y");
    EXPECT_EQ(b.getter(list), "z");
    EXPECT_EQ(b.getter(list), "");
    list.ResetCursor();
    EXPECT_EQ(b.getter(list), "x/y");
}

TEST(BindTagTest, CodeAndTreeKeepMarkup) {
    MemoryFieldSource fields;
    auto& code = fields.Add("XSL", std::make_unique<MemoryCodeField>());
    auto& tree = fields.Add("PartStorage", std::make_unique<MemoryPartStorageField>());
    TagBinding c = BindTag("XSL", &fields);
    c.setter(code, "&lt;x/&gt;\r\n");
    EXPECT_EQ(code.GetText(), "&lt;x/&gt;\r\n");
    EXPECT_EQ(c.getter(code), "&lt;x/&gt;");

    TagBinding t = BindTag("PartStorage", &fields);
    t.setter(tree, "<PartStorage><A>1</A></PartStorage>");
    EXPECT_EQ(tree.GetTree().NodeCount(), 1);
    EXPECT_EQ(t.getter(tree), "\r\n    <A>1</A>\r\n");
}

struct IntRow {
    const char* text;
    bool ok;
    int value;
};

class ParseIntegerTest : public ::testing::TestWithParam<IntRow> {};

TEST_P(ParseIntegerTest, AcceptsWholeDecimalIntegersOnly) {
    int value = 12345;
    EXPECT_EQ(ParseInteger(GetParam().text, value), GetParam().ok) << GetParam().text;
    EXPECT_EQ(value, GetParam().ok ? GetParam().value : 12345);
}

INSTANTIATE_TEST_SUITE_P(Rows, ParseIntegerTest,
                         ::testing::Values(IntRow{"3", true, 3}, IntRow{" 2", true, 2}, IntRow{"-1", true, -1},
                                           IntRow{"+4", true, 4}, IntRow{"007", true, 7}, IntRow{"", false, 0},
                                           IntRow{"-", false, 0}, IntRow{"2 ", false, 0}, IntRow{"1.0", false, 0},
                                           IntRow{"0x1", false, 0}, IntRow{"99999999999", false, 0},
                                           IntRow{"2147483647", true, 2147483647},
                                           IntRow{"-2147483648", true, -2147483647 - 1},
                                           IntRow{"2147483648", false, 0}));

struct EscapeRow {
    const char* field;
    const char* written;
};

class TextFieldValueTest : public ::testing::TestWithParam<EscapeRow> {};

TEST_P(TextFieldValueTest, TrimsAndEscapesWhatWouldBreakThePart) {
    EXPECT_EQ(TextFieldValue(GetParam().field), GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(Rows, TextFieldValueTest,
                         ::testing::Values(EscapeRow{"  plain\t", "plain"}, EscapeRow{"a<b>c", "a&lt;b&gt;c"},
                                           EscapeRow{"AT&T", "AT&amp;T"}, EscapeRow{"&amp; &#65; &#x4A;", "&amp; &#65; &#x4A;"},
                                           EscapeRow{"& ;&#;&#x;&1a;", "&amp; ;&amp;#;&amp;#x;&amp;1a;"},
                                           EscapeRow{"end &", "end &amp;"}, EscapeRow{"\"q\" 'a'", "\"q\" 'a'"}));

TEST(MemoryChoiceFieldTest, FixedListShowsOnlyItsItems) {
    MemoryChoiceField fixed({"None", "All Users"});
    fixed.SetText("All Users");
    EXPECT_EQ(fixed.ItemIndex(), 1);
    fixed.SetText("Bogus");
    EXPECT_EQ(fixed.ItemIndex(), -1);
    EXPECT_EQ(fixed.GetText(), "");
    fixed.SetItemIndex(7);
    EXPECT_EQ(fixed.ItemIndex(), -1);

    MemoryChoiceField free({"en", "ru"}, true);
    free.SetText("de");
    EXPECT_EQ(free.GetText(), "de");
    EXPECT_EQ(free.ItemIndex(), -1);
    free.SetText("ru");
    EXPECT_EQ(free.ItemIndex(), 1);
}

} // namespace
