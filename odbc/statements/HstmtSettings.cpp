// THstmt: per-parameter, per-column and per-cell settings, row status and flags, bookmarks.
#include "odbc/statements/Hstmt.h"

#include "odbc/base/OcihText.h"
#include "odbc/driver/Oci.h"
#include "odbc/handles/Henv.h"
#include "odbc/statements/CellNotRead.h"

#include <algorithm>

namespace {

// Bookmarks are a few bytes; room for one whose length the driver does not describe.
constexpr SqlLen kBookmarkCapacity = 64;

// The longest value a text or binary cell holds; other cells are not limited here.
SqlLen Capacity(const TColRec& rec)
{
    if (rec.ColType == SQL_C_CHAR)
        return rec.CellWidth - 1;
    if (rec.ColType == SQL_C_BINARY)
        return rec.CellWidth;
    return -1;
}

} // namespace

TParamRec* THstmt::ParamRec(std::uint16_t param)
{
    for (const auto& rec : params_) {
        if (rec->Param == param)
            return rec.get();
    }
    return nullptr;
}

SqlLen THstmt::GetParamSize(std::uint16_t param)
{
    Log(1, "THstmt.GetParamSize");
    const TParamRec* rec = ParamRec(param);
    if (rec == nullptr || rec->Ind == nullptr)
        return 0;
    const SqlLen ind = rec->Ind[0];
    return ind <= SQL_LEN_DATA_AT_EXEC_OFFSET ? SQL_LEN_DATA_AT_EXEC_OFFSET - ind : ind;
}

void THstmt::SetParamSize(std::uint16_t param, SqlLen size)
{
    Log(1, "THstmt.SetParamSize");
    TParamRec* rec = ParamRec(param);
    if (rec == nullptr || rec->Ind == nullptr)
        return;
    rec->Ind[0] = rec->Ind[0] <= SQL_LEN_DATA_AT_EXEC_OFFSET && size >= 0 ? SQL_LEN_DATA_AT_EXEC(size) : size;
}

SqlLen THstmt::GetBulkParamSize(std::uint16_t param, SqlULen row)
{
    const TParamRec* rec = ParamRec(param);
    if (rec == nullptr || row == 0 || row > rec->Count || rec->Ind == nullptr)
        return 0;
    return rec->Ind[row - 1];
}

void THstmt::SetBulkParamSize(std::uint16_t param, SqlULen row, SqlLen size)
{
    TParamRec* rec = ParamRec(param);
    if (rec == nullptr || row == 0 || row > rec->Count || rec->Ind == nullptr)
        return;
    rec->Ind[row - 1] = size;
}

SqlULen THstmt::GetParamPrecision(std::uint16_t param)
{
    const TParamRec* rec = ParamRec(param);
    return rec != nullptr ? rec->ColumnSize : 0;
}

std::int16_t THstmt::GetParamScale(std::uint16_t param)
{
    const TParamRec* rec = ParamRec(param);
    return rec != nullptr ? rec->DecimalDigits : std::int16_t{0};
}

std::int16_t THstmt::GetParamNullable(std::uint16_t param)
{
    const TParamRec* rec = ParamRec(param);
    return rec != nullptr ? rec->Nullable : std::int16_t{SQL_NULLABLE_UNKNOWN};
}

SqlLen THstmt::GetCellSize(std::uint16_t col, SqlULen row)
{
    const TColRec* rec = ColRec(col);
    if (rec == nullptr)
        return 0;
    if (rec->IsBlob)
        return rec->Ind[0] < 0 ? rec->Ind[0] : rec->Blob->Size();
    if (row == 0 || row > rowSetSize_)
        return 0;
    return rec->Ind[row - 1];
}

void THstmt::SetCellSize(std::uint16_t col, SqlULen row, SqlLen size)
{
    TColRec* rec = ColRec(col);
    if (rec == nullptr)
        return;
    if (rec->IsBlob) {
        if (size >= 0)
            rec->Blob->SetSize(size);
        // A NULL set by the program is an edit too (written back, never read over).
        if (size >= 0 || size == SQL_NULL_DATA)
            rec->BlobEdited = true;
        rec->Ind[0] = size;
        return;
    }
    if (row == 0 || row > rowSetSize_)
        return;
    KeepFetchedCell(*rec, row);
    // A length beyond the cell (the full length of a value the driver cut) never becomes one the
    // driver would read past the cell with.
    const SqlLen capacity = Capacity(*rec);
    if (capacity >= 0 && size > capacity)
        size = capacity;
    rec->Ind[row - 1] = size;
}

bool THstmt::GetCellNull(std::uint16_t col, SqlULen row)
{
    return ColRec(col) != nullptr && GetCellSize(col, row) == SQL_NULL_DATA;
}

bool THstmt::GetCellNotRead(std::uint16_t col, SqlULen row)
{
    const TColRec* rec = ColRec(col);
    return rec != nullptr && rec->Bound && (rec->ColType == SQL_C_CHAR || rec->ColType == SQL_C_BINARY) &&
           row >= 1 && row <= rowSetSize_ && rec->Ind[row - 1] == kCellNotRead;
}

void THstmt::SetCellNull(std::uint16_t col, SqlULen row, bool value)
{
    if (value)
        SetCellSize(col, row, SQL_NULL_DATA);
}

bool THstmt::GetCellIgnore(std::uint16_t col, SqlULen row)
{
    return ColRec(col) != nullptr && GetCellSize(col, row) == SQL_COLUMN_IGNORE;
}

void THstmt::SetCellIgnore(std::uint16_t col, SqlULen row, bool value)
{
    if (value)
        SetCellSize(col, row, SQL_COLUMN_IGNORE);
}

void THstmt::SetColIgnore(std::uint16_t col, bool value)
{
    TColRec* rec = ColRec(col);
    if (rec == nullptr)
        return;
    if (value)
        SetColSize(col, SQL_COLUMN_IGNORE);
    rec->Ignore = value;
}

TFormatStyle THstmt::GetFormatStyle(std::uint16_t col)
{
    const TColRec* rec = ColRec(col);
    return rec != nullptr ? rec->FormatStyle : fsNone;
}

void THstmt::SetFormatStyle(std::uint16_t col, TFormatStyle style)
{
    if (TColRec* rec = ColRec(col)) {
        rec->FormatStyle = style;
        UpdateView(col);
    }
}

std::string THstmt::GetFormatMask(std::uint16_t col)
{
    const TColRec* rec = ColRec(col);
    return rec != nullptr ? rec->FormatMask : std::string();
}

void THstmt::SetFormatMask(std::uint16_t col, const std::string& mask)
{
    if (TColRec* rec = ColRec(col))
        rec->FormatMask = mask;
}

bool THstmt::GetColPrimary(std::uint16_t col)
{
    const TColRec* rec = ColRec(col);
    return rec != nullptr && rec->Primary;
}

void THstmt::SetColPrimary(std::uint16_t col, bool value)
{
    if (TColRec* rec = ColRec(col))
        rec->Primary = value;
}

SqlULen THstmt::GetColPrecision(std::uint16_t col)
{
    const TColRec* rec = ColRec(col);
    return rec != nullptr ? rec->ColumnSize : 0;
}

std::int16_t THstmt::GetColScale(std::uint16_t col)
{
    const TColRec* rec = ColRec(col);
    return rec != nullptr ? rec->DecimalDigits : std::int16_t{0};
}

std::int16_t THstmt::GetColNullable(std::uint16_t col)
{
    const TColRec* rec = ColRec(col);
    return rec != nullptr ? rec->Nullable : std::int16_t{SQL_NULLABLE_UNKNOWN};
}

std::uint16_t THstmt::GetRowStatus(SqlULen row) const
{
    if (row == 0 || row > rowSetSize_ || row > rowStatus_.size())
        return SQL_ROW_NOROW;
    return rowStatus_[row - 1];
}

bool THstmt::GetRowValid(SqlULen row) const
{
    switch (GetRowStatus(row)) {
    case SQL_ROW_SUCCESS:
    case SQL_ROW_UPDATED:
    case SQL_ROW_ADDED:
    case SQL_ROW_SUCCESS_WITH_INFO:
        return true;
    default:
        return false;
    }
}

std::uint16_t THstmt::GetRowFlag(SqlULen row) const
{
    if (row == 0 || row > rowSetSize_ || row > rowFlags_.size())
        return 0;
    return rowFlags_[row - 1] & 0x000F;
}

void THstmt::SetRowFlag(SqlULen row, std::uint16_t flags)
{
    if (row == 0 || row > rowSetSize_ || row > rowFlags_.size())
        return;
    rowFlagsSet_ = true;
    std::uint16_t& entry = rowFlags_[row - 1];
    entry = static_cast<std::uint16_t>((entry & 0xFFF0) | (flags & 0x000F));
}

std::uint16_t* THstmt::RowFlags(SqlULen row)
{
    Log(1, "THstmt.RowFlags");
    if (row == 0 || row > rowSetSize_ || row > rowFlags_.size())
        return nullptr;
    rowFlagsSet_ = true; // the caller may write through the address
    return &rowFlags_[row - 1];
}

std::vector<std::uint8_t> THstmt::GetBookmark()
{
    Log(1, "THstmt.GetBookmark");
    RunningCall running;
    if ((cursorAttributes_ & SQL_CA1_BOOKMARK) == 0 || !GetRowValid(1))
        return {};
    if (bindBookmarks_ && !bookmarks_.empty()) {
        const SqlLen capacity = static_cast<SqlLen>(bookmarks_.size() / rowSetSize_);
        const SqlLen length = bookmarkInd_[0] > 0 ? std::min(bookmarkInd_[0], capacity) : bookmarkLength_;
        return {bookmarks_.begin(), bookmarks_.begin() + length};
    }
    // Row 1 of a rowset of several rows can only be read where the cursor goes to that row.
    if (rowSetSize_ > 1 && (cursorAttributes_ & SQL_CA1_POS_POSITION) == 0)
        return {};
    if (!Init())
        return {};
    const SQLRETURN positioned = Oci::SQLSetPos(handle_, 1, SQL_POSITION, SQL_LOCK_NO_CHANGE);
    SetRetCode(positioned);
    if (!GlobalHenv().Error().Success(positioned))
        return {};
    std::vector<std::uint8_t> bookmark(
        static_cast<std::size_t>(std::max(bookmarkLength_, kBookmarkCapacity)));
    SQLLEN length = 0;
    const SQLRETURN read = Oci::SQLGetData(handle_, 0, SQL_C_VARBOOKMARK, bookmark.data(),
                                           static_cast<SQLLEN>(bookmark.size()), &length);
    SetRetCode(read);
    if (!GlobalHenv().Error().Success(read)) {
        // NOTE: under the driver manager's cursor library (CursorLib 1, as the program's connection
        // has it) the bookmark column cannot be read (HY003 on SQLite, on mdbtools the driver
        // manager refuses SQLGetData on its forward-only cursor): the cursor has no bookmarks.
        cursorAttributes_ &= ~static_cast<std::uint32_t>(SQL_CA1_BOOKMARK);
        return {};
    }
    if (length <= 0)
        return {};
    if (length > static_cast<SQLLEN>(bookmark.size()))
        throw RIDIZOrurori("Unable to retrieve bookmark.");
    bookmark.resize(static_cast<std::size_t>(length));
    // Measured where the driver could not describe the bookmark column.
    if (bookmarkLength_ <= 0)
        bookmarkLength_ = length;
    return bookmark;
}
