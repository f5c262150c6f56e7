#include "records/TableEngine.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using namespace korvex;

namespace {

std::vector<FieldDef> TwoFields(int width = 20)
{
    return {{"aNO", FieldType::Integer, 0}, {"aText", FieldType::Text, width}};
}

void AddRow(TTable& t, std::int32_t number, std::string_view text)
{
    t.Append();
    t.SetInteger(0, number);
    t.SetText(1, text);
    t.Post();
}

}  // namespace

TEST(TableEngine, TextIsCutToWidthThenStoredWithoutTrailingBlanks)
{
    struct Case {
        std::string input;
        std::string stored;
    };
    const std::vector<Case> cases = {
        {"abc  ", "abc"},
        {"  abc", "  abc"},
        {"a b", "a b"},
        {"   ", ""},
        {"", ""},
        {"123456789012345678901234", "12345678901234567890"},
        {"1234567890123456789 X", "1234567890123456789"},
        {"12345678901234567890   ", "12345678901234567890"},
        {"tab\t", "tab\t"},
        {std::string("\xB5\x80 x\0y", 6), std::string("\xB5\x80 x\0y", 6)},
    };
    TTable t(TwoFields());
    for (const Case& c : cases)
        AddRow(t, 1, c.input);
    ASSERT_EQ(t.RecordCount(), static_cast<int>(cases.size()));
    for (std::size_t i = 0; i < cases.size(); ++i)
        EXPECT_EQ(t.Text(static_cast<int>(i), 1), cases[i].stored) << "case " << i;
}

TEST(TableEngine, WideTextsAndEveryIntegerSurvive)
{
    TTable t(TwoFields(300));
    const std::string wide(290, 'w');
    AddRow(t, INT32_MIN, wide + "          xyz");
    AddRow(t, INT32_MAX, "z");
    AddRow(t, -1, std::string(127, 'a'));
    EXPECT_EQ(t.Integer(0, 0), INT32_MIN);
    EXPECT_EQ(t.Text(0, 1), wide);
    EXPECT_EQ(t.Integer(1, 0), INT32_MAX);
    EXPECT_EQ(t.Text(1, 1), "z");
    EXPECT_EQ(t.Integer(2, 0), -1);
    EXPECT_EQ(t.Text(2, 1), std::string(127, 'a'));
}

TEST(TableEngine, FindsFieldsWithoutRegardToCase)
{
    TTable t({{"aNO", FieldType::Integer, 0}, {"aTime", FieldType::Text, 20}, {"aFreq", FieldType::Text, 20}});
    EXPECT_EQ(t.FindField("aNO"), 0);
    EXPECT_EQ(t.FindField("ANo"), 0);
    EXPECT_EQ(t.FindField("ano"), 0);
    EXPECT_EQ(t.FindField("ATIME"), 1);
    EXPECT_EQ(t.FindField("afreq"), 2);
    EXPECT_EQ(t.FindField("aNO "), -1);
    EXPECT_EQ(t.FindField("aN"), -1);
    EXPECT_EQ(t.FindField(""), -1);
    EXPECT_EQ(t.FieldCount(), 3);
    EXPECT_EQ(t.Fields()[1].size, 20);
}

TEST(TableEngine, FieldsNotSetHoldNoValue)
{
    TTable t({{"a", FieldType::Text, 5}, {"n", FieldType::Integer, 0}, {"b", FieldType::Text, 5}});
    t.Append();
    t.SetText(2, "last");
    t.Post();
    EXPECT_TRUE(t.IsNull(0, 0));
    EXPECT_TRUE(t.IsNull(0, 1));
    EXPECT_FALSE(t.IsNull(0, 2));
    EXPECT_EQ(t.Text(0, 0), "");
    EXPECT_EQ(t.Integer(0, 1), 0);
    EXPECT_EQ(t.Text(0, 2), "last");

    t.Append();
    t.SetText(0, "");
    t.Post();
    EXPECT_FALSE(t.IsNull(1, 0)) << "an empty text is a value";
    EXPECT_TRUE(t.IsNull(1, 2)) << "a new edit row starts empty";
}

TEST(TableEngine, TextsOfSeveralFieldsInOnePassReadAsTextDoes)
{
    TTable t({{"a", FieldType::Text, 5}, {"n", FieldType::Integer, 0}, {"b", FieldType::Text, 5},
              {"c", FieldType::Text, 5}, {"d", FieldType::Text, 5}});
    t.Append();
    t.SetText(0, "one");
    t.SetInteger(1, 7);
    t.SetText(3, "");
    t.SetText(4, "four");
    t.Post();
    const int fields[] = {0, 2, 3, 4};
    std::string_view texts[4] = {"x", "x", "x", "x"};
    t.Texts(0, fields, texts);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(texts[i], t.Text(0, fields[i])) << fields[i];

    const int unordered[] = {2, 0};
    EXPECT_THROW(t.Texts(0, unordered, texts), std::logic_error);
    const int integer[] = {1};
    EXPECT_THROW(t.Texts(0, integer, texts), std::logic_error);
    const int missing[] = {5};
    EXPECT_THROW(t.Texts(0, missing, texts), std::logic_error);
    EXPECT_THROW(t.Texts(1, fields, texts), std::out_of_range);
}

TEST(TableEngine, TextIntoIntegerFieldMustBeAWholeNumber)
{
    struct Case {
        std::string text;
        bool accepted;
        std::int32_t value;
    };
    const std::vector<Case> cases = {
        {"42", true, 42},      {"-7", true, -7},     {"+5", true, 5},   {"2147483647", true, INT32_MAX},
        {"abc", false, 0},     {"4x", false, 0},     {" 4", false, 0},  {"2147483648", false, 0},
        {"++5", false, 0},     {"-", false, 0},      {"1.5", false, 0},
    };
    TTable t(TwoFields());
    for (const Case& c : cases) {
        t.Append();
        t.SetInteger(0, 99);
        if (c.accepted) {
            t.SetText(0, c.text);
            t.Post();
            EXPECT_EQ(t.Integer(t.RecordCount() - 1, 0), c.value) << c.text;
        } else {
            EXPECT_THROW(t.SetText(0, c.text), std::invalid_argument) << c.text;
            t.Post();
            EXPECT_EQ(t.Integer(t.RecordCount() - 1, 0), 99) << "edit row unchanged after " << c.text;
        }
    }
    t.Append();
    t.SetInteger(0, 5);
    t.SetText(0, "");
    t.Post();
    EXPECT_TRUE(t.IsNull(t.RecordCount() - 1, 0)) << "an empty text clears the number";

    t.Append();
    t.SetInteger(1, -123);
    t.Post();
    EXPECT_EQ(t.Text(t.RecordCount() - 1, 1), "-123") << "a number into a text field";
}

TEST(TableEngine, ChangeListNumbersRowsFromOneUntilEmptied)
{
    TTable t(TwoFields());
    EXPECT_TRUE(t.ChangeLog().empty());
    for (int i = 0; i < 3; ++i)
        AddRow(t, 100 + i, "x");
    EXPECT_EQ(t.ChangeLog(), (std::vector<std::int32_t>{1, 2, 3}));

    t.Append();
    t.Cancel();
    EXPECT_EQ(t.RecordCount(), 3);
    EXPECT_EQ(t.ChangeLog().size(), 3u) << "a cancelled row is no change";

    t.EmptyTable();
    EXPECT_EQ(t.RecordCount(), 0);
    EXPECT_TRUE(t.ChangeLog().empty());
    AddRow(t, 7, "again");
    EXPECT_EQ(t.ChangeLog(), (std::vector<std::int32_t>{1}));
    EXPECT_EQ(t.Integer(0, 0), 7);
    EXPECT_EQ(t.Text(0, 1), "again");
}

TEST(TableEngine, EditRowRules)
{
    TTable t(TwoFields());
    EXPECT_THROW(t.SetInteger(0, 1), std::logic_error);
    EXPECT_THROW(t.SetText(1, "x"), std::logic_error);
    t.Post();
    EXPECT_EQ(t.RecordCount(), 0) << "Post without an edit row does nothing";

    t.Append();
    EXPECT_TRUE(t.Editing());
    t.SetText(1, "first");
    t.Append();
    EXPECT_EQ(t.RecordCount(), 1) << "appending again posts the open row";
    EXPECT_EQ(t.Text(0, 1), "first");
    t.SetText(1, "second");
    t.Post();
    EXPECT_FALSE(t.Editing());
    EXPECT_EQ(t.Text(1, 1), "second");

    t.Append();
    t.SetText(1, "dropped");
    t.EmptyTable();
    EXPECT_FALSE(t.Editing());
    EXPECT_EQ(t.RecordCount(), 0);

    AddRow(t, 1, "x");
    EXPECT_THROW(t.Text(1, 1), std::out_of_range);
    EXPECT_THROW(t.Text(0, 2), std::out_of_range);
    EXPECT_THROW(t.Integer(-1, 0), std::out_of_range);
    EXPECT_THROW(t.Text(0, 0), std::logic_error);
    EXPECT_THROW(t.Integer(0, 1), std::logic_error);
    EXPECT_THROW(TTable({{"bad", FieldType::Text, -1}}), std::invalid_argument);
}

TEST(TableEngine, ObserversHearPostsAndResetsUnlessControlsAreDisabled)
{
    TTable t(TwoFields());
    std::vector<int> posted;
    int resets = 0;
    t.OnRowPosted = [&](int row) { posted.push_back(row); };
    t.OnReset = [&] { ++resets; };

    AddRow(t, 1, "a");
    AddRow(t, 2, "b");
    EXPECT_EQ(posted, (std::vector<int>{0, 1}));

    t.DisableControls();
    t.DisableControls();
    EXPECT_TRUE(t.ControlsDisabled());
    AddRow(t, 3, "c");
    t.EmptyTable();
    AddRow(t, 4, "d");
    t.EnableControls();
    EXPECT_EQ(resets, 0) << "still disabled once";
    t.EnableControls();
    EXPECT_FALSE(t.ControlsDisabled());
    EXPECT_EQ(resets, 1);
    EXPECT_EQ(posted, (std::vector<int>{0, 1}));
    t.EnableControls();
    EXPECT_EQ(resets, 1) << "enabling without a disable reports nothing";

    t.EmptyTable();
    EXPECT_EQ(resets, 2);
}

TEST(TableEngine, ManyRowsAcrossStorageBlocksReadBack)
{
    TTable t(TwoFields());
    constexpr int kRows = 60000;
    for (int i = 0; i < kRows; ++i)
        AddRow(t, i * 3, std::string(static_cast<std::size_t>(i % 21), static_cast<char>('a' + i % 26)) + "  ");
    ASSERT_EQ(t.RecordCount(), kRows);
    ASSERT_EQ(t.ChangeLog().size(), static_cast<std::size_t>(kRows));
    for (int i = 0; i < kRows; i += 997) {
        EXPECT_EQ(t.Integer(i, 0), i * 3);
        EXPECT_EQ(t.Text(i, 1), std::string(static_cast<std::size_t>(i % 21), static_cast<char>('a' + i % 26))) << i;
        EXPECT_EQ(t.ChangeLog()[static_cast<std::size_t>(i)], i + 1);
    }
}

TEST(TableEngine, PostRowStoresWhatAppendAndTheSettersStore)
{
    using K = CellValue::Kind;
    TTable bulk(TwoFields(5));
    TTable stepwise(TwoFields(5));
    const std::vector<std::vector<CellValue>> rows = {
        {{K::Integer, 7, {}}, {K::Text, 0, "abcdefgh"}},  // cut to width
        {{K::Text, 0, "-12"}, {K::Text, 0, "ab  "}},      // number text into an integer field; trailing blanks
        {{K::Missing, 0, {}}, {K::Integer, 42, {}}},     // no value; integer into a text field
    };
    for (const auto& row : rows) {
        bulk.PostRow(row);
        stepwise.Append();
        for (int f = 0; f < 2; ++f) {
            const CellValue& v = row[static_cast<std::size_t>(f)];
            if (v.kind == K::Integer)
                stepwise.SetInteger(f, v.integer);
            else if (v.kind == K::Text)
                stepwise.SetText(f, v.text);
        }
        stepwise.Post();
    }
    ASSERT_EQ(bulk.RecordCount(), stepwise.RecordCount());
    for (int r = 0; r < bulk.RecordCount(); ++r) {
        EXPECT_EQ(bulk.IsNull(r, 0), stepwise.IsNull(r, 0));
        EXPECT_EQ(bulk.Integer(r, 0), stepwise.Integer(r, 0));
        EXPECT_EQ(bulk.Text(r, 1), stepwise.Text(r, 1));
    }
    EXPECT_EQ(bulk.ChangeLog(), stepwise.ChangeLog());

    // A value that does not fit stores nothing and leaves no edit row open.
    EXPECT_THROW(bulk.PostRow(std::vector<CellValue>{{K::Text, 0, "x1"}, {K::Text, 0, "y"}}), std::invalid_argument);
    EXPECT_EQ(bulk.RecordCount(), 3);
    EXPECT_FALSE(bulk.Editing());
}
