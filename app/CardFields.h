#pragma once
// The texts of a card, decoded from the 256-byte text block (CardText) of the reader's reply: UCS-2
// little-endian fields at fixed byte offsets, each ending at its field's end or at its first zero
// character, converted to UTF-8 and trimmed. The main window shows them in its edit controls, from
// which the card faces and the print take them.
#include "reader/CardText.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

// The fields and their offsets are the reader link's (reader/CardText.h); each field's text is
// CardTextFieldString: only the bytes of the block are read, so a block shorter than a field's end
// gives the part that is there, or an empty text.

// The identity number alone: the read routine compares it with the card on show before anything
// else is decoded.
inline std::string DecodeIdNumber(std::span<const std::uint8_t> cardText)
{
    return CardTextFieldString(cardText, kCardIdNo);
}

// "19800101" -> "1980-01-01": characters 1-4, 5-6 and 7-8 joined by hyphens when the text has at
// least eight characters (further characters are dropped); a shorter text comes back as it is.
std::string FormatBirthDate(const std::string& stored);

// A code the code-table lookups may put into their statement text: ASCII letters and digits, at
// least one. Any other code (a quote, a blank, a character from elsewhere) is taken as one the table
// lacks, so card data never becomes part of a statement.
bool IsPlainCode(std::string_view code);

// The sex letter of a sex code: "F" when the code reads as the number 2, "M" otherwise (also when it
// is not a number).
std::string SexLetter(const std::string& code);

// The code-table lookups the field decoding calls (the main window's run its queries); an unset
// lookup shows the code as it came from the card.
struct CardCodeLookups
{
    std::function<std::string(const std::string&)> Sex;
    std::function<std::string(const std::string&)> Nation;
};

// Every field of a card, as the controls show it. Sex, nation and birth date are guarded steps: when
// one fails (a lookup that raises: a nation code with a letter, a database gone bad), the field shows
// what the card holds, its code or its stored date. A card shown anew thus never carries a text of
// the card before it.
struct CardFieldTexts
{
    std::string IdNumber;
    std::string Name;
    std::string SexCode;
    std::string Sex;
    std::string NationCode;
    std::string Nation;
    std::string BirthStored;
    std::string BirthDate; // yyyy-mm-dd
    std::string Authority;
    std::string Validity; // as stored: yyyymmddyyyymmdd or yyyymmdd长期
    std::string Address;
};

// Decodes the fields in the order the window shows them: number, name, sex, nation, birth date,
// authority, validity, address. Exceptions of a guarded step are swallowed.
CardFieldTexts DecodeCardFields(std::span<const std::uint8_t> cardText, const CardCodeLookups& lookups = {});
