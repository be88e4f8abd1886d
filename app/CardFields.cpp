#include "app/CardFields.h"

#include "platform/core/NumberText.h"

#include <algorithm>
#include <vector>

namespace {

// Byte positions where the characters of valid UTF-8 text start, and its end.
std::vector<std::size_t> CharStarts(const std::string& text)
{
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            starts.push_back(i);
    }
    starts.push_back(text.size());
    return starts;
}

// The step's text, or fallback when the step raised.
template <class Step> std::string Guarded(Step step, const std::string& fallback)
{
    try {
        return step();
    } catch (...) {
        return fallback;
    }
}

} // namespace

std::string FormatBirthDate(const std::string& stored)
{
    const std::vector<std::size_t> at = CharStarts(stored);
    if (at.size() - 1 < 8)
        return stored;
    const auto part = [&](std::size_t first, std::size_t last) {
        return stored.substr(at[first], at[last] - at[first]);
    };
    return part(0, 4) + "-" + part(4, 6) + "-" + part(6, 8);
}

bool IsPlainCode(std::string_view code)
{
    const auto plain = [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    };
    return !code.empty() && std::all_of(code.begin(), code.end(), plain);
}

std::string SexLetter(const std::string& code)
{
    int value = 0;
    return TryStrToInt(code, value) && value == 2 ? "F" : "M";
}

CardFieldTexts DecodeCardFields(std::span<const std::uint8_t> cardText, const CardCodeLookups& lookups)
{
    CardFieldTexts f;
    f.IdNumber = CardTextFieldString(cardText, kCardIdNo);
    f.Name = CardTextFieldString(cardText, kCardName);
    f.SexCode = CardTextFieldString(cardText, kCardSexCode);
    f.Sex = Guarded([&] { return lookups.Sex ? lookups.Sex(f.SexCode) : f.SexCode; }, f.SexCode);
    f.NationCode = CardTextFieldString(cardText, kCardNationCode);
    f.Nation =
        Guarded([&] { return lookups.Nation ? lookups.Nation(f.NationCode) : f.NationCode; }, f.NationCode);
    f.BirthStored = CardTextFieldString(cardText, kCardBirthDate);
    f.BirthDate = Guarded([&] { return FormatBirthDate(f.BirthStored); }, f.BirthStored);
    f.Authority = CardTextFieldString(cardText, kCardAuthority);
    f.Validity = CardTextFieldString(cardText, kCardValidity);
    f.Address = CardTextFieldString(cardText, kCardAddress);
    return f;
}
