#include "platform/db/NativeData.h"

#include "platform/core/DateTime.h"
#include "platform/core/Unaligned.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

std::int32_t DateTimeToNativeDate(double dateTime)
{
    return DateTimeToTimeStamp(dateTime).Date;
}

std::int32_t DateTimeToNativeTime(double dateTime)
{
    return DateTimeToTimeStamp(dateTime).Time;
}

double DateTimeToNativeMSecs(double dateTime)
{
    return static_cast<double>(TimeStampToMSecs(DateTimeToTimeStamp(dateTime)));
}

double NativeDateToDateTime(std::int32_t date)
{
    TPlatformTimeStamp ts;
    ts.Date = date;
    return TimeStampToDateTime(ts);
}

double NativeTimeToDateTime(std::int32_t time)
{
    TPlatformTimeStamp ts;
    ts.Date = DateDelta;
    ts.Time = time;
    return TimeStampToDateTime(ts);
}

double NativeMSecsToDateTime(double msecs)
{
    return TimeStampToDateTime(MSecsToTimeStamp(static_cast<std::int64_t>(std::nearbyint(msecs))));
}

int FieldDataSize(TFieldType type, int size)
{
    switch (type) {
    case ftString:
    case ftFixedChar:
        return size + 1;
    case ftSmallint:
    case ftWord:
    case ftBoolean:
        return 2;
    case ftInteger:
    case ftAutoInc:
    case ftDate:
    case ftTime:
        return 4;
    case ftLargeint:
    case ftFloat:
    case ftCurrency:
    case ftDateTime:
        return 8;
    case ftBytes:
        return size;
    case ftVarBytes:
        return size + 2;
    default:
        return 0;
    }
}

bool IsBlobType(TFieldType type)
{
    switch (type) {
    case ftBlob:
    case ftMemo:
    case ftGraphic:
    case ftFmtMemo:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftOraBlob:
    case ftOraClob:
        return true;
    default:
        return false;
    }
}

namespace {

// Longest prefix of text of at most limit bytes that does not end inside a UTF-8 sequence.
size_t Utf8Prefix(const std::string& text, size_t limit)
{
    if (text.size() <= limit)
        return text.size();
    size_t n = limit;
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
        --n;
    return n;
}

std::int64_t RangeChecked(const Variant& value, std::int64_t lo, std::int64_t hi)
{
    const std::int64_t v = value.AsInt64();
    if (v < lo || v > hi)
        throw ERangeError(std::to_string(v) + " is not a valid value. The allowed range is " +
                          std::to_string(lo) + " to " + std::to_string(hi));
    return v;
}

[[noreturn]] void NoNativeForm(TFieldType type)
{
    throw EConvertError(std::string("Field type ") + FieldTypeName(type) + " has no native data");
}

} // namespace

Variant NativeToVariant(TFieldType type, int size, const void* data)
{
    const auto* p = static_cast<const std::uint8_t*>(data);
    switch (type) {
    case ftString:
    case ftFixedChar: {
        const char* text = reinterpret_cast<const char*>(p);
        return std::string(text, strnlen(text, static_cast<size_t>(size) + 1));
    }
    case ftSmallint:
        return static_cast<std::int32_t>(LoadUnaligned<std::int16_t>(p));
    case ftWord:
        return static_cast<std::int32_t>(LoadUnaligned<std::uint16_t>(p));
    case ftBoolean:
        return LoadUnaligned<std::int16_t>(p) != 0;
    case ftInteger:
    case ftAutoInc:
        return LoadUnaligned<std::int32_t>(p);
    case ftLargeint:
        return LoadUnaligned<std::int64_t>(p);
    case ftFloat:
        return LoadUnaligned<double>(p);
    case ftCurrency:
        return Variant::Currency(LoadUnaligned<double>(p));
    case ftDate:
        return Variant::Date(NativeDateToDateTime(LoadUnaligned<std::int32_t>(p)));
    case ftTime:
        return Variant::Date(NativeTimeToDateTime(LoadUnaligned<std::int32_t>(p)));
    case ftDateTime:
        return Variant::Date(NativeMSecsToDateTime(LoadUnaligned<double>(p)));
    case ftBytes:
        return Variant::Bytes(std::vector<std::uint8_t>(p, p + size));
    case ftVarBytes: {
        const int len = std::min<int>(LoadUnaligned<std::uint16_t>(p), size);
        return Variant::Bytes(std::vector<std::uint8_t>(p + 2, p + 2 + len));
    }
    default:
        NoNativeForm(type);
    }
}

void VariantToNative(TFieldType type, int size, const Variant& value, void* data)
{
    auto* p = static_cast<std::uint8_t*>(data);
    switch (type) {
    case ftString:
    case ftFixedChar: {
        const std::string text = value.AsString();
        std::memcpy(p, text.data(), Utf8Prefix(text, static_cast<size_t>(size)));
        break;
    }
    case ftSmallint:
        StoreUnaligned(p, static_cast<std::int16_t>(RangeChecked(value, -32768, 32767)));
        break;
    case ftWord:
        StoreUnaligned(p, static_cast<std::uint16_t>(RangeChecked(value, 0, 65535)));
        break;
    case ftBoolean:
        // 1, not the class library's -1: the ODBC layer hands this word to SQL_C_BIT columns.
        StoreUnaligned(p, static_cast<std::int16_t>(value.AsBoolean() ? 1 : 0));
        break;
    case ftInteger:
    case ftAutoInc:
        StoreUnaligned(p,
                       static_cast<std::int32_t>(RangeChecked(value, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max())));
        break;
    case ftLargeint:
        StoreUnaligned(p, value.AsInt64());
        break;
    case ftFloat:
        StoreUnaligned(p, value.AsFloat());
        break;
    case ftCurrency:
        StoreUnaligned(p, value.AsCurrency());
        break;
    case ftDate:
        StoreUnaligned(p, DateTimeToNativeDate(value.AsDateTime()));
        break;
    case ftTime:
        StoreUnaligned(p, DateTimeToNativeTime(value.AsDateTime()));
        break;
    case ftDateTime:
        StoreUnaligned(p, DateTimeToNativeMSecs(value.AsDateTime()));
        break;
    case ftBytes: {
        const auto bytes = value.AsBytes();
        std::memcpy(p, bytes.data(), std::min(bytes.size(), static_cast<size_t>(size)));
        break;
    }
    case ftVarBytes: {
        const auto bytes = value.AsBytes();
        const auto len =
            static_cast<std::uint16_t>(std::min<size_t>(bytes.size(), static_cast<size_t>(size)));
        StoreUnaligned(p, len);
        std::memcpy(p + 2, bytes.data(), len);
        break;
    }
    default:
        NoNativeForm(type);
    }
}
