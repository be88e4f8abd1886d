#include "reader/HexText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Parses into a buffer one larger than allowed so that a write past the limit shows.
std::vector<int> Parse(std::string_view text, std::size_t capacity, int* result)
{
    std::vector<Byte> out(capacity + 1, 0xEE);
    *result = ParseHexText(std::span<Byte>(out).first(capacity), text);
    EXPECT_EQ(out[capacity], 0xEE) << "wrote past the output for " << text;
    std::vector<int> bytes;
    for (int i = 0; i < std::max(*result, 0); ++i)
        bytes.push_back(out[i]);
    return bytes;
}

} // namespace

TEST(ParseHexText, Table)
{
    const struct
    {
        const char* name;
        std::string text;
        std::size_t capacity;
        int result;
        std::vector<int> bytes;
    } cases[] = {
        {"pairs", "1B2541", 16, 3, {0x1B, 0x25, 0x41}},
        {"blanks and commas", "1B 25,41", 16, 3, {0x1B, 0x25, 0x41}},
        {"quoted literal", "\"AB\"0D", 16, 3, {0x41, 0x42, 0x0D}},
        {"lower case", "ff0a", 16, 2, {0xFF, 0x0A}},
        {"lone digit", "1 B", 16, 2, {0x01, 0x0B}},
        {"odd length ends in a lone digit", "1B2", 16, 2, {0x1B, 0x02}},
        {"bad character", "1B2G", 16, -1, {}},
        {"empty", "", 16, 0, {}},
        {"output bound", "0102030405", 2, 2, {0x01, 0x02}},
        {"text bound stops a long literal", "\"ABCDEFG", 16, 7, {'A', 'B', 'C', 'D', 'E', 'F', 'G'}},
        {"single character literal limited by text length", "\"A", 16, 1, {'A'}},
        {"no output", "1B", 0, 0, {}},
    };
    for (const auto& c : cases) {
        int result = 0;
        const std::vector<int> bytes = Parse(c.text, c.capacity, &result);
        EXPECT_EQ(result, c.result) << c.name;
        EXPECT_EQ(bytes, c.bytes) << c.name;
    }
}

TEST(ParseHexText, NeverReadsPastTheText)
{
    // The digit after the view must not pair with its last digit.
    const std::string backing = "1B2541";
    int result = 0;
    const std::vector<int> bytes = Parse(std::string_view(backing).substr(0, 3), 8, &result);
    EXPECT_EQ(result, 2);
    EXPECT_EQ(bytes, (std::vector<int>{0x1B, 0x02}));
}

TEST(ParseHexText, ExtendedPayloadFillsTheArea)
{
    std::string text;
    for (int i = 0; i < 256; ++i) {
        static const char digits[] = "0123456789ABCDEF";
        text += digits[i >> 4];
        text += digits[i & 15];
    }
    std::vector<Byte> out(256);
    ASSERT_EQ(ParseHexText(out, text), 256);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(out[i], i);
}

TEST(HexHelpers, NumbersAndText)
{
    const std::vector<Byte> bytes = {0x00, 0x00, 0x02, 0x00};
    EXPECT_EQ(BytesToUInt(bytes), 512u);
    EXPECT_EQ(BytesToUInt({}), 0u);
    EXPECT_EQ(BytesToUInt(std::vector<Byte>{0x01, 0x12, 0x34, 0x56, 0x78}), 0x12345678u);
    EXPECT_EQ(HexNibbleChar(0x1B), 'B');
    EXPECT_EQ(BytesToHexText(std::vector<Byte>{0x1B, 0x25, 0xA0}, false), "1B25A0");
    EXPECT_EQ(BytesToHexText(std::vector<Byte>{0x1B, 0x25, 0xA0}, true), "1B 25 A0");
    EXPECT_EQ(BytesToHexText({}, true), "");
    std::vector<Byte> back(3);
    EXPECT_EQ(ParseHexText(back, BytesToHexText(std::vector<Byte>{0x1B, 0x25, 0xA0}, true)), 3);
    EXPECT_EQ(back, (std::vector<Byte>{0x1B, 0x25, 0xA0}));
}
