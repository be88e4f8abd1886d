// The library's shared helpers.
#include "odbc/base/Ocih.h"
#include "platform/core/MemoryStream.h"
#include "platform/core/StringList.h"

#include <gtest/gtest.h>

namespace {
TStringList List(std::initializer_list<const char*> items)
{
    TStringList l;
    for (const char* s : items)
        l.Add(s);
    return l;
}
std::vector<std::string> Pieces(const std::string& text, const std::string& separator)
{
    TStringList l;
    l.Add("stale");
    Split(text, separator, l);
    return l.Lines();
}
} // namespace

TEST(Ocih, ExceptionFamily)
{
    try {
        throw RIDIZOrurori("Error Loading Library: ODBC32.DLL");
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Error Loading Library: ODBC32.DLL");
    }
}

TEST(Ocih, LeadingZeros)
{
    struct Case
    {
        int value, width;
        const char* expected;
    };
    const Case cases[] = {{7, 1, "07"},   {7, 0, "7"},         {123, 1, "123"},
                          {-5, 2, "0-5"}, {5, 8, "000000005"}, {0, -1, "0"}};
    for (const Case& k : cases)
        EXPECT_EQ(LeadingZeros(k.value, k.width), k.expected) << k.value << " width " << k.width;
}

TEST(Ocih, IndexOfIgnoresAsciiCase)
{
    EXPECT_EQ(IndexOf("name", List({"ID", "NAME"})), 1);
    EXPECT_EQ(IndexOf("name", List({})), -1);
    EXPECT_EQ(IndexOf("Id", List({"x", "ID", "id"})), 1);
    EXPECT_EQ(IndexOf("名字", List({"ID", "名字"})), 1);
}

TEST(Ocih, CompareAsNumbersElseAsText)
{
    struct Case
    {
        const char *a, *b;
        bool equal;
    };
    const Case cases[] = {{"1.50", "1.5", true}, {"abc ", "ABC", true},  {" abc", "abc", false},
                          {"1e2", "100", true},  {"1", "1.0001", false}, {"12x", "12X", true},
                          {"", "", true}};
    for (const Case& k : cases)
        EXPECT_EQ(Compare(k.a, k.b), k.equal) << "'" << k.a << "' vs '" << k.b << "'";
}

TEST(Ocih, InsertNulls)
{
    std::string s = "DSN=a\x01"
                    "DBQ=b\x01\x01";
    InsertNulls(s);
    EXPECT_EQ(s, std::string("DSN=a\0DBQ=b\0\0", 13));
}

TEST(Ocih, Quoted)
{
    struct Case
    {
        const char *in, *out;
    };
    const Case cases[] = {{"Last Name", "\"Last Name\""},
                          {"Cost$", "\"Cost$\""},
                          {"Orders", "Orders"},
                          {"\"My Table\"", "\"My Table\""},
                          {"Total as Sum", "Total as Sum"},
                          {"Order Items AS oi", "\"Order Items\" AS oi"},
                          {"", ""}};
    for (const Case& k : cases)
        EXPECT_EQ(Quoted(k.in), k.out) << k.in;
}

TEST(Ocih, MemoryStreamToStringStopsAtZero)
{
    TMemoryStream s;
    EXPECT_EQ(MemoryStreamToString(s), "");
    s.Write("AB\0C", 4);
    s.SetPosition(1);
    EXPECT_EQ(MemoryStreamToString(s), "AB");
    EXPECT_EQ(s.Size(), 4);
    EXPECT_EQ(s.Position(), 1);
    TMemoryStream full;
    full.Write("xyz", 3);
    EXPECT_EQ(MemoryStreamToString(full), "xyz");
}

TEST(Ocih, Split)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(Pieces("a,b,,c", ","), (V{"a", "b", "", "c"}));
    EXPECT_EQ(Pieces("abc", ","), (V{"abc"}));
    EXPECT_EQ(Pieces("a,", ","), (V{"a", ""}));
    EXPECT_EQ(Pieces("", ","), (V{""}));
}

TEST(Ocih, NumberReading)
{
    struct Case
    {
        const char* text;
        bool ok;
        long value;
    };
    const Case ints[] = {{"12", true, 12},
                         {"  -7", true, -7},
                         {"+3", true, 3},
                         {"$ff", true, 255},
                         {"0x10", true, 16},
                         {"-$10", true, -16},
                         {"12 ", false, 0},
                         {"", false, 0},
                         {"$", false, 0},
                         {"1.0", false, 0},
                         {"9223372036854775808", false, 0}};
    for (const Case& k : ints) {
        std::int64_t v = 0;
        EXPECT_EQ(ValInteger(k.text, v), k.ok) << k.text;
        if (k.ok) {
            EXPECT_EQ(v, k.value) << k.text;
        }
    }
    struct FloatCase
    {
        const char* text;
        bool ok;
        double value;
    };
    const FloatCase floats[] = {
        {"1.5", true, 1.5}, {" -2e3", true, -2000}, {".5", true, 0.5}, {"5.", true, 5}, {"1e", false, 0},
        {"nan", false, 0},  {"0x1p3", false, 0},    {"1 ", false, 0},  {"+", false, 0}, {"1e999", false, 0}};
    for (const FloatCase& k : floats) {
        double v = 0;
        EXPECT_EQ(ValFloat(k.text, v), k.ok) << k.text;
        if (k.ok) {
            EXPECT_EQ(v, k.value) << k.text;
        }
    }
}
