#include "tools/readersim/SampleCard.h"

#include "platform/core/Exception.h"
#include "platform/core/TextEncoding.h"
#include "reader/CardReply.h"
#include "reader/CardText.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace {

std::vector<Byte> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw Exception("cannot read '" + path + "'");
    return std::vector<Byte>(std::istreambuf_iterator<char>(in), {});
}

void Put(std::vector<Byte>& block, CardTextField field, const std::string& value)
{
    const std::vector<Byte> bytes = Ucs2Field(value, field.size);
    std::copy(bytes.begin(), bytes.end(), block.begin() + static_cast<long>(field.offset));
}

} // namespace

std::vector<Byte> Ucs2Field(const std::string& utf8, std::size_t bytes)
{
    const std::string ucs2 = Utf8ToUcs2Le(utf8);
    std::vector<Byte> out(ucs2.begin(),
                          ucs2.begin() + static_cast<long>(std::min(ucs2.size(), bytes & ~std::size_t{1})));
    while (out.size() + 2 <= bytes) {
        out.push_back(' ');
        out.push_back(0);
    }
    return out;
}

SampleCard SampleCard::BuiltIn()
{
    SampleCard card;
    card.name = "张三";
    card.sexCode = "1";
    card.nationCode = "01";
    card.birthDate = "19800101";
    card.address = "北京市东城区示例路1号";
    card.idNo = "110101198001010011";
    card.authority = "北京市公安局东城分局";
    card.validity = "2015010120350101";
    card.newAddress = "北京市西城区新街2号";
    // Not a real WLT picture: a fixed pattern behind the format's two-letter mark.
    card.photo.resize(kCardPhotoSize);
    std::uint32_t x = 0x2545F491;
    for (Byte& b : card.photo) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = static_cast<Byte>(x);
    }
    card.photo[0] = 'W';
    card.photo[1] = 'L';
    return card;
}

SampleCard SampleCard::Load(const std::string& path)
{
    SampleCard card = BuiltIn();
    const std::vector<Byte> raw = ReadFile(path);
    std::string text(raw.begin(), raw.end());
    const std::string folder = path.find('/') == std::string::npos ? "" : path.substr(0, path.rfind('/') + 1);
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const auto eq = line.find('=');
        if (eq == std::string::npos || line[0] == '#')
            continue;
        const std::string key = line.substr(0, eq);
        const std::string value = line.substr(eq + 1);
        if (key == "name")
            card.name = value;
        else if (key == "sex")
            card.sexCode = value;
        else if (key == "nation")
            card.nationCode = value;
        else if (key == "birth")
            card.birthDate = value;
        else if (key == "address")
            card.address = value;
        else if (key == "idno")
            card.idNo = value;
        else if (key == "authority")
            card.authority = value;
        else if (key == "validity")
            card.validity = value;
        else if (key == "newaddress")
            card.newAddress = value;
        else if (key == "photo")
            card.photo = ReadFile(!value.empty() && value[0] == '/' ? value : folder + value);
    }
    return card;
}

std::vector<Byte> SampleCard::TextBlock() const
{
    std::vector<Byte> block = Ucs2Field("", kCardTextSize);
    Put(block, kCardName, name);
    Put(block, kCardSexCode, sexCode);
    Put(block, kCardNationCode, nationCode);
    Put(block, kCardBirthDate, birthDate);
    Put(block, kCardAddress, address);
    Put(block, kCardIdNo, idNo);
    Put(block, kCardAuthority, authority);
    Put(block, kCardValidity, validity);
    return block;
}

std::vector<Byte> SampleCard::NewAddressBlock() const
{
    return Ucs2Field(newAddress, 70);
}

std::vector<Byte> SampleCard::PhotoBlock() const
{
    std::vector<Byte> block(photo.begin(),
                            photo.begin() + static_cast<long>(std::min(photo.size(), kCardPhotoSize)));
    block.resize(kCardPhotoSize, 0);
    return block;
}
