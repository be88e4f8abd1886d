#pragma once
// The native data forms of field values in record buffers and of parameters. Dates and times use
// the platform time stamp of platform/core/DateTime.h:
// - Date: 32-bit day number, 1899-12-30 = 693594 (the time stamp's date part).
// - Time: 32-bit milliseconds since midnight (the time stamp's time part).
// - DateTime: a double holding the time stamp as milliseconds (date * 86400000 + time).
#include "platform/db/DBTypes.h"

#include <cstdint>

// Bytes a field of this type and size takes in a record buffer (0 for blobs, memos and types the
// model does not store): String Size+1, Smallint/Word/Boolean 2, Integer/AutoInc 4, Largeint 8,
// Float/Currency 8, Date 4, Time 4, DateTime 8, Bytes Size, VarBytes Size+2.
int FieldDataSize(TFieldType type, int size);

// Blob-like types whose data travel only through a blob stream.
bool IsBlobType(TFieldType type);

// A date-time in and out of the three native date and time forms.
std::int32_t DateTimeToNativeDate(double dateTime);
std::int32_t DateTimeToNativeTime(double dateTime);
double DateTimeToNativeMSecs(double dateTime);
double NativeDateToDateTime(std::int32_t date);
double NativeTimeToDateTime(std::int32_t time);
double NativeMSecsToDateTime(double msecs);

#include "platform/core/Exception.h"
#include "platform/core/Variant.h"

// A value outside the range of the native form (a Smallint of 70000).
class ERangeError : public Exception
{
public:
    using Exception::Exception;
};

// The value held in native data of type (FieldDataSize(type, size) bytes at data). Text stops at
// the first zero byte or after size bytes. Not for blob types.
Variant NativeToVariant(TFieldType type, int size, const void* data);
// Writes value (not Null or Empty) as native data of type into FieldDataSize(type, size) bytes,
// which the caller has zeroed. Text longer than size is cut at a character boundary; booleans are
// written as 1 or 0. Raises ERangeError for a number the form cannot hold, EVariantError for a
// value that does not convert, EConvertError for a type without native data.
void VariantToNative(TFieldType type, int size, const Variant& value, void* data);
