#include "platform/core/StringList.h"
#include "platform/core/Exception.h"

#include <gtest/gtest.h>

TEST(StringList, AddInsertDeleteKeepOrderAndRejectBadIndexes)
{
    TStringList list;
    EXPECT_EQ(list.Add("b"), 0);
    EXPECT_EQ(list.Add("d"), 1);
    list.Insert(0, "a");
    list.Insert(2, "c");
    list.Insert(4, "e"); // at Count: appends
    EXPECT_EQ(list.Text(), "a\r\nb\r\nc\r\nd\r\ne\r\n");
    list.Delete(1);
    EXPECT_EQ(list[1], "c");
    EXPECT_EQ(list.Count(), 4);

    try {
        (void)list.Strings(4);
        FAIL() << "no exception";
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (4)");
    }
    EXPECT_THROW(list.Delete(-1), EListError);
    EXPECT_THROW(list.Insert(6, "x"), EListError);
    EXPECT_THROW(list.SetStrings(4, "x"), EListError);
    EXPECT_EQ(list.Count(), 4);
}

TEST(StringList, SettingTextSplitsOnEveryLineEndStyle)
{
    struct Case
    {
        const char* name;
        const char* text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"empty", "", {}},
        {"no line end", "a", {"a"}},
        {"crlf", "a\r\nb\r\n", {"a", "b"}},
        {"lf", "a\nb", {"a", "b"}},
        {"lone cr", "a\rb\r", {"a", "b"}},
        {"mixed and empty lines", "a\r\n\nb\r\r\nc", {"a", "", "b", "", "c"}},
        {"only a line end", "\r\n", {""}},
        {"utf-8 text", "姓名=张三\r\n", {"姓名=张三"}},
    };
    for (const auto& c : cases) {
        TStringList list;
        list.SetText(c.text);
        EXPECT_EQ(list.Lines(), c.lines) << c.name;
    }
}

TEST(StringList, NamesValuesAndSearchesIgnoreCase)
{
    TStringList list;
    list.SetText("Port=3\r\nplain line\r\nUser=a=b\r\nport=9\r\n");
    EXPECT_EQ(list.Names(0), "Port");
    EXPECT_EQ(list.Names(1), "");
    EXPECT_EQ(list.ValueFromIndex(2), "a=b");
    EXPECT_EQ(list.Values("PORT"), "3"); // the first match wins
    EXPECT_EQ(list.Values("missing"), "");
    EXPECT_EQ(list.IndexOfName("user"), 2);
    EXPECT_EQ(list.IndexOf("PLAIN LINE"), 1);
    EXPECT_EQ(list.IndexOf("plain"), -1);

    list.SetValues("user", "c");
    EXPECT_EQ(list[2], "user=c");
    list.SetValues("New", "1");
    EXPECT_EQ(list[4], "New=1");
    list.SetValues("port", ""); // an empty value removes the line
    EXPECT_EQ(list.Values("port"), "9");
}

TEST(StringList, OnChangeFiresAfterEachChangeOnceEachAndSeesTheNewState)
{
    TStringList list;
    std::vector<int> counts;
    list.SetOnChange([&] { counts.push_back(list.Count()); });
    list.Add("a");
    list.Insert(0, "b");
    list.SetStrings(0, "c");
    list.Delete(0);
    list.SetText("x\r\ny\r\nz");
    list.Clear();
    list.Clear(); // nothing left to clear: no event
    EXPECT_EQ(counts, (std::vector<int>{1, 2, 2, 1, 3, 0}));

    counts.clear();
    list.BeginUpdate();
    list.Add("1");
    list.Add("2");
    list.EndUpdate();
    EXPECT_EQ(counts, (std::vector<int>{2}));
}

TEST(StringList, AssignCopiesLinesAndRefusesOtherClasses)
{
    TStringList a;
    a.SetText("1\r\n2");
    TStringList b;
    int changes = 0;
    b.SetOnChange([&] { ++changes; });
    b.Assign(a);
    EXPECT_EQ(b.Lines(), a.Lines());
    EXPECT_EQ(changes, 1);

    class TOther : public TPersistent
    {
    };
    TOther other;
    try {
        b.Assign(other);
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TOther to a TStringList");
    }
    try {
        other.Assign(a);
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "Cannot assign a TStringList to a TOther");
    }
}
