#pragma once
// A made-up card for the reader simulator and the tests: its text fields, newest address and a
// 1024-byte photo in the reader's layout (UCS-2LE text at the card's fixed offsets).
#include "reader/Frame.h"

#include <string>
#include <vector>

struct SampleCard
{
    std::string name;
    std::string sexCode;
    std::string nationCode;
    std::string birthDate;
    std::string address;
    std::string idNo;
    std::string authority;
    std::string validity;
    std::string newAddress;
    std::vector<Byte> photo; // WLT bytes, 1024 for a real card

    // Zhang San of Beijing, with a made-up photo.
    static SampleCard BuiltIn();
    // A UTF-8 text file of key=value lines (name, sex, nation, birth, address, idno, authority,
    // validity, newaddress, photo); photo names a file, relative to the card file's folder. Keys not
    // given keep the built-in card's values. Throws Exception when a file cannot be read.
    static SampleCard Load(const std::string& path);

    std::vector<Byte> TextBlock() const;       // 256 bytes
    std::vector<Byte> NewAddressBlock() const; // 70 bytes
    std::vector<Byte> PhotoBlock() const;      // 1024 bytes
};

// UTF-8 to UCS-2LE, padded with blanks (or cut) to the given byte size.
std::vector<Byte> Ucs2Field(const std::string& utf8, std::size_t bytes);
