// Decoding of the card's text block: every field at its offset, ending at its own end or its first
// zero character, trimmed; the birth date's hyphens; the code lookups' call points and guards; and
// a text block shorter than the fields, which must never be read past.
#include "app/CardFields.h"

#include "platform/core/TextEncoding.h"
#include "reader/CardReply.h"
#include "tools/readersim/SampleCard.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

// A text block with the given UTF-8 texts at their fields; the rest is filled with blanks (UCS-2
// 0x0020), as the card pads its fields, unless another filler is given.
class CardText
{
public:
    explicit CardText(char16_t filler = u' ')
    {
        for (std::size_t i = 0; i < bytes.size(); i += 2) {
            bytes[i] = std::uint8_t(filler & 0xFF);
            bytes[i + 1] = std::uint8_t(filler >> 8);
        }
    }
    CardText& Set(CardTextField field, const std::string& utf8)
    {
        const std::string ucs2 = Utf8ToUcs2Le(utf8);
        EXPECT_LE(ucs2.size(), field.size) << utf8;
        for (std::size_t i = 0; i < ucs2.size() && i < field.size; ++i)
            bytes[field.offset + i] = std::uint8_t(ucs2[i]);
        return *this;
    }
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(kCardTextSize);
};

// The simulator's sample card with a holder of this test's own: an identity number ending in the
// check letter X and a long-term validity.
CardText HolderCard()
{
    SampleCard sample = SampleCard::BuiltIn();
    sample.address = "北京市东城区景山前街4号";
    sample.idNo = "11010119800101123X";
    sample.validity = "20100101长期";
    CardText card;
    card.bytes = sample.TextBlock();
    return card;
}

TEST(CardFields, DecodesEveryFieldOfACard)
{
    const CardText card = HolderCard();
    const CardFieldTexts f = DecodeCardFields(card.bytes);
    EXPECT_EQ(f.IdNumber, "11010119800101123X");
    EXPECT_EQ(f.Name, "张三");
    EXPECT_EQ(f.SexCode, "1");
    EXPECT_EQ(f.Sex, "1") << "no lookup given: the code as it came";
    EXPECT_EQ(f.NationCode, "01");
    EXPECT_EQ(f.Nation, "01") << "with its leading zero";
    EXPECT_EQ(f.BirthStored, "19800101");
    EXPECT_EQ(f.BirthDate, "1980-01-01");
    EXPECT_EQ(f.Authority, "北京市公安局东城分局");
    EXPECT_EQ(f.Validity, "20100101长期");
    EXPECT_EQ(f.Address, "北京市东城区景山前街4号");
    EXPECT_EQ(DecodeIdNumber(card.bytes), f.IdNumber);
}

TEST(CardFields, FieldTextEndsAtItsFieldOrItsFirstZero)
{
    struct Case
    {
        const char* what;
        CardText card;
        std::string CardFieldTexts::*shown;
        std::string expected;
    };
    const std::string name15 = "阿卜杜热合曼买买提依明艾则孜吐";
    const std::string address35 = "新疆维吾尔自治区乌鲁木齐市天山区解放南路街道办事处和平巷一二三号四五";
    const Case cases[] = {
        {"15-character name shown whole, the sex code after it not taken",
         CardText().Set(kCardName, name15).Set(kCardSexCode, "2"), &CardFieldTexts::Name, name15},
        {"padded name trimmed", CardText().Set(kCardName, "  李四  "), &CardFieldTexts::Name, "李四"},
        {"zero character ends the text", CardText(u'\0').Set(kCardName, "王五").Set(kCardSexCode, "1"),
         &CardFieldTexts::Name, "王五"},
        {"text after a zero is not shown", CardText().Set(kCardName, std::string("赵六") + '\0' + "钱七"),
         &CardFieldTexts::Name, "赵六"},
        {"control characters trimmed, inner blanks kept", CardText().Set(kCardAuthority, "\t某 公安局\r\n"),
         &CardFieldTexts::Authority, "某 公安局"},
        {"all blanks", CardText(), &CardFieldTexts::Name, ""},
        {"all zeros", CardText(u'\0'), &CardFieldTexts::IdNumber, ""},
        {"35-character address whole", CardText().Set(kCardAddress, address35), &CardFieldTexts::Address,
         address35},
        {"validity of 16 digits", CardText().Set(kCardValidity, "2010010120300101"),
         &CardFieldTexts::Validity, "2010010120300101"},
        {"validity ends at its own end", CardText(u'X'), &CardFieldTexts::Validity, "XXXXXXXXXXXXXXXX"},
        {"birth date of 7 characters shown unformatted", CardText().Set(kCardBirthDate, "1980010"),
         &CardFieldTexts::BirthStored, "1980010"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecodeCardFields(c.card.bytes).*c.shown, c.expected) << c.what;
}

TEST(CardFields, ShortTextBlockIsNeverReadPast)
{
    const CardText card = HolderCard();
    // Ends inside the identity number (at byte 130: four characters of it), in the middle of a
    // character, and inside the name; the sanitizer sees any read past the span.
    struct Case
    {
        std::size_t size;
        std::string name, idNumber, authority, validity;
    };
    const Case cases[] = {
        {0, "", "", "", ""},
        {3, "张", "", "", ""},
        {130, "张三", "1101", "", ""},
        {131, "张三", "1101", "", ""},
        {kCardTextSize, "张三", "11010119800101123X", "北京市公安局东城分局", "20100101长期"},
    };
    for (const Case& c : cases) {
        const std::vector<std::uint8_t> block(card.bytes.begin(),
                                              card.bytes.begin() + std::ptrdiff_t(c.size));
        const CardFieldTexts f = DecodeCardFields(block);
        EXPECT_EQ(f.Name, c.name) << c.size << " bytes";
        EXPECT_EQ(f.IdNumber, c.idNumber) << c.size << " bytes";
        EXPECT_EQ(DecodeIdNumber(block), c.idNumber) << c.size << " bytes";
        EXPECT_EQ(f.Authority, c.authority) << c.size << " bytes";
        EXPECT_EQ(f.Validity, c.validity) << c.size << " bytes";
    }
}

TEST(CardFields, BirthDateGetsHyphensFromEightCharacters)
{
    const std::pair<std::string, std::string> cases[] = {
        {"19800101", "1980-01-01"},
        {"1980010", "1980010"},                     // seven characters: as it is
        {"", ""},                                   //
        {"198001019", "1980-01-01"},                // characters after the eighth are dropped
        {"一二三四五六七八", "一二三四-五六-七八"}, // characters, not bytes
        {"一二三四五六七", "一二三四五六七"},
    };
    for (const auto& [stored, shown] : cases)
        EXPECT_EQ(FormatBirthDate(stored), shown) << stored;
}

TEST(CardFields, LookupsGetTheCodesAndAFailingOneShowsTheCode)
{
    const CardText card = HolderCard();
    std::vector<std::string> calls;
    CardCodeLookups lookups;
    lookups.Sex = [&](const std::string& code) {
        calls.push_back("sex " + code);
        return std::string("男");
    };
    lookups.Nation = [&](const std::string& code) -> std::string {
        calls.push_back("nation " + code);
        throw std::runtime_error("database gone");
    };
    const CardFieldTexts f = DecodeCardFields(card.bytes, lookups);
    EXPECT_EQ(calls, (std::vector<std::string>{"sex 1", "nation 01"}));
    EXPECT_EQ(f.Sex, "男");
    EXPECT_EQ(f.Nation, "01") << "the card's own code, never the text the control had";
    EXPECT_EQ(f.NationCode, "01");
    EXPECT_EQ(f.BirthDate, "1980-01-01") << "decoding goes on after a failed lookup";
    EXPECT_EQ(f.Address, "北京市东城区景山前街4号");

    lookups.Sex = {};
    lookups.Nation = {};
    EXPECT_EQ(DecodeCardFields(card.bytes, lookups).Sex, "1") << "an unset lookup shows the code";
}

TEST(CardFields, OnlyPlainCodesReachTheLookupStatements)
{
    const struct
    {
        const char* code;
        bool plain;
    } cases[] = {
        {"1", true},   {"01", true},  {"Ab9", true}, {"", false}, {"1'", false}, {"' or '1'='1", false},
        {"1 ", false}, {"-1", false}, {"１", false}, // a full-width digit
        {"男", false}, {"1;", false}, {"_", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsPlainCode(c.code), c.plain) << "'" << c.code << "'";
}

TEST(CardFields, SexLetterIsFemaleOnlyForTheNumberTwo)
{
    const struct
    {
        const char* code;
        const char* letter;
    } cases[] = {{"2", "F"}, {"02", "F"}, {"1", "M"}, {"9", "M"}, {"", "M"}, {"X", "M"}, {"2a", "M"}};
    for (const auto& c : cases)
        EXPECT_EQ(SexLetter(c.code), c.letter) << "'" << c.code << "'";
}

} // namespace
