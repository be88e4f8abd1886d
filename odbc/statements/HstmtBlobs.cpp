// THstmt: long columns (blobs) read through SQLGetData in pieces of BlobSize bytes.
#include "odbc/statements/Hstmt.h"

#include "odbc/driver/Oci.h"
#include "odbc/handles/OdbcError.h"
#include "odbc/statements/CellNotRead.h"
#include "odbc/statements/NarrowLength.h"

#include <algorithm>
#include <cstring>

namespace {

// SQL_NO_DATA from a re-read means the driver has nothing more for this row: the stream keeps
// what it held.
template <class Read> SqlLen SwallowNoData(SqlLen current, Read read)
{
    try {
        return read();
    } catch (const EODBC& e) {
        if (e.RetCode() != SQL_NO_DATA)
            throw;
        return current;
    }
}

// A value of one piece becomes the memory stream's whole content, the position at its end, in the
// room the stream has: row after row of short values then allocates nothing. The room is reused
// only while the stream holds at most a piece, so a long value's room is not kept.
bool PutOnePiece(TMemoryStream& memory, const std::uint8_t* bytes, SqlLen size, SqlLen pieceSize)
{
    if (size <= 0 || size > pieceSize || memory.Size() > pieceSize)
        return false;
    memory.SetSize(size);
    std::memcpy(memory.Memory(), bytes, static_cast<std::size_t>(size));
    memory.SetPosition(size);
    return true;
}

} // namespace

SqlLen THstmt::FetchCol(std::uint16_t col, SqlULen row, std::int16_t colType, TStream& stream)
{
    RunningCall running;
    if (!GetRowValid(row))
        return SQL_NULL_DATA;
    // Reading into the column's own stream: the stream then holds that row's value.
    TColRec* own = col >= 1 && col <= cols_.size() && &stream == cols_[col - 1]->Blob.get()
                       ? cols_[col - 1].get()
                       : nullptr;
    const auto loaded = [&](SqlLen total) {
        if (own != nullptr)
            own->BlobRow = row;
        return total;
    };
    const SqlLen pieceSize = blobSize_;
    const SqlLen extra = colType == SQL_C_CHAR ? 1 : 0;
    // One work buffer for every read, kept: a fresh one per row costs more than the row itself.
    std::vector<std::uint8_t>& buffer = blobPiece_;
    if (buffer.size() < static_cast<std::size_t>(pieceSize + 1))
        buffer.resize(static_cast<std::size_t>(pieceSize + 1));

    SQLLEN total = 0;
    const SQLRETURN first = Oci::SQLGetData(handle_, col, colType, buffer.data(), pieceSize + extra, &total);
    SetRetCode(first);
    // NOTE: a value read once already gives SQL_NO_DATA on most drivers; what was read stays.
    if (first == SQL_NO_DATA)
        return GetCellSize(col, row);
    total = NarrowLength(total);
    // SQL_SUCCESS passes every checkpoint; only other codes go through it.
    if (first == SQL_SUCCESS ? !initialized_ : !Check(first))
        return SQL_NULL_DATA;
    const std::int16_t firstRc = RetCode();
    if (auto* memory = own != nullptr ? own->Blob.get() : dynamic_cast<TMemoryStream*>(&stream)) {
        if (PutOnePiece(*memory, buffer.data(), total, pieceSize))
            return loaded(total);
        memory->Clear();
    }
    if (total == SQL_NO_TOTAL) {
        stream.WriteBuffer(buffer.data(), pieceSize);
        throw RIDIZOrurori("Unable to retrieve blob.  You may have to increase the BlobSize property.");
    }
    if (total > 0)
        stream.WriteBuffer(buffer.data(), std::min<SqlLen>(pieceSize, total));
    if (total == SQL_NULL_DATA || firstRc != SQL_SUCCESS_WITH_INFO)
        return loaded(total);

    // The rest in pieces; the loop ends when the announced total is in, whatever the driver says.
    SqlLen offset = pieceSize;
    std::int16_t rc = firstRc;
    while (rc == SQL_SUCCESS_WITH_INFO && offset < total) {
        const SqlLen piece = std::min(pieceSize, total - offset);
        SQLLEN remaining = 0;
        rc = Oci::SQLGetData(handle_, col, colType, buffer.data(), piece + extra, &remaining);
        SetRetCode(rc);
        if (rc == SQL_NO_DATA)
            break;
        if (!Check(rc))
            return total;
        stream.WriteBuffer(buffer.data(), piece);
        offset += piece;
    }
    return loaded(total);
}

SqlLen THstmt::FetchCell(std::uint16_t col, SqlULen row, std::int16_t colType, TStream& stream)
{
    RunningCall running;
    const SqlLen current = GetCellSize(col, row);
    if (const TColRec* rec = ColRec(col); rec != nullptr && rec->LongInCells) {
        CopyLongCell(*rec, row, stream);
        return current;
    }
    if (rowSetSize_ > 1) {
        if (!rowsPositionable_ || rowByRow_)
            return current;
        if (!GetRowValid(row))
            return SQL_NULL_DATA;
        if (!Check(Oci::SQLSetPos(handle_, row, SQL_POSITION, SQL_LOCK_NO_CHANGE)))
            return current;
    }
    return SwallowNoData(current, [&] { return FetchCol(col, row, colType, stream); });
}

void THstmt::ReadBlobsOfRow()
{
    for (std::size_t i = 0; i < cols_.size() && initialized_; ++i) {
        TColRec& rec = *cols_[i];
        if (!rec.IsBlob)
            continue;
        if (blobDeferral_) {
            rec.Ind[0] = SQL_NULL_DATA;
            rec.Blob->Clear();
        } else {
            rec.Ind[0] = FetchCol(static_cast<std::uint16_t>(i + 1), 1, rec.ColType, *rec.Blob);
        }
    }
}

void THstmt::CopyLongCell(const TColRec& rec, SqlULen row, TStream& stream) const
{
    if (auto* memory = dynamic_cast<TMemoryStream*>(&stream))
        memory->Clear();
    if (row == 0 || row > rowSetSize_)
        return;
    if (rec.Ind[row - 1] == kCellNotRead)
        throw NotReadError(rec.Name);
    const SqlLen size =
        std::min(rec.Ind[row - 1], rec.ColType == SQL_C_CHAR ? rec.CellWidth - 1 : rec.CellWidth);
    if (size > 0)
        stream.WriteBuffer(RowOffset(rec.Value, row, rec.CellWidth), size);
    if (auto* memory = dynamic_cast<TMemoryStream*>(&stream))
        memory->SetPosition(0);
}

void THstmt::ColStream(std::uint16_t col, TStream& stream)
{
    RunningCall running;
    TColRec* rec = ColRec(col);
    if (rec != nullptr && rec->LongInCells) {
        CopyLongCell(*rec, 1, stream);
        return;
    }
    if (rec == nullptr || !rec->IsBlob)
        return;
    // A deferred value is read once for its row: the driver gives nothing more for it after that.
    if (blobDeferral_ && !rec->BlobEdited && !(rowSetSize_ == 1 && rec->BlobRow == 1)) {
        rec->Ind[0] = SwallowNoData(rec->Ind[0], [&] { return FetchCol(col, 1, rec->ColType, *rec->Blob); });
    }
    if (&stream == rec->Blob.get())
        return;
    if (auto* memory = dynamic_cast<TMemoryStream*>(&stream))
        memory->Clear();
    rec->Blob->SetPosition(0);
    if (rec->Blob->Size() > 0)
        stream.CopyFrom(*rec->Blob, rec->Blob->Size());
    rec->Blob->SetPosition(0);
}

void THstmt::CellStream(std::uint16_t col, SqlULen row, TStream& stream)
{
    RunningCall running;
    TColRec* rec = ColRec(col);
    if (rec != nullptr && rec->LongInCells) {
        CopyLongCell(*rec, row, stream);
        return;
    }
    if (rec == nullptr || !rec->IsBlob)
        return;
    // A one-row rowset's value goes through the column's stream, which holds it once read (with
    // the row, or deferred): the driver would give nothing more for a second read.
    if (rec->BlobEdited || (rowSetSize_ == 1 && row == 1)) {
        ColStream(col, stream);
        return;
    }
    rec->Ind[0] = FetchCell(col, row, rec->ColType, stream);
}
