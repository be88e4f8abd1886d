// TCustomOEDataSet: the record layout, the record-buffer operations, and moving values between the
// statement's column buffers and records.
#include "odbc/datasets/CustomOEDataSet.h"

#include "odbc/datasets/OEBlobStream.h"
#include "odbc/datasets/OEFieldTypes.h"
#include "odbc/statements/CellNotRead.h"
#include "odbc/statements/Hstmt.h"
#include "platform/core/DateTime.h"
#include "platform/core/MemoryStream.h"
#include "platform/core/Unaligned.h"
#include "platform/db/Field.h"
#include "platform/db/NativeData.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cstring>

namespace {

// Record info, at RecInfoOffset: where each part lies.
constexpr int kBookmarkRef = 0;  // pointer to the bookmark block, null without a bookmark
constexpr int kBookmarkFlag = 8; // TBookmarkFlag
constexpr int kUpdateStatus = 9; // TUpdateStatus
constexpr int kCacheIndex = 10;  // int32, -1 when unset
constexpr int kBlobSlotSize = static_cast<int>(sizeof(TMemoryStream*)) + 1;
// Presence byte of a slot whose value the statement has not read yet (a deferred blob).
constexpr std::uint8_t kNotRead = 2;
// Presence byte of a slot whose value the statement could not read (it came cut, and the cursor
// cannot return to its row): reading it raises, and it is never written back.
constexpr std::uint8_t kUnreadable = 3;

// The longest prefix of text of at most limit bytes that does not end inside a UTF-8 character.
std::size_t Utf8Prefix(const char* text, std::size_t length, std::size_t limit)
{
    if (length <= limit)
        return length;
    std::size_t n = limit;
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
        --n;
    return n;
}

// Text as the statement's StringTrimming leaves it: characters of code 32 or below cut at the ends.
void TrimView(const char*& text, std::size_t& length, TStringTrimming trimming)
{
    auto low = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    if (trimming == stTrimTrailing || trimming == stTrimBoth)
        while (length > 0 && low(text[length - 1]))
            --length;
    if (trimming == stTrimLeading || trimming == stTrimBoth)
        while (length > 0 && low(*text)) {
            ++text;
            --length;
        }
}

// The text a character cell holds: its indicator's length when that fits the cell (width bytes and a
// zero), else up to the first zero; trimmed as the statement's StringTrimming says.
void CellText(const char*& text, std::size_t& length, SqlLen ind, SqlLen cellWidth, TStringTrimming trimming)
{
    const auto width = static_cast<std::size_t>(std::max<SqlLen>(cellWidth - 1, 0));
    length = ind >= 0 && static_cast<std::size_t>(ind) <= width ? static_cast<std::size_t>(ind)
                                                                : strnlen(text, width);
    TrimView(text, length, trimming);
}

// Text into a slot of capacity bytes plus its terminating zero; a longer text is cut at a character.
void StoreText(std::uint8_t* slot, std::size_t capacity, const char* text, std::size_t length)
{
    const std::size_t n = Utf8Prefix(text, length, capacity);
    std::memcpy(slot, text, n);
    std::memset(slot + n, 0, capacity + 1 - n);
}

} // namespace

// ---- Layout

void TCustomOEDataSet::DescribeColumns()
{
    columns_.clear();
    hasBlobColumns_ = false;
    const int count = statement_->GetColCount();
    columns_.reserve(static_cast<std::size_t>(count));
    for (int col = 1; col <= count; ++col) {
        const auto c = static_cast<std::uint16_t>(col);
        Column column;
        column.cType = statement_->GetColType(c);
        const std::int16_t sqlType = statement_->GetSqlType(c);
        const bool signedFlag = (sqlType == SQL_TINYINT && column.cType == SQL_C_STINYINT) ||
                                (sqlType == SQL_SMALLINT && column.cType == SQL_C_SSHORT);
        column.type = SqlTypeToFieldType(sqlType, signedFlag);
        column.blob = statement_->GetBlobCol(c);
        column.precision = static_cast<int>(std::min<SqlULen>(statement_->GetColPrecision(c), 0x7FFFFFF0));
        // Text and binary slots hold what the statement's cell holds: UTF-8 text may take several
        // bytes per character, so a text field's size counts bytes.
        const int characters = column.precision;
        if (!column.blob && (column.cType == SQL_C_CHAR || column.cType == SQL_C_BINARY)) {
            if (const auto cell = statement_->RowRec(c, 1))
                column.precision =
                    static_cast<int>(column.cType == SQL_C_CHAR ? cell->Width - 1 : cell->Width);
        }
        // Only a row cache keeps so many records that the slot's width matters. Without one, a few
        // records are read over and over: text is kept whole in its slot, since every overflow copy
        // lasts until the dataset closes and browsing would pile them up row after row.
        column.inlineText =
            cached_ && characters > 0 ? std::min(characters, column.precision) : column.precision;
        column.formatted = statement_->GetFormatStyle(c) != fsNone;
        if (column.blob) {
            column.size = kBlobSlotSize;
            hasBlobColumns_ = true;
        } else {
            switch (column.type) {
            case ftString:
                column.size = column.inlineText + 1 + static_cast<int>(sizeof(std::uint32_t)) + 1;
                break;
            case ftSmallint:
            case ftWord:
            case ftBoolean:
                column.size = 3;
                break;
            case ftInteger:
                column.size = 5;
                break;
            case ftLargeint:
            case ftFloat:
            case ftCurrency:
            case ftDate:
            case ftTime:
            case ftDateTime:
                column.size = 9;
                break;
            case ftBytes:
                column.size = column.precision + static_cast<int>(sizeof(std::int32_t)) + 1;
                break;
            case ftBlob:
            case ftMemo:
                column.size = 257;
                break;
            default:
                column.size = 1;
                break;
            }
        }
        columns_.push_back(column);
    }
}

TFieldType TCustomOEDataSet::FieldType(int col) const
{
    return col >= 1 && col <= static_cast<int>(columns_.size()) ? columns_[static_cast<size_t>(col - 1)].type
                                                                : ftUnknown;
}

int TCustomOEDataSet::FieldSize(int col) const
{
    return col >= 1 && col <= static_cast<int>(columns_.size()) ? columns_[static_cast<size_t>(col - 1)].size
                                                                : 0;
}

int TCustomOEDataSet::FieldOffset(int col) const
{
    return col >= 1 && col <= static_cast<int>(columns_.size())
               ? columns_[static_cast<size_t>(col - 1)].offset
               : recInfoOffset_;
}

// ---- Slots and record info

std::uint8_t& TCustomOEDataSet::Presence(TRecordBuffer buffer, const Column& c) const
{
    return buffer[c.offset + c.size - 1];
}

TMemoryStream* TCustomOEDataSet::BlobStream(TRecordBuffer buffer, const Column& c) const
{
    return LoadUnaligned<TMemoryStream*>(buffer + c.offset);
}

TBookmarkFlag TCustomOEDataSet::GetBookmarkFlag(TRecordBuffer buffer)
{
    return static_cast<TBookmarkFlag>(buffer[recInfoOffset_ + kBookmarkFlag]);
}

void TCustomOEDataSet::SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag)
{
    buffer[recInfoOffset_ + kBookmarkFlag] = flag;
}

bool TCustomOEDataSet::HasBookmark(TRecordBuffer buffer)
{
    return LoadUnaligned<std::uint8_t*>(buffer + recInfoOffset_ + kBookmarkRef) != nullptr;
}

void TCustomOEDataSet::SetBookmarkRef(TRecordBuffer buffer, bool present)
{
    StoreUnaligned<std::uint8_t*>(buffer + recInfoOffset_ + kBookmarkRef,
                                  present ? buffer + recordBufferSize_ : nullptr);
}

void TCustomOEDataSet::GetBookmarkData(TRecordBuffer buffer, void* data)
{
    std::memcpy(data, buffer + recordBufferSize_, static_cast<size_t>(BookmarkSize()));
}

void TCustomOEDataSet::SetBookmarkData(TRecordBuffer buffer, const void* data)
{
    std::memcpy(buffer + recordBufferSize_, data, static_cast<size_t>(BookmarkSize()));
    SetBookmarkRef(buffer, true);
}

TBookmark TCustomOEDataSet::BookmarkOf(TRecordBuffer buffer)
{
    if (buffer == nullptr || !HasBookmark(buffer))
        return {};
    const std::uint8_t* block = buffer + recordBufferSize_;
    return TBookmark(block, block + BookmarkSize());
}

std::uint8_t& TCustomOEDataSet::UpdateStatusOf(TRecordBuffer buffer)
{
    return buffer[recInfoOffset_ + kUpdateStatus];
}

std::int32_t TCustomOEDataSet::CacheIndexOf(TRecordBuffer buffer) const
{
    return LoadUnaligned<std::int32_t>(buffer + recInfoOffset_ + kCacheIndex);
}

void TCustomOEDataSet::SetCacheIndex(TRecordBuffer buffer, std::int32_t index)
{
    StoreUnaligned(buffer + recInfoOffset_ + kCacheIndex, index);
}

// ---- Record buffers

TRecordBuffer TCustomOEDataSet::NewRecord()
{
    // One block: the record and, after it, its bookmark. The memory streams of blob slots belong to
    // the record and are freed with it by FreeRecordBuffer.
    pool_.SetRecordSize(static_cast<std::size_t>(recordBufferSize_ + BookmarkSize()));
    TRecordBuffer buffer = pool_.Allocate();
    if (hasBlobColumns_) {
        for (const Column& c : columns_) {
            if (c.blob) {
                auto stream = std::make_unique<TMemoryStream>();
                StoreUnaligned(buffer + c.offset, stream.release());
            }
        }
    }
    return buffer;
}

TRecordBuffer TCustomOEDataSet::AllocRecordBuffer()
{
    TRecordBuffer buffer = NewRecord();
    InitRecord(buffer);
    return buffer;
}

void TCustomOEDataSet::ReleaseRecord(TRecordBuffer buffer)
{
    DetachBlobStreams(buffer);
    if (hasBlobColumns_)
        for (const Column& c : columns_)
            if (c.blob)
                std::unique_ptr<TMemoryStream>(BlobStream(buffer, c)).reset();
}

void TCustomOEDataSet::FreeRecordBuffer(TRecordBuffer& buffer)
{
    if (buffer == nullptr)
        return;
    ReleaseRecord(buffer);
    pool_.Free(buffer);
    buffer = nullptr;
}

void TCustomOEDataSet::FreeRecordBuffers(std::vector<TRecordBuffer>& buffers)
{
    for (TRecordBuffer buffer : buffers)
        if (buffer != nullptr)
            ReleaseRecord(buffer);
    pool_.Free(buffers);
    buffers.clear();
}

void TCustomOEDataSet::InternalInitRecord(TRecordBuffer buffer)
{
    if (buffer == nullptr)
        return;
    for (const Column& c : columns_) {
        if (c.blob) {
            BlobStream(buffer, c)->Clear();
            Presence(buffer, c) = 0;
        } else {
            std::memset(buffer + c.offset, 0, static_cast<size_t>(c.size));
        }
    }
    SetBookmarkRef(buffer, false);
    // Nor a cursor position: a new record stands nowhere in the cursor, whatever the buffer held.
    std::memset(buffer + recordBufferSize_, 0, static_cast<size_t>(BookmarkSize()));
}

void TCustomOEDataSet::ClearCalcFields(TRecordBuffer buffer)
{
    std::memset(buffer + calcFieldsOffset_, 0, static_cast<size_t>(CalcFieldsSize()));
}

void TCustomOEDataSet::CopyBuffer(TRecordBuffer source, TRecordBuffer dest, bool withInfo)
{
    if (source == dest)
        return;
    if (!hasBlobColumns_) {
        std::memcpy(dest, source, static_cast<size_t>(recInfoOffset_));
    } else {
        for (const Column& c : columns_) {
            if (c.blob) {
                TMemoryStream* from = BlobStream(source, c);
                const std::int64_t position = from->Position();
                BlobStream(dest, c)->LoadFromStream(*from);
                from->SetPosition(position);
                Presence(dest, c) = Presence(source, c);
            } else {
                std::memcpy(dest + c.offset, source + c.offset, static_cast<size_t>(c.size));
            }
        }
    }
    if (withInfo) {
        std::memcpy(dest + recordBufferSize_, source + recordBufferSize_,
                    static_cast<size_t>(BookmarkSize()));
        SetBookmarkRef(dest, HasBookmark(source));
        SetBookmarkFlag(dest, GetBookmarkFlag(source));
    }
    std::memcpy(dest + calcFieldsOffset_, source + calcFieldsOffset_, static_cast<size_t>(CalcFieldsSize()));
}

// ---- Field data

bool TCustomOEDataSet::GetFieldData(TField* field, void* buffer)
{
    TRecordBuffer record = GetActiveBuffer();
    if (record == nullptr)
        return false;
    const int size = field->DataSize();
    if (field->FieldKind() != fkData) {
        const std::uint8_t* data = record + calcFieldsOffset_ + field->Offset();
        if (buffer != nullptr)
            std::memcpy(buffer, data, static_cast<size_t>(size));
        return data[size] != 0;
    }
    const int col = field->FieldNo();
    if (col < 1 || col > static_cast<int>(columns_.size()))
        return false;
    const Column& c = columns_[static_cast<size_t>(col - 1)];
    std::uint8_t& presence = Presence(record, c);
    if (presence == kUnreadable)
        throw NotReadError(statement_->GetColNames()[col - 1]);
    if (c.blob) {
        if (presence == kNotRead)
            LoadDeferredBlob(record, col);
        return presence == 1;
    }
    if (buffer != nullptr && c.type == ftString) {
        const std::string_view text = TextValue(record, c);
        const std::size_t n = std::min(text.size(), static_cast<std::size_t>(std::max(size - 1, 0)));
        std::memcpy(buffer, text.data(), n);
        std::memset(static_cast<std::uint8_t*>(buffer) + n, 0, static_cast<size_t>(size) - n);
    } else if (buffer != nullptr) {
        // A field never reads past its slot, whatever its size says.
        const int n = std::min(size, c.size - 1);
        std::memcpy(buffer, record + c.offset, static_cast<size_t>(n));
        if (n < size)
            std::memset(static_cast<std::uint8_t*>(buffer) + n, 0, static_cast<size_t>(size - n));
    }
    return presence == 1;
}

bool TCustomOEDataSet::GetFieldText(TField* field, std::string& text)
{
    const int col = field->FieldNo();
    if (field->FieldKind() != fkData || col < 1 || col > static_cast<int>(columns_.size()) ||
        columns_[static_cast<size_t>(col - 1)].type != ftString ||
        columns_[static_cast<size_t>(col - 1)].blob)
        return TDataSet::GetFieldText(field, text);
    TRecordBuffer record = GetActiveBuffer();
    const Column& c = columns_[static_cast<size_t>(col - 1)];
    // A value or NULL is read here; any other state of the slot (a text that could not be read)
    // is GetFieldData's to answer.
    if (record != nullptr && Presence(record, c) > 1)
        return TDataSet::GetFieldText(field, text);
    if (record == nullptr || Presence(record, c) == 0) {
        text.clear();
        return false;
    }
    // What GetFieldData's native form would give: at most Size bytes, up to a zero among them.
    std::string_view value = TextValue(record, c);
    value = value.substr(0, static_cast<std::size_t>(std::max(field->DataSize() - 1, 0)));
    value = value.substr(0, value.find('\0'));
    text.assign(value);
    return true;
}

void TCustomOEDataSet::SetFieldData(TField* field, const void* buffer)
{
    TRecordBuffer record = GetActiveBuffer();
    if (record == nullptr)
        return;
    const int size = field->DataSize();
    if (field->FieldKind() != fkData) {
        std::uint8_t* data = record + calcFieldsOffset_ + field->Offset();
        if (buffer != nullptr)
            std::memcpy(data, buffer, static_cast<size_t>(size));
        data[size] = buffer != nullptr ? 1 : 0;
    } else {
        const int col = field->FieldNo();
        if (col < 1 || col > static_cast<int>(columns_.size()))
            return;
        field->Validate(buffer);
        const Column& c = columns_[static_cast<size_t>(col - 1)];
        if (buffer != nullptr && c.type == ftString) {
            const char* text = static_cast<const char*>(buffer);
            StoreTextValue(record, c, text, strnlen(text, static_cast<size_t>(size)));
        } else if (buffer != nullptr && !c.blob) {
            const int n = std::min(size, c.size - 1);
            std::memcpy(record + c.offset, buffer, static_cast<size_t>(n));
            // The model's binary form has no length of its own: the field's whole size is the value.
            if (c.type == ftBytes)
                StoreUnaligned(record + c.offset + c.precision, static_cast<std::int32_t>(n));
        }
        Presence(record, c) = buffer != nullptr ? 1 : 0;
    }
    const TDataSetState state = State();
    if (state != dsCalcFields && state != dsFilter && state != dsNewValue)
        DataEvent(deFieldChange, field);
}

// ---- Between the statement and records

void TCustomOEDataSet::ToField(int col, std::uint64_t row, TRecordBuffer buffer)
{
    const Column& c = columns_[static_cast<size_t>(col - 1)];
    const auto column = static_cast<std::uint16_t>(col);
    std::uint8_t* slot = buffer + c.offset;
    std::uint8_t& presence = Presence(buffer, c);
    // A value the statement could not read is neither shown nor written back.
    if (statement_->GetCellNotRead(column, row)) {
        if (c.blob)
            BlobStream(buffer, c)->Clear();
        presence = kUnreadable;
        return;
    }
    if (c.blob) {
        TMemoryStream* stream = BlobStream(buffer, c);
        // A rowset of several rows holds each row's long value in its cells: nothing to defer.
        const TColRec* rec = statement_->ColRec(column);
        if (statement_->BlobDeferral() && (rec == nullptr || !rec->LongInCells)) {
            stream->Clear();
            presence = kNotRead;
            return;
        }
        TMemoryStream* value = statement_->RowSetSize() <= 1 ? statement_->GetColMemory(column)
                                                             : statement_->GetCellMemory(column, row);
        if (value != nullptr) {
            const std::int64_t position = value->Position();
            stream->LoadFromStream(*value);
            value->SetPosition(position);
        } else {
            stream->Clear();
        }
        presence = statement_->GetCellNull(column, row) ? 0 : 1;
        return;
    }
    const bool null = statement_->GetCellNull(column, row);
    switch (c.type) {
    case ftString:
    case ftMemo:
    case ftBlob: {
        // Into the slot as the text of ftMemo and ftBlob slots that are not fetched whole.
        const auto store = [&](const char* text, std::size_t length) {
            if (c.type == ftString)
                StoreTextValue(buffer, c, text, length);
            else
                StoreText(slot, static_cast<std::size_t>(c.size - 2), text, length);
        };
        const auto cell = statement_->RowRec(column, row);
        if (null || !cell || cell->Value == nullptr) {
            store("", 0);
        } else if (c.formatted || cell->ColType != SQL_C_CHAR) {
            const std::string text = statement_->GetCellString(column, row);
            store(text.data(), text.size());
        } else {
            const char* text = static_cast<const char*>(cell->Value);
            std::size_t length = 0;
            CellText(text, length, *cell->Ind, cell->Width, statement_->StringTrimming());
            store(text, length);
        }
        break;
    }
    case ftBytes: {
        // The bytes themselves and their length: a value with zero bytes in it stays whole.
        const auto capacity = static_cast<std::size_t>(c.precision);
        std::memset(slot, 0, capacity + sizeof(std::int32_t));
        const auto cell = statement_->RowRec(column, row);
        if (!null && cell && cell->Value != nullptr) {
            const auto length = static_cast<std::size_t>(std::clamp<SqlLen>(
                *cell->Ind, 0, std::min<SqlLen>(cell->Width, static_cast<SqlLen>(capacity))));
            std::memcpy(slot, cell->Value, length);
            StoreUnaligned(slot + capacity, static_cast<std::int32_t>(length));
        }
        break;
    }
    case ftSmallint:
        StoreUnaligned(slot, statement_->GetCellSmallint(column, row));
        break;
    case ftWord:
    case ftBoolean:
        StoreUnaligned(slot, statement_->GetCellWord(column, row));
        break;
    case ftInteger:
        StoreUnaligned(slot, statement_->GetCellInteger(column, row));
        break;
    case ftLargeint:
        StoreUnaligned(slot, statement_->GetCellInt64(column, row));
        break;
    case ftFloat:
    case ftCurrency:
        StoreUnaligned(slot, statement_->GetCellDouble(column, row));
        break;
    case ftDate:
    case ftTime:
    case ftDateTime: {
        const TTimeStamp ts = null ? NullTS() : statement_->GetCellTimeStamp(column, row);
        const double dateTime = TSToDateTime(ts);
        if (c.type == ftDate)
            StoreUnaligned(slot, DateTimeToNativeDate(dateTime));
        else if (c.type == ftTime)
            StoreUnaligned(slot, DateTimeToNativeTime(dateTime));
        else
            StoreUnaligned(slot, DateTimeToNativeMSecs(dateTime));
        break;
    }
    default:
        break;
    }
    presence = null ? 0 : 1;
}

void TCustomOEDataSet::TakeCells()
{
    cells_.assign(columns_.size(), Cells{});
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        const Column& c = columns_[i];
        if (c.blob)
            continue;
        const TColRec* rec = statement_->ColRec(static_cast<std::uint16_t>(i + 1));
        if (rec == nullptr || rec->IsBlob || rec->Value == nullptr)
            continue;
        // The column types whose cells go into their slots as they are; the rest take ToField's way.
        const bool direct = (c.type == ftInteger && rec->ColType == SQL_C_SLONG) ||
                            ((c.type == ftFloat || c.type == ftCurrency) && rec->ColType == SQL_C_DOUBLE) ||
                            (c.type == ftString && rec->ColType == SQL_C_CHAR && !c.formatted);
        if (direct)
            cells_[i] = Cells{static_cast<const std::uint8_t*>(rec->Value), rec->Ind, rec->CellWidth};
    }
}

void TCustomOEDataSet::ReadRow(std::uint64_t row, TRecordBuffer buffer)
{
    const TStringTrimming trimming = statement_->StringTrimming();
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        const Column& c = columns_[i];
        const Cells& cells = cells_[i];
        // A cell that came cut and could not be read again is ToField's to mark, not a value.
        if (cells.value == nullptr || cells.ind[row - 1] == kCellNotRead) {
            ToField(static_cast<int>(i + 1), row, buffer);
            continue;
        }
        const SqlLen ind = cells.ind[row - 1];
        const std::uint8_t* cell = cells.value + (row - 1) * static_cast<std::uint64_t>(cells.width);
        const bool null = ind == SQL_NULL_DATA;
        std::uint8_t* slot = buffer + c.offset;
        switch (c.type) {
        case ftInteger:
            StoreUnaligned(slot, null ? 0 : LoadUnaligned<std::int32_t>(cell));
            break;
        case ftFloat:
        case ftCurrency:
            StoreUnaligned(slot, null ? 0.0 : LoadUnaligned<double>(cell));
            break;
        default: {
            const char* text = reinterpret_cast<const char*>(cell);
            std::size_t length = 0;
            if (!null)
                CellText(text, length, ind, cells.width, trimming);
            StoreTextValue(buffer, c, text, length);
            break;
        }
        }
        Presence(buffer, c) = null ? 0 : 1;
    }
}

void TCustomOEDataSet::FromField(int col, TRecordBuffer buffer)
{
    const Column& c = columns_[static_cast<size_t>(col - 1)];
    const auto column = static_cast<std::uint16_t>(col);
    const std::uint8_t* slot = buffer + c.offset;
    const std::uint8_t presence = Presence(buffer, c);
    // A value the dataset never read (a type it has no slot for, a deferred blob) is left out of the
    // generated statements instead of being written as NULL.
    if (presence == kNotRead || presence == kUnreadable || (!c.blob && c.size == 1)) {
        statement_->SetColIgnore(column, true);
        return;
    }
    // A column left out for an earlier record takes part again now that it has a value.
    statement_->SetColIgnore(column, false);
    if (c.blob) {
        statement_->SetColMemory(column, *BlobStream(buffer, c));
    } else {
        switch (c.type) {
        case ftString:
            statement_->SetColString(column, std::string(TextValue(buffer, c)));
            break;
        case ftMemo:
        case ftBlob: {
            const char* text = reinterpret_cast<const char*>(slot);
            statement_->SetColString(column,
                                     std::string(text, strnlen(text, static_cast<size_t>(c.size - 1))));
            break;
        }
        case ftBytes: {
            const auto length = static_cast<SqlLen>(
                std::clamp<std::int32_t>(LoadUnaligned<std::int32_t>(slot + c.precision), 0, c.precision));
            if (const auto cell = statement_->RowRec(column, 1); cell && cell->Value != nullptr) {
                const SqlLen n = std::min(length, cell->Width);
                std::memcpy(cell->Value, slot, static_cast<size_t>(n));
                statement_->SetColSize(column, n);
            }
            break;
        }
        case ftSmallint:
            statement_->SetColSmallint(column, LoadUnaligned<std::int16_t>(slot));
            break;
        case ftWord:
        case ftBoolean:
            statement_->SetColWord(column, LoadUnaligned<std::uint16_t>(slot));
            break;
        case ftInteger:
            statement_->SetColInteger(column, LoadUnaligned<std::int32_t>(slot));
            break;
        case ftLargeint:
            statement_->SetColInt64(column, LoadUnaligned<std::int64_t>(slot));
            break;
        case ftFloat:
        case ftCurrency:
            statement_->SetColDouble(column, LoadUnaligned<double>(slot));
            break;
        case ftDate:
        case ftTime:
        case ftDateTime: {
            double dateTime = 0;
            if (c.type == ftDate)
                dateTime = NativeDateToDateTime(LoadUnaligned<std::int32_t>(slot));
            else if (c.type == ftTime)
                dateTime = NativeTimeToDateTime(LoadUnaligned<std::int32_t>(slot));
            else
                dateTime = NativeMSecsToDateTime(LoadUnaligned<double>(slot));
            // The presence byte alone decides NULL: midnight of 1899-12-30 is a value like any other.
            if (presence != 0)
                statement_->SetColTimeStamp(column, DateTimeToTS(dateTime));
            break;
        }
        default:
            break;
        }
    }
    statement_->SetColNull(column, presence == 0);
}

void TCustomOEDataSet::LoadDeferredBlob(TRecordBuffer buffer, int col)
{
    const Column& c = columns_[static_cast<size_t>(col - 1)];
    std::uint8_t& presence = Presence(buffer, c);
    // The cursor has moved on from the row: the value stays not read (never written back), and
    // reading it raises instead of passing for NULL.
    if (!statement_->BlobDeferral() || cached_)
        throw RIDIZOrurori("Value of column " + statement_->GetColNames()[col - 1] +
                           " was not read: the blob was deferred and the cursor has left its row.");
    InternalSetToRecord(buffer);
    // The cursor may stand elsewhere now than where the window expects it.
    CursorPosChanged();
    const auto column = static_cast<std::uint16_t>(col);
    TMemoryStream* stream = BlobStream(buffer, c);
    if (TMemoryStream* value = statement_->GetColMemory(column)) {
        const std::int64_t position = value->Position();
        stream->LoadFromStream(*value);
        value->SetPosition(position);
    } else {
        stream->Clear();
    }
    presence = statement_->GetColNull(column) ? 0 : 1;
}

// ---- Text slots

std::string_view TCustomOEDataSet::TextValue(TRecordBuffer buffer, const Column& c) const
{
    const std::uint8_t* slot = buffer + c.offset;
    const auto number = LoadUnaligned<std::uint32_t>(slot + c.inlineText + 1);
    if (number != 0 && number <= overflow_.size())
        return overflow_[number - 1];
    const char* text = reinterpret_cast<const char*>(slot);
    return std::string_view(text, strnlen(text, static_cast<size_t>(c.inlineText)));
}

void TCustomOEDataSet::StoreTextValue(TRecordBuffer buffer, const Column& c, const char* text,
                                      std::size_t length)
{
    std::uint8_t* slot = buffer + c.offset;
    length = Utf8Prefix(text, length, static_cast<std::size_t>(c.precision));
    std::uint32_t number = 0;
    if (length <= static_cast<std::size_t>(c.inlineText)) {
        StoreText(slot, static_cast<std::size_t>(c.inlineText), text, length);
    } else {
        std::memset(slot, 0, static_cast<std::size_t>(c.inlineText) + 1);
        overflow_.emplace_back(text, length);
        number = static_cast<std::uint32_t>(overflow_.size());
    }
    StoreUnaligned(slot + c.inlineText + 1, number);
}

// ---- Blob streams

std::unique_ptr<TStream> TCustomOEDataSet::CreateBlobStream(TField* field, TBlobStreamMode mode)
{
    TRecordBuffer record = GetActiveBuffer();
    if (record == nullptr)
        record = ActiveBuffer();
    const int col = field->FieldNo();
    if (record == nullptr || col < 1 || col > static_cast<int>(columns_.size()) ||
        !columns_[static_cast<size_t>(col - 1)].blob)
        return nullptr;
    const Column& c = columns_[static_cast<size_t>(col - 1)];
    if (mode != bmWrite && Presence(record, c) == kUnreadable)
        throw NotReadError(statement_->GetColNames()[col - 1]);
    if (mode != bmWrite && Presence(record, c) == kNotRead)
        LoadDeferredBlob(record, col);
    auto stream = std::make_unique<TOEBlobStream>(*this, record, *field);
    if (mode == bmWrite)
        BlobStream(record, c)->Clear();
    stream->SetPosition(0);
    return stream;
}

TMemoryStream* TCustomOEDataSet::BlobStreamOf(TRecordBuffer record, TField* field)
{
    return BlobStream(record, columns_[static_cast<size_t>(field->FieldNo() - 1)]);
}

void TCustomOEDataSet::SetBlobPresent(TRecordBuffer record, TField* field)
{
    Presence(record, columns_[static_cast<size_t>(field->FieldNo() - 1)]) = 1;
}

void TCustomOEDataSet::AttachBlobStream(TOEBlobStream* stream)
{
    blobStreams_.push_back(stream);
}

void TCustomOEDataSet::DetachBlobStream(TOEBlobStream* stream)
{
    blobStreams_.erase(std::remove(blobStreams_.begin(), blobStreams_.end(), stream), blobStreams_.end());
}

void TCustomOEDataSet::DetachBlobStreams(TRecordBuffer record)
{
    if (blobStreams_.empty())
        return;
    for (TOEBlobStream* stream : blobStreams_)
        if (stream->Record() == record)
            stream->Detach();
    blobStreams_.erase(std::remove_if(blobStreams_.begin(), blobStreams_.end(),
                                      [record](TOEBlobStream* s) { return s->Record() == record; }),
                       blobStreams_.end());
}
