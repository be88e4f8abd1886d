#pragma once
// The texts of a card, decoded from the 256-byte text block (CardText) of the reader's reply: UCS-2
// little-endian fields at fixed byte offsets, each ending at its field's end or at its first zero
// character, converted to UTF-8 and trimmed. The main window shows them in its edit controls, from
// which the card faces and the print take them.
#include "reader/CardText.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

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

// Code-table lookups of the sex and nation codes. The database tables are not consulted yet: a code
// the table lacks is shown as it came from the card, so these show every code that way.
std::string LookupSexText(const std::string& code);
std::string LookupNationText(const std::string& code);

// The lookups the field decoding calls; by default the two functions above.
struct CardCodeLookups
{
    std::function<std::string(const std::string&)> Sex = LookupSexText;
    std::function<std::string(const std::string&)> Nation = LookupNationText;
};

// Every field of a card, as the controls show it. Sex, nation and birth date are guarded steps: when
// one fails (a lookup that raises), it is left empty here and its control keeps its previous text.
struct CardFieldTexts
{
    std::string IdNumber;
    std::string Name;
    std::string SexCode;
    std::optional<std::string> Sex;
    std::string NationCode;
    std::optional<std::string> Nation;
    std::string BirthStored;
    std::optional<std::string> BirthDate; // yyyy-mm-dd
    std::string Authority;
    std::string Validity; // as stored: yyyymmddyyyymmdd or yyyymmdd长期
    std::string Address;
};

// Decodes the fields in the order the window shows them: number, name, sex, nation, birth date,
// authority, validity, address. Exceptions of a guarded step are swallowed.
CardFieldTexts DecodeCardFields(std::span<const std::uint8_t> cardText, const CardCodeLookups& lookups = {});
