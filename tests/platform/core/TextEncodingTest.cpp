#include "platform/core/TextEncoding.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// UCS-2LE bytes from UTF-16 units.
std::string Units(std::initializer_list<unsigned> units)
{
    std::string out;
    for (unsigned u : units) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    }
    return out;
}

} // namespace

TEST(TextEncoding, Ucs2LeToUtf8StopsAtZeroOrCountAndSubstitutesLoneSurrogates)
{
    struct Case
    {
        const char* name;
        std::string bytes;
        std::size_t count; // bytes given to the decoder
        std::string utf8;
    };
    const std::string name = Units({0x5F20, 0x4E09, 0x0020, 0x0041}); // "张三 A"
    const Case cases[] = {
        {"plain", name, name.size(), "张三 A"},
        {"zero unit ends the text", Units({0x5F20, 0, 0x4E09}), 6, "张"},
        {"count ends the text", name, 4, "张三"},
        {"odd byte count ignores the half unit", name, 5, "张三"},
        {"zero count", name, 0, ""},
        {"low byte zero is not a terminator", Units({0x0100, 0x4E00}), 4, "Ā一"},
        {"paired surrogates", Units({0xD83D, 0xDE00}), 4, "😀"},
        {"lone high at end", Units({0x0041, 0xD83D}), 4, "A\xEF\xBF\xBD"},
        {"high cut by the count", Units({0xD83D, 0xDE00}), 2, "\xEF\xBF\xBD"},
        {"lone low", Units({0xDE00, 0x0041}), 4,
         "\xEF\xBF\xBD"
         "A"},
        {"high then non-low", Units({0xD83D, 0x0041}), 4,
         "\xEF\xBF\xBD"
         "A"},
        {"two highs", Units({0xD83D, 0xD83D, 0xDE00}), 6, "\xEF\xBF\xBD😀"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Ucs2LeToUtf8(c.bytes.data(), c.count), c.utf8) << c.name;
}

TEST(TextEncoding, Utf8ToUcs2LeRoundTripsAndReplacesBadBytes)
{
    for (const std::string text : {"", "ABC", "汉族", "😀x", "\xC2\xA0"})
        EXPECT_EQ(Ucs2LeToUtf8(Utf8ToUcs2Le(text)), text);
    EXPECT_EQ(Utf8ToUcs2Le("😀"), Units({0xD83D, 0xDE00}));
    EXPECT_EQ(Utf8ToUcs2Le("a\xFF"), Units({'a', 0xFFFD}));
    EXPECT_EQ(Utf8ToUcs2Le("\xE4\xB8"), Units({0xFFFD, 0xFFFD})); // cut-off sequence
}

TEST(TextEncoding, IsValidUtf8RejectsMalformedText)
{
    struct Case
    {
        const char* name;
        std::string text;
        bool valid;
    };
    const Case cases[] = {
        {"empty", "", true},
        {"ascii", "abc", true},
        {"cjk", "身份证", true},
        {"four bytes", "😀", true},
        {"gb18030 bytes", "\xC9\xED\xB7\xDD", false}, // 身份 in GB18030
        {"overlong slash", "\xC0\xAF", false},
        {"overlong three bytes", "\xE0\x80\xAF", false},
        {"encoded surrogate", "\xED\xA0\x80", false},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", false},
        {"cut off", "\xE8\xBA", false},
        {"stray continuation", "a\x80", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsValidUtf8(c.text), c.valid) << c.name;
    EXPECT_EQ(SanitizeUtf8("a\x80"
                           "b"),
              "a\xEF\xBF\xBD"
              "b");
}

TEST(TextEncoding, Gb18030BothWaysIncludingFourByteForms)
{
    struct Case
    {
        const char* name;
        std::string gb;
        std::string utf8;
    };
    const Case cases[] = {
        {"ascii", "CommPort=1", "CommPort=1"},
        {"two-byte", "\xC9\xED\xB7\xDD\xD6\xA4", "身份证"},
        {"four-byte", "\x81\x30\x81\x30", "\xC2\x80"}, // U+0080
        {"outside the BMP", "\x94\x39\xFC\x36", "😀"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Gb18030ToUtf8(c.gb), c.utf8) << c.name;
        EXPECT_EQ(Utf8ToGb18030(c.utf8), c.gb) << c.name;
    }
    // Bad input is substituted, never dropped silently and never a crash.
    EXPECT_EQ(Gb18030ToUtf8("a\xFF"
                            "b"),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(Gb18030ToUtf8("a\xC9"), "a\xEF\xBF\xBD"); // cut-off pair at the end
    EXPECT_EQ(Gb18030ToUtf8(Utf8ToGb18030("x\xFFy")), "x\xEF\xBF\xBDy");
}
