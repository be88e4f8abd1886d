#pragma once
// TTableType and TTableTypeSet: the kinds of table the catalog lists, and their ODBC names.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

enum TTableType : std::uint8_t
{
    ttTable = 0,
    ttView = 1,
    ttSystem = 2,
};

class TTableTypeSet
{
public:
    constexpr TTableTypeSet() = default;
    constexpr TTableTypeSet(std::initializer_list<TTableType> types)
    {
        for (TTableType type : types)
            bits_ |= Bit(type);
    }
    // The set whose members are the bits of value (bit 0 ttTable, 1 ttView, 2 ttSystem).
    static constexpr TTableTypeSet FromBits(std::uint32_t value)
    {
        TTableTypeSet set;
        set.bits_ = value & 7u;
        return set;
    }

    constexpr bool Contains(TTableType type) const { return (bits_ & Bit(type)) != 0; }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr std::uint32_t Bits() const { return bits_; }
    constexpr bool operator==(const TTableTypeSet&) const = default;

private:
    static constexpr std::uint32_t Bit(TTableType type) { return 1u << static_cast<unsigned>(type); }

    std::uint32_t bits_ = 0;
};

// "TABLE", "VIEW" or "SYSTEM TABLE".
std::string TableTypeToString(TTableType type);
// The trimmed, upper-cased text read as a table type; anything but "VIEW" and "SYSTEM TABLE" is a
// table.
TTableType StringToTableType(std::string_view text);
