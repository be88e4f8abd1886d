// THstmt: typed reads and writes of the cells of the current rowset.
#include "odbc/statements/Hstmt.h"

#include "odbc/base/OcihText.h"
#include "odbc/driver/Oci.h"
#include "odbc/statements/CellFormat.h"
#include "odbc/statements/CellNotRead.h"
#include "platform/core/DateTime.h"
#include "platform/core/NumberText.h"
#include "platform/core/Unaligned.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace {

bool IsBigint(std::int16_t cType)
{
    return cType == SQL_C_SBIGINT || cType == SQL_C_UBIGINT;
}

bool IsIntegerCell(std::int16_t cType)
{
    switch (cType) {
    case SQL_C_STINYINT:
    case SQL_C_UTINYINT:
    case SQL_C_SSHORT:
    case SQL_C_USHORT:
    case SQL_C_SLONG:
    case SQL_C_ULONG:
    case SQL_C_BIT:
        return true;
    default:
        return false;
    }
}

bool IsFloatCell(std::int16_t cType)
{
    return cType == SQL_C_FLOAT || cType == SQL_C_DOUBLE;
}

bool IsDateCell(std::int16_t cType)
{
    return cType == SQL_C_TYPE_DATE || cType == SQL_C_TYPE_TIME || cType == SQL_C_TYPE_TIMESTAMP;
}

// The text a text cell holds: up to its indicator's length, never past the cell.
std::string_view CellText(const TColRec& rec, const void* cell, SqlLen ind)
{
    const auto* bytes = static_cast<const char*>(cell);
    const std::size_t capacity = static_cast<std::size_t>(rec.CellWidth - 1);
    if (ind >= 0 && static_cast<std::size_t>(ind) <= capacity)
        return {bytes, static_cast<std::size_t>(ind)};
    return {bytes, strnlen(bytes, capacity)};
}

std::int64_t BigintValue(const void* cell, std::int16_t cType)
{
    return cType == SQL_C_SBIGINT ? LoadUnaligned<std::int64_t>(cell)
                                  : static_cast<std::int64_t>(LoadUnaligned<std::uint64_t>(cell));
}

std::int32_t Clamp32(std::int64_t value)
{
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

// A 64-bit integer from text: the whole text (blanks around allowed) must be the number.
bool ReadBigint(const std::string& text, std::int16_t cType, void* cell)
{
    const std::string trimmed = TrimString(text, stTrimBoth);
    if (trimmed.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    if (cType == SQL_C_UBIGINT && trimmed[0] != '-') {
        const unsigned long long value = std::strtoull(trimmed.c_str(), &end, 10);
        if (errno != 0 || *end != '\0')
            return false;
        StoreUnaligned<std::uint64_t>(cell, value);
        return true;
    }
    const long long value = std::strtoll(trimmed.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || (cType == SQL_C_UBIGINT && value < 0))
        return false;
    StoreUnaligned<std::int64_t>(cell, value);
    return true;
}

} // namespace

TColRec* THstmt::ColRec(std::uint16_t col)
{
    if (!colsBound_) {
        // Looked up only once the binding has ended: a lost connection's rule frees the records.
        Operation([this] {
            if (Init())
                BindCols();
            return true;
        });
    }
    if (col == 0 || col > cols_.size())
        return nullptr;
    return cols_[col - 1].get();
}

bool THstmt::CellRecord(std::uint16_t col, SqlULen row, TColRec*& rec, void*& cell, SqlLen*& ind)
{
    rec = ColRec(col);
    if (rec == nullptr || row == 0 || row > rowSetSize_)
        return false;
    if (rec->IsBlob) {
        cell = nullptr;
        ind = &rec->Ind[0];
    } else {
        cell = RowOffset(rec->Value, row, rec->CellWidth);
        ind = &rec->Ind[row - 1];
    }
    return true;
}

std::optional<TRowRec> THstmt::RowRec(std::uint16_t col, SqlULen row)
{
    TColRec* rec = nullptr;
    void* cell = nullptr;
    SqlLen* ind = nullptr;
    if (!CellRecord(col, row, rec, cell, ind))
        return std::nullopt;
    return TRowRec{rec->ColType, cell, ind, rec->IsBlob, rec->CellWidth};
}

std::int16_t THstmt::GetColType(std::uint16_t col)
{
    const TColRec* rec = ColRec(col);
    return rec != nullptr ? rec->ColType : std::int16_t{0};
}

std::int16_t THstmt::GetSqlType(std::uint16_t col)
{
    const TColRec* rec = ColRec(col);
    return rec != nullptr ? rec->SqlType : std::int16_t{0};
}

bool THstmt::GetBlobCol(std::uint16_t col)
{
    const TColRec* rec = ColRec(col);
    return rec != nullptr && (rec->IsBlob || rec->LongInCells);
}

void* THstmt::GetCellValue(std::uint16_t col, SqlULen row)
{
    TColRec* rec = nullptr;
    void* cell = nullptr;
    SqlLen* ind = nullptr;
    if (!CellRecord(col, row, rec, cell, ind))
        return nullptr;
    if (rec->IsBlob) {
        TMemoryStream* blob = GetCellMemory(col, row);
        return blob != nullptr ? blob->Memory() : nullptr;
    }
    return cell;
}

// ---- Reads -----------------------------------------------------------------------------------------

std::string THstmt::GetCellString(std::uint16_t col, SqlULen row)
{
    if (const CellView* view = PlainCell(col, row); view != nullptr && view->cType == SQL_C_CHAR) {
        const SqlLen ind = view->ind[row - 1];
        const char* cell = reinterpret_cast<const char*>(view->value + (row - 1) * view->width);
        if (ind == SQL_NULL_DATA)
            return {};
        if (ind >= 0 && ind < view->width)
            return TrimString(std::string_view(cell, static_cast<std::size_t>(ind)), stringTrimming_);
    }
    TColRec* rec = nullptr;
    void* cell = nullptr;
    SqlLen* ind = nullptr;
    if (!CellRecord(col, row, rec, cell, ind))
        return {};
    if (rec->IsBlob) {
        // A value read with its one-row rowset, or an edited one, is in the stream: no driver call.
        if (rec->Blob != nullptr && (rec->BlobEdited || (rowSetSize_ == 1 && rec->BlobRow == row)))
            return rec->Ind[0] == SQL_NULL_DATA ? std::string() : MemoryStreamToString(*rec->Blob);
        // Read first: with BlobDeferral the indicator says NULL only until the value is read. The
        // record stays until the text is taken.
        RunningCall running;
        const TMemoryStream* blob = GetCellMemory(col, row);
        return blob == nullptr || rec->Ind[0] == SQL_NULL_DATA ? std::string() : MemoryStreamToString(*blob);
    }
    if (*ind == SQL_NULL_DATA)
        return {};
    if (*ind == kCellNotRead && (rec->ColType == SQL_C_CHAR || rec->ColType == SQL_C_BINARY))
        throw NotReadError(rec->Name);
    std::string text;
    switch (rec->ColType) {
    case SQL_C_CHAR:
        text = TrimString(CellText(*rec, cell, *ind), stringTrimming_);
        break;
    case SQL_C_BINARY: {
        const SqlLen length = *ind >= 0 && *ind <= rec->CellWidth ? *ind : rec->CellWidth;
        return {static_cast<const char*>(cell), static_cast<std::size_t>(length)};
    }
    case SQL_C_SBIGINT:
        text = std::to_string(LoadUnaligned<std::int64_t>(cell));
        break;
    case SQL_C_UBIGINT:
        text = std::to_string(LoadUnaligned<std::uint64_t>(cell));
        break;
    default:
        text = ToString(cell, rec->ColType, stringTrimming_);
        break;
    }
    return rec->FormatStyle == fsNone ? text : FormatCellString(col, row, *rec, std::move(text));
}

std::string THstmt::FormatCellString(std::uint16_t col, SqlULen row, const TColRec& rec, std::string text)
{
    switch (rec.FormatStyle) {
    case fsFloat:
        if (IsFloatCell(rec.ColType))
            return FormatFloat(rec.FormatMask, GetCellDouble(col, row));
        if (IsIntegerCell(rec.ColType))
            return FormatFloat(rec.FormatMask, GetCellInteger(col, row));
        return text;
    case fsDateTime:
        if (IsDateCell(rec.ColType))
            return FormatDateTime(rec.FormatMask, TSToDateTime(GetCellTimeStamp(col, row)));
        return text;
    case fsCustom:
        if (IsFloatCell(rec.ColType))
            return FormatOne(rec.FormatMask, Variant(GetCellDouble(col, row)));
        if (IsIntegerCell(rec.ColType))
            return FormatOne(rec.FormatMask, Variant(GetCellInteger(col, row)));
        return FormatOne(rec.FormatMask, Variant(text));
    default:
        return text;
    }
}

double THstmt::GetCellDouble(std::uint16_t col, SqlULen row)
{
    if (const CellView* view = PlainCell(col, row); view != nullptr && view->cType == SQL_C_DOUBLE) {
        const SqlLen ind = view->ind[row - 1];
        return ind == SQL_NULL_DATA ? 0.0 : LoadUnaligned<double>(view->value + (row - 1) * view->width);
    }
    TColRec* rec = nullptr;
    void* cell = nullptr;
    SqlLen* ind = nullptr;
    if (!CellRecord(col, row, rec, cell, ind) || rec->IsBlob || *ind == SQL_NULL_DATA)
        return 0;
    if (IsBigint(rec->ColType))
        return rec->ColType == SQL_C_SBIGINT ? static_cast<double>(LoadUnaligned<std::int64_t>(cell))
                                             : static_cast<double>(LoadUnaligned<std::uint64_t>(cell));
    return ToDouble(cell, rec->ColType);
}

float THstmt::GetCellSingle(std::uint16_t col, SqlULen row)
{
    return static_cast<float>(GetCellDouble(col, row));
}

std::int32_t THstmt::GetCellInteger(std::uint16_t col, SqlULen row)
{
    if (const CellView* view = PlainCell(col, row); view != nullptr && view->cType == SQL_C_SLONG) {
        const SqlLen ind = view->ind[row - 1];
        return ind == SQL_NULL_DATA ? 0 : LoadUnaligned<std::int32_t>(view->value + (row - 1) * view->width);
    }
    TColRec* rec = nullptr;
    void* cell = nullptr;
    SqlLen* ind = nullptr;
    if (!CellRecord(col, row, rec, cell, ind) || rec->IsBlob || *ind == SQL_NULL_DATA)
        return 0;
    if (rec->ColType == SQL_C_SLONG)
        return LoadUnaligned<std::int32_t>(cell);
    if (IsBigint(rec->ColType))
        return Clamp32(BigintValue(cell, rec->ColType));
    return ToInteger(cell, rec->ColType);
}

std::int64_t THstmt::GetCellInt64(std::uint16_t col, SqlULen row)
{
    TColRec* rec = nullptr;
    void* cell = nullptr;
    SqlLen* ind = nullptr;
    if (!CellRecord(col, row, rec, cell, ind) || rec->IsBlob || *ind == SQL_NULL_DATA)
        return 0;
    if (IsBigint(rec->ColType))
        return BigintValue(cell, rec->ColType);
    if (rec->ColType == SQL_C_ULONG)
        return LoadUnaligned<std::uint32_t>(cell);
    if (rec->ColType == SQL_C_CHAR) {
        // Exact decimals (NUMERIC read as text) give their integer part.
        std::string text = TrimString(CellText(*rec, cell, *ind), stTrimBoth);
        if (const std::size_t point = text.find('.');
            point != std::string::npos &&
            text.find_first_not_of("0123456789", point + 1) == std::string::npos)
            text.resize(point);
        std::int64_t value = 0;
        return TryStrToInt64(text, value) ? value : 0;
    }
    return ToInteger(cell, rec->ColType);
}

bool THstmt::GetCellBoolean(std::uint16_t col, SqlULen row)
{
    return GetCellInteger(col, row) != 0;
}

std::int8_t THstmt::GetCellShortint(std::uint16_t col, SqlULen row)
{
    return static_cast<std::int8_t>(GetCellInteger(col, row));
}

std::uint8_t THstmt::GetCellByte(std::uint16_t col, SqlULen row)
{
    return static_cast<std::uint8_t>(GetCellInteger(col, row));
}

std::int16_t THstmt::GetCellSmallint(std::uint16_t col, SqlULen row)
{
    return static_cast<std::int16_t>(GetCellInteger(col, row));
}

std::uint16_t THstmt::GetCellWord(std::uint16_t col, SqlULen row)
{
    return static_cast<std::uint16_t>(GetCellInteger(col, row));
}

std::uint32_t THstmt::GetCellCardinal(std::uint16_t col, SqlULen row)
{
    return static_cast<std::uint32_t>(GetCellInteger(col, row));
}

TTimeStamp THstmt::GetCellTimeStamp(std::uint16_t col, SqlULen row)
{
    TColRec* rec = nullptr;
    void* cell = nullptr;
    SqlLen* ind = nullptr;
    if (!CellRecord(col, row, rec, cell, ind) || rec->IsBlob || *ind == SQL_NULL_DATA)
        return NullTS();
    return ToTimeStamp(cell, rec->ColType);
}

TDate THstmt::GetCellDate(std::uint16_t col, SqlULen row)
{
    return TSAsDate(GetCellTimeStamp(col, row));
}

TTime THstmt::GetCellTime(std::uint16_t col, SqlULen row)
{
    return TSAsTime(GetCellTimeStamp(col, row));
}

Variant THstmt::GetCellVariant(std::uint16_t col, SqlULen row)
{
    TColRec* rec = nullptr;
    void* cell = nullptr;
    SqlLen* ind = nullptr;
    if (!CellRecord(col, row, rec, cell, ind))
        return {};
    if (rec->IsBlob) {
        if (rec->ColType != SQL_C_CHAR)
            return {};
        const std::string text = GetCellString(col, row);
        return rec->Ind[0] == SQL_NULL_DATA ? Variant() : Variant(text);
    }
    if (*ind == SQL_NULL_DATA)
        return {};
    switch (rec->ColType) {
    case SQL_C_TYPE_DATE:
    case SQL_C_TYPE_TIME:
    case SQL_C_TYPE_TIMESTAMP:
        return Variant::Date(TSToDateTime(GetCellTimeStamp(col, row)));
    case SQL_C_DOUBLE:
        return Variant(GetCellDouble(col, row));
    case SQL_C_FLOAT:
        return Variant(static_cast<double>(GetCellSingle(col, row)));
    case SQL_C_CHAR:
        return Variant(GetCellString(col, row));
    case SQL_C_BIT:
        return Variant(GetCellInteger(col, row) != 0);
    case SQL_C_UTINYINT:
        return Variant(static_cast<std::int32_t>(GetCellByte(col, row)));
    case SQL_C_STINYINT:
        return Variant(static_cast<std::int32_t>(GetCellShortint(col, row)));
    case SQL_C_SSHORT:
        return Variant(static_cast<std::int32_t>(GetCellSmallint(col, row)));
    case SQL_C_USHORT:
        return Variant(static_cast<std::int32_t>(GetCellWord(col, row)));
    case SQL_C_SLONG:
        return Variant(GetCellInteger(col, row));
    case SQL_C_ULONG:
        return Variant(static_cast<std::int64_t>(GetCellCardinal(col, row)));
    case SQL_C_SBIGINT:
    case SQL_C_UBIGINT:
        return Variant(GetCellInt64(col, row));
    default:
        return {};
    }
}

TMemoryStream* THstmt::GetCellMemory(std::uint16_t col, SqlULen row)
{
    TColRec* rec = ColRec(col);
    if (rec != nullptr && rec->LongInCells) {
        CopyLongCell(*rec, row, *rec->Blob);
        rec->BlobRow = row;
        return rec->Blob.get();
    }
    if (rec == nullptr || !rec->IsBlob)
        return nullptr;
    // The stream is the record's: none is handed out once a lost connection's rule freed it.
    const auto read = [&] {
        rec->Ind[0] = FetchCell(col, row, rec->ColType, *rec->Blob);
        return true;
    };
    // A one-row rowset's value read with the row is in the stream already; the driver would give
    // nothing more for it (SQL_NO_DATA).
    const bool held = rowSetSize_ == 1 && rec->BlobRow == row;
    if (!rec->BlobEdited && !held && !Operation(read))
        return nullptr;
    return rec->Blob.get();
}

TMemoryStream* THstmt::GetColMemory(std::uint16_t col)
{
    TColRec* rec = ColRec(col);
    if (rec != nullptr && rec->LongInCells)
        return GetCellMemory(col, 1);
    if (rec == nullptr || !rec->IsBlob)
        return nullptr;
    const auto read = [&] {
        rec->Ind[0] = FetchCol(col, 1, rec->ColType, *rec->Blob);
        return true;
    };
    if (blobDeferral_ && !rec->BlobEdited && !Operation(read))
        return nullptr;
    return rec->Blob.get();
}

// ---- Writes ----------------------------------------------------------------------------------------

void THstmt::StoreText(TColRec& rec, void* cell, SqlLen* ind, const std::string& text)
{
    KeepFetchedCell(rec, static_cast<SqlULen>(ind - rec.Ind) + 1);
    switch (rec.ColType) {
    case SQL_C_SBIGINT:
    case SQL_C_UBIGINT:
        if (!ReadBigint(text, rec.ColType, cell))
            throw RIDIZOrurori("'" + text + "' is not a valid value for column " + rec.Name + ".");
        *ind = 8;
        return;
    case SQL_C_CHAR:
    case SQL_C_BINARY: {
        const std::string stored = TrimString(text, stringTrimming_);
        const SqlLen capacity = rec.ColType == SQL_C_CHAR ? rec.CellWidth - 1 : rec.CellWidth;
        if (static_cast<SqlLen>(stored.size()) > capacity)
            throw RIDIZOrurori("Value for column " + rec.Name + " is longer than the column.");
        if (rec.ColType == SQL_C_CHAR) {
            std::memcpy(cell, stored.c_str(), stored.size() + 1);
        } else {
            std::memcpy(cell, stored.data(), stored.size());
        }
        *ind = static_cast<SqlLen>(stored.size());
        return;
    }
    default:
        if (!ToValue(text, cell, rec.CellWidth, rec.ColType, stringTrimming_))
            throw RIDIZOrurori("'" + text + "' is not a valid value for column " + rec.Name + ".");
        *ind = rec.CellWidth;
        return;
    }
}

bool THstmt::EmptyToNullTest(const TColRec& rec) const
{
    switch (emptyStringToNull_) {
    case enAlways:
        return true;
    case enIfNullable:
        return rec.Nullable == SQL_NULLABLE;
    default:
        return false;
    }
}

void THstmt::SetCellString(std::uint16_t col, SqlULen row, const std::string& value)
{
    TColRec* rec = nullptr;
    void* cell = nullptr;
    SqlLen* ind = nullptr;
    if (!CellRecord(col, row, rec, cell, ind))
        return;
    if (rec->LongInCells) {
        StoreLongCell(col, row, *rec, TrimString(value, stringTrimming_));
        ind = &rec->Ind[row - 1];
    } else if (rec->IsBlob) {
        // The stream holds exactly the value's bytes; text carries no zero byte.
        const std::string stored = TrimString(value, stringTrimming_);
        rec->Blob->Clear();
        if (!stored.empty())
            rec->Blob->WriteBuffer(stored.data(), static_cast<std::int64_t>(stored.size()));
        rec->Blob->SetPosition(0);
        rec->BlobEdited = true;
        *ind = static_cast<SqlLen>(stored.size());
    } else {
        StoreText(*rec, cell, ind, value);
    }
    if (value.empty() && EmptyToNullTest(*rec))
        *ind = SQL_NULL_DATA;
}

// Integers are stored through their decimal text, which the cell's own type then takes.
void THstmt::SetCellNumberText(std::uint16_t col, SqlULen row, const std::string& text)
{
    TColRec* rec = nullptr;
    void* cell = nullptr;
    SqlLen* ind = nullptr;
    if (!CellRecord(col, row, rec, cell, ind) || rec->IsBlob)
        return;
    StoreText(*rec, cell, ind, text);
}

void THstmt::SetCellInteger(std::uint16_t col, SqlULen row, std::int32_t value)
{
    SetCellNumberText(col, row, std::to_string(value));
}

void THstmt::SetCellCardinal(std::uint16_t col, SqlULen row, std::uint32_t value)
{
    if (GetColType(col) == SQL_C_SLONG) {
        // The bit pattern, as a 32-bit signed cell holds it.
        SetCellInteger(col, row, static_cast<std::int32_t>(value));
        return;
    }
    SetCellNumberText(col, row, std::to_string(value));
}

void THstmt::SetCellInt64(std::uint16_t col, SqlULen row, std::int64_t value)
{
    SetCellNumberText(col, row, std::to_string(value));
}

void THstmt::SetCellBoolean(std::uint16_t col, SqlULen row, bool value)
{
    SetCellInteger(col, row, value ? 1 : 0);
}

void THstmt::SetCellShortint(std::uint16_t col, SqlULen row, std::int8_t value)
{
    SetCellInteger(col, row, value);
}

void THstmt::SetCellByte(std::uint16_t col, SqlULen row, std::uint8_t value)
{
    SetCellInteger(col, row, value);
}

void THstmt::SetCellSmallint(std::uint16_t col, SqlULen row, std::int16_t value)
{
    SetCellInteger(col, row, value);
}

void THstmt::SetCellWord(std::uint16_t col, SqlULen row, std::uint16_t value)
{
    SetCellInteger(col, row, value);
}

void THstmt::SetCellDouble(std::uint16_t col, SqlULen row, double value)
{
    TColRec* rec = nullptr;
    void* cell = nullptr;
    SqlLen* ind = nullptr;
    if (!CellRecord(col, row, rec, cell, ind) || rec->IsBlob)
        return;
    KeepFetchedCell(*rec, row);
    // Floating-point cells take the value itself: its text form keeps only 15 digits.
    if (rec->ColType == SQL_C_DOUBLE) {
        StoreUnaligned<double>(cell, value);
        *ind = sizeof(double);
        return;
    }
    if (rec->ColType == SQL_C_FLOAT) {
        StoreUnaligned<float>(cell, static_cast<float>(value));
        *ind = sizeof(float);
        return;
    }
    StoreText(*rec, cell, ind, ToString(&value, SQL_C_DOUBLE, stNone));
}

void THstmt::SetCellSingle(std::uint16_t col, SqlULen row, float value)
{
    SetCellDouble(col, row, value);
}

void THstmt::SetCellTimeStamp(std::uint16_t col, SqlULen row, const TTimeStamp& value)
{
    TColRec* rec = nullptr;
    void* cell = nullptr;
    SqlLen* ind = nullptr;
    if (!CellRecord(col, row, rec, cell, ind) || rec->IsBlob)
        return;
    std::string text;
    if (rec->ColType == SQL_C_TYPE_DATE) {
        const TDate date = TSAsDate(value);
        text = ToString(&date, SQL_C_TYPE_DATE, stTrimBoth);
    } else if (rec->ColType == SQL_C_TYPE_TIME) {
        const TTime time = TSAsTime(value);
        text = ToString(&time, SQL_C_TYPE_TIME, stTrimBoth);
    } else {
        text = ToString(&value, SQL_C_TYPE_TIMESTAMP, stTrimBoth);
    }
    StoreText(*rec, cell, ind, text);
}

void THstmt::SetCellDate(std::uint16_t col, SqlULen row, const TDate& value)
{
    SetCellDateOrTime(col, row, &value, SQL_C_TYPE_DATE, DateAsTS(value));
}

void THstmt::SetCellTime(std::uint16_t col, SqlULen row, const TTime& value)
{
    SetCellDateOrTime(col, row, &value, SQL_C_TYPE_TIME, TimeAsTS(value));
}

void THstmt::SetCellDateOrTime(std::uint16_t col, SqlULen row, const void* value, std::int16_t cType,
                               const TTimeStamp& asTimeStamp)
{
    // A time-stamp column keeps the value whole; any other takes it as text.
    if (GetColType(col) == SQL_C_TYPE_TIMESTAMP) {
        SetCellTimeStamp(col, row, asTimeStamp);
        return;
    }
    TColRec* rec = nullptr;
    void* cell = nullptr;
    SqlLen* ind = nullptr;
    if (!CellRecord(col, row, rec, cell, ind) || rec->IsBlob)
        return;
    StoreText(*rec, cell, ind, ToString(value, cType, stTrimBoth));
}

void THstmt::SetCellVariant(std::uint16_t col, SqlULen row, const Variant& value)
{
    switch (value.Type()) {
    case TVarType::Integer:
        SetCellInteger(col, row, value.AsInteger());
        break;
    case TVarType::Int64:
        SetCellInt64(col, row, value.AsInt64());
        break;
    case TVarType::Double:
    case TVarType::Currency:
        SetCellDouble(col, row, value.AsFloat());
        break;
    case TVarType::Date:
        SetCellTimeStamp(col, row, DateTimeToTS(value.AsDateTime()));
        break;
    case TVarType::String:
        SetCellString(col, row, value.AsString());
        break;
    case TVarType::Boolean:
        // 1 or 0: a true variant's integer value (-1) is no value a bit column takes.
        SetCellBoolean(col, row, value.AsBoolean());
        break;
    case TVarType::Bytes: {
        const std::vector<std::uint8_t> bytes = value.AsBytes();
        const std::int16_t cType = GetColType(col);
        if (cType == SQL_C_BINARY || cType == SQL_C_CHAR) {
            SetCellString(col, row, std::string(bytes.begin(), bytes.end()));
            break;
        }
        SetCellNull(col, row, true);
        break;
    }
    default:
        SetCellNull(col, row, true);
        break;
    }
}

void THstmt::StoreLongCell(std::uint16_t col, SqlULen row, TColRec& rec, std::string_view bytes)
{
    KeepFetchedCell(rec, row);
    const auto size = static_cast<SqlLen>(bytes.size());
    const SqlLen room = rec.ColType == SQL_C_CHAR ? size + 1 : size;
    if (room > rec.CellWidth)
        WidenColumn(col, rec, std::max(room, rec.CellWidth * 2));
    auto* cell = static_cast<char*>(RowOffset(rec.Value, row, rec.CellWidth));
    if (size > 0)
        std::memcpy(cell, bytes.data(), bytes.size());
    if (rec.ColType == SQL_C_CHAR)
        cell[size] = '\0';
    rec.Ind[row - 1] = size;
}

void THstmt::SetCellMemory(std::uint16_t col, SqlULen row, TStream& stream)
{
    TColRec* rec = ColRec(col);
    if (rec != nullptr && rec->LongInCells) {
        if (row == 0 || row > rowSetSize_)
            return;
        std::string bytes(static_cast<std::size_t>(stream.Size()), '\0');
        stream.SetPosition(0);
        if (!bytes.empty())
            stream.ReadBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
        stream.SetPosition(0);
        StoreLongCell(col, row, *rec, bytes);
        return;
    }
    if (rec == nullptr || !rec->IsBlob)
        return;
    if (&stream != rec->Blob.get())
        rec->Blob->LoadFromStream(stream);
    rec->BlobEdited = true;
    rec->Ind[0] = rec->Blob->Size();
}
