// THstmt: describing and binding the result columns column-wise, and fetching rowsets.
#include "odbc/statements/Hstmt.h"

#include "odbc/base/OcihText.h"
#include "odbc/driver/Oci.h"
#include "odbc/handles/Hdbc.h"
#include "odbc/handles/Henv.h"
#include "odbc/statements/CellNotRead.h"
#include "odbc/statements/NarrowLength.h"

#include <algorithm>
#include <cstring>

namespace {

// The text slot of a column whose size the driver does not tell.
constexpr SqlULen kUnknownTextSize = 255;
// Room for a bookmark when the driver cannot describe the bookmark column; bookmarks are a few bytes.
constexpr SqlLen kBookmarkCapacity = 64;
// NUMERIC and DECIMAL up to this many digits fit a double; wider ones are read as text.
constexpr SqlULen kDoubleDigits = 15;
// The first room of a long column's cells in a rowset of several rows; a longer value widens it.
constexpr SqlLen kLongCellRoom = 1024;

bool IsTextOrBinary(std::int16_t cType)
{
    return cType == SQL_C_CHAR || cType == SQL_C_BINARY;
}

// The longest value a text or binary cell holds (its width less the zero byte of text).
SqlLen CellCapacity(const TColRec& rec)
{
    return rec.ColType == SQL_C_CHAR ? rec.CellWidth - 1 : rec.CellWidth;
}

// The type a column is read as: wide text as narrow text, and the ODBC 2 date and time codes that
// some drivers still report as the ODBC 3 ones.
std::int16_t ReadAsType(std::int16_t sqlType)
{
    switch (sqlType) {
    case SQL_WLONGVARCHAR:
        return SQL_LONGVARCHAR;
    case SQL_WVARCHAR:
        return SQL_VARCHAR;
    case SQL_WCHAR:
        return SQL_CHAR;
    case SQL_DATE:
        return SQL_TYPE_DATE;
    case SQL_TIME:
        return SQL_TYPE_TIME;
    case SQL_TIMESTAMP:
        return SQL_TYPE_TIMESTAMP;
    default:
        return sqlType;
    }
}

// A column attribute read quietly: a driver that cannot answer leaves the default, 0.
SQLLEN QuietColAttr(void* handle, std::uint16_t col, std::uint16_t field)
{
    SQLLEN value = 0;
    const SQLRETURN rc = Oci::SQLColAttribute(handle, col, field, nullptr, 0, nullptr, &value);
    return GlobalHenv().Error().Success(rc) ? value : 0;
}

// A text cell holds the value's bytes: room for four UTF-8 bytes per character, or the octet
// length when the driver tells a larger one (SQLite tells the declared size, in characters).
SqlLen TextWidth(void* handle, std::uint16_t col, SqlULen characters)
{
    if (characters == 0)
        characters = kUnknownTextSize;
    const SQLLEN octets = QuietColAttr(handle, col, SQL_DESC_OCTET_LENGTH);
    const SqlULen bytes = std::max(octets > 0 ? static_cast<SqlULen>(octets) : SqlULen{0}, characters * 4);
    return static_cast<SqlLen>(bytes) + 1;
}

// How a column's values are held: the C type it is bound as, the width of a cell (0 for a long
// column, read apart) and whether an integer column is unsigned.
struct ColumnCell
{
    std::int16_t cType = SQL_C_BINARY;
    SqlLen width = 0;
    bool isUnsigned = false;
};

ColumnCell CellFor(void* handle, std::uint16_t col, std::int16_t sqlType, SqlULen size)
{
    ColumnCell cell;
    const auto isUnsigned = [&] { return QuietColAttr(handle, col, SQL_DESC_UNSIGNED) != 0; };
    switch (sqlType) {
    case SQL_CHAR:
    case SQL_VARCHAR:
        cell.cType = SQL_C_CHAR;
        cell.width = TextWidth(handle, col, size);
        break;
    case SQL_LONGVARCHAR:
        cell.cType = SQL_C_CHAR;
        break;
    case SQL_BINARY:
    case SQL_VARBINARY:
        cell.cType = SQL_C_BINARY;
        cell.width = static_cast<SqlLen>(size == 0 ? kUnknownTextSize : size);
        break;
    case SQL_LONGVARBINARY:
        cell.cType = SQL_C_BINARY;
        break;
    case SQL_REAL:
        cell.cType = SQL_C_FLOAT;
        break;
    case SQL_FLOAT:
    case SQL_DOUBLE:
        cell.cType = SQL_C_DOUBLE;
        break;
    case SQL_NUMERIC:
    case SQL_DECIMAL:
        if (size <= kDoubleDigits) {
            cell.cType = SQL_C_DOUBLE;
        } else {
            // More digits than a double keeps: the exact text (sign, point and zero byte besides).
            cell.cType = SQL_C_CHAR;
            cell.width = static_cast<SqlLen>(size) + 3;
        }
        break;
    case SQL_BIT:
        cell.cType = SQL_C_BIT;
        break;
    case SQL_TINYINT:
        cell.isUnsigned = isUnsigned();
        cell.cType = cell.isUnsigned ? SQL_C_UTINYINT : SQL_C_STINYINT;
        break;
    case SQL_SMALLINT:
        cell.isUnsigned = isUnsigned();
        cell.cType = cell.isUnsigned ? SQL_C_USHORT : SQL_C_SSHORT;
        break;
    case SQL_INTEGER:
        cell.isUnsigned = isUnsigned();
        cell.cType = cell.isUnsigned ? SQL_C_ULONG : SQL_C_SLONG;
        break;
    case SQL_BIGINT:
        cell.isUnsigned = isUnsigned();
        cell.cType = cell.isUnsigned ? SQL_C_UBIGINT : SQL_C_SBIGINT;
        break;
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME:
    case SQL_TYPE_TIMESTAMP:
        cell.cType = sqlType;
        break;
    default:
        // A type the library has no buffer for (GUID, intervals, a driver's own): read as its text.
        cell.cType = SQL_C_CHAR;
        cell.width = TextWidth(handle, col, size);
        break;
    }
    if (cell.width == 0 && !IsTextOrBinary(cell.cType))
        cell.width = PhysSize(cell.cType);
    return cell;
}

} // namespace

SqlLen THstmt::ColAttrInteger(std::uint16_t col, std::uint16_t fieldIdentifier)
{
    RunningCall running;
    if (!Init())
        return 0;
    SQLLEN value = 0;
    Check(Oci::SQLColAttribute(handle_, col, fieldIdentifier, nullptr, 0, nullptr, &value));
    return value;
}

std::string THstmt::ColAttrString(std::uint16_t col, std::uint16_t fieldIdentifier)
{
    RunningCall running;
    if (!Init())
        return {};
    std::string text(256, '\0');
    SQLSMALLINT length = 0;
    if (!Check(Oci::SQLColAttribute(handle_, col, fieldIdentifier, text.data(),
                                    static_cast<SQLSMALLINT>(text.size()), &length, nullptr)))
        return {};
    if (length >= static_cast<SQLSMALLINT>(text.size())) {
        text.assign(static_cast<std::size_t>(length) + 1, '\0');
        if (!Check(Oci::SQLColAttribute(handle_, col, fieldIdentifier, text.data(),
                                        static_cast<SQLSMALLINT>(text.size()), &length, nullptr)))
            return {};
    }
    text.resize(std::strlen(text.c_str()));
    return text;
}

void THstmt::BindCol(std::uint16_t col, std::int16_t sqlType)
{
    for (TColBindRec& rec : colBinds_) {
        if (rec.Col == col) {
            rec.SqlType = sqlType;
            return;
        }
    }
    InsertColBind(col, sqlType);
}

TColBindRec* THstmt::ColBindRec(std::uint16_t col)
{
    for (TColBindRec& rec : colBinds_) {
        if (rec.Col == col)
            return &rec;
    }
    return nullptr;
}

// What the driver tells of a result column.
struct THstmt::ColumnDescription
{
    std::string name;
    SQLSMALLINT sqlType = 0;
    SQLULEN size = 0;
    SQLSMALLINT digits = 0;
    SQLSMALLINT nullable = SQL_NULLABLE_UNKNOWN;
};

bool THstmt::ReadColumnDescription(std::uint16_t col, ColumnDescription& described)
{
    std::string& name = described.name;
    name.assign(256, '\0');
    SQLSMALLINT nameLength = 0;
    const auto describe = [&] {
        return Check(Oci::SQLDescribeCol(
            handle_, col, reinterpret_cast<SQLCHAR*>(name.data()), static_cast<SQLSMALLINT>(name.size()),
            &nameLength, &described.sqlType, &described.size, &described.digits, &described.nullable));
    };
    if (!describe())
        return false;
    if (nameLength >= static_cast<SQLSMALLINT>(name.size())) {
        name.assign(static_cast<std::size_t>(nameLength) + 1, '\0');
        if (!describe())
            return false;
    }
    name.resize(std::strlen(name.c_str()));
    return true;
}

void THstmt::DescribeColumn(std::uint16_t col)
{
    ColumnDescription described;
    if (!ReadColumnDescription(col, described))
        return;
    colNames_.Add(described.name);

    std::int16_t sqlType = described.sqlType;
    if (const TColBindRec* chosen = ColBindRec(col))
        sqlType = chosen->SqlType;
    sqlType = ReadAsType(sqlType);
    const ColumnCell cell = CellFor(handle_, col, sqlType, described.size);

    TColRec& rec = InsertTail(cell.cType, sqlType);
    rec.Name = described.name;
    rec.ColumnSize = described.size;
    rec.DecimalDigits = described.digits;
    rec.Nullable = described.nullable;
    rec.Unsigned = cell.isUnsigned;
    AllocateColumnCells(col, rec, cell.width);
}

void THstmt::AllocateColumnCells(std::uint16_t col, TColRec& rec, SqlLen width)
{
    if (rec.IsBlob && rowSetSize_ == 1) {
        fetchBlobs_ = true;
        ++blobCols_;
        return;
    }
    if (rec.IsBlob) {
        // Every row of a rowset of several rows has its own value: bound in cells like text.
        rec.IsBlob = false;
        rec.LongInCells = true;
        width = kLongCellRoom + (rec.ColType == SQL_C_CHAR ? 1 : 0);
    }
    rec.CellWidth = width;
    // Rowsets fetched row by row come into one extra cell at the end, then are copied into place.
    const SqlULen cells = rowSetSize_ + (rowByRow_ ? 1 : 0);
    rec.Buffer.assign(cells * static_cast<SqlULen>(width), 0);
    rec.Value = rec.Buffer.data();
    rec.Indicators.assign(cells, 0);
    rec.Indicators[0] = SQL_NULL_DATA;
    rec.Ind = rec.Indicators.data();
    BindColumnBuffer(col, rec);
}

void THstmt::BindColumnBuffer(std::uint16_t col, TColRec& rec)
{
    const SqlULen target = rowByRow_ ? rowSetSize_ : 0;
    void* cell = RowOffset(rec.Value, target + 1, rec.CellWidth);
    const SQLLEN length = IsTextOrBinary(rec.ColType) ? rec.CellWidth : 0;
    rec.Bound = Check(Oci::SQLBindCol(handle_, col, rec.ColType, cell, length, rec.Ind + target));
}

void THstmt::BindCols()
{
    Log(1, "THstmt.BindCols");
    if (colsBound_)
        return;
    RunningCall running;
    if (!Init())
        return;
    SQLSMALLINT count = 0;
    if (!Check(Oci::SQLNumResultCols(handle_, &count)))
        return;
    // A column that cannot be described leaves no half-built column list behind: the next access
    // describes them all again.
    const auto forget = [this] {
        if (initialized_)
            Oci::SQLFreeStmt(handle_, SQL_UNBIND);
        cols_.clear();
        views_.clear();
        colNames_.Clear();
        numCols_ = 0;
        fetchBlobs_ = false;
        blobCols_ = 0;
    };
    numCols_ = count;
    ChooseRowFetching();
    if (!initialized_)
        return;
    cols_.reserve(static_cast<std::size_t>(count));
    try {
        for (std::uint16_t c = 1; c <= static_cast<std::uint16_t>(count); ++c) {
            DescribeColumn(c);
            if (!initialized_ || cols_.size() != c) {
                forget();
                return;
            }
        }
    } catch (...) {
        forget();
        throw;
    }
    rowStatus_.assign(rowSetSize_, SQL_ROW_NOROW);
    rowFlags_.assign(rowSetSize_, 0);

    if ((cursorAttributes_ & SQL_CA1_BOOKMARK) != 0) {
        // NOTE: SQLite cannot describe the bookmark column (07009); its length is then measured from
        // the first bookmark read instead of stopping every statement on such a cursor.
        SQLLEN octets = 0;
        const SQLRETURN rc =
            Oci::SQLColAttribute(handle_, 0, SQL_DESC_OCTET_LENGTH, nullptr, 0, nullptr, &octets);
        bookmarkLength_ = GlobalHenv().Error().Success(rc) && octets > 0 ? octets : 0;
    }
    if (bindBookmarks_) {
        const SqlLen capacity = bookmarkLength_ > 0 ? bookmarkLength_ : kBookmarkCapacity;
        bookmarks_.assign(rowSetSize_ * static_cast<SqlULen>(capacity), 0);
        bookmarkInd_.assign(rowSetSize_, 0);
        if (!Check(Oci::SQLBindCol(handle_, 0, SQL_C_VARBOOKMARK, bookmarks_.data(), capacity,
                                   bookmarkInd_.data())))
            return;
    }
    if (fetchBlobs_ && rowSetSize_ > 1)
        fetchBlobs_ = false;
    views_.assign(cols_.size(), CellView{});
    for (std::size_t c = 1; c <= cols_.size(); ++c)
        UpdateView(static_cast<std::uint16_t>(c));
    // Row by row, the driver's status of each one-row fetch would land on row 1's entry.
    rowStatusByDriver_ = SetStmtAttr(SQL_ATTR_ROW_STATUS_PTR,
                                     rowByRow_ ? 0 : reinterpret_cast<SqlULen>(rowStatus_.data()), true) &&
                         !rowByRow_;
    colsBound_ = true;
}

bool THstmt::RowsetRowsPositionable()
{
    if ((cursorAttributes_ & SQL_CA1_POS_POSITION) != 0)
        return true;
    if (rowsetPositioningUnreliable_ || hdbc_ == nullptr)
        return false;
    // SQL_GD_BLOCK: SQLGetData reads any row of a rowset once SQLSetPos has positioned on it. NOTE:
    // psqlODBC's forward-only cursor does this though its cursor attributes offer no SQL_POSITION.
    return (static_cast<std::uint32_t>(hdbc_->GetInfoInteger(SQL_GETDATA_EXTENSIONS)) & SQL_GD_BLOCK) != 0;
}

void THstmt::ChooseRowFetching()
{
    // A value longer than its cell is read again on its row. Where no row of a rowset can be
    // positioned on (SQLite), a forward-only cursor's rowset of several rows comes a row at a time,
    // each row read again while the cursor is on it; so does every rowset of a driver that cannot
    // fetch arrays. A scrolling cursor's rowsets stay whole (a row at a time would change where
    // PRIOR, RELATIVE and LAST land); a value cut there is not read.
    rowsPositionable_ = rowSetSize_ == 1 || (rowArrayByDriver_ && RowsetRowsPositionable());
    rowByRow_ = rowSetSize_ > 1 &&
                (!rowArrayByDriver_ || (!rowsPositionable_ && cursorType_ == SQL_CURSOR_FORWARD_ONLY));
    if (!rowArrayByDriver_ || rowSetSize_ == 1)
        return;
    const SqlULen wanted = rowByRow_ ? 1 : rowSetSize_;
    SqlULen current = 0;
    if (!GetStmtAttr(SQL_ATTR_ROW_ARRAY_SIZE, current) || current != wanted)
        SetStmtAttr(SQL_ATTR_ROW_ARRAY_SIZE, wanted);
    if (rowByRow_) {
        // No row of the rowset is the cursor's to write through either.
        cursorAttributes_ &= ~std::uint32_t{SQL_CA1_POS_POSITION | SQL_CA1_POS_UPDATE | SQL_CA1_POS_DELETE |
                                            SQL_CA1_POS_REFRESH | SQL_CA1_BULK_ADD};
    }
}

std::int16_t THstmt::FetchOne(std::int16_t orientation, SqlLen offset)
{
    if (orientation == SQL_FETCH_NEXT && nextBySQLFetch_)
        return Oci::SQLFetch(handle_);
    return Oci::SQLFetchScroll(handle_, orientation, offset);
}

std::int16_t THstmt::FetchRowset(std::int16_t orientation, SqlLen offset)
{
    if (!rowByRow_) {
        if (!rowStatusByDriver_ || !rowsFetchedByDriver_)
            std::fill(rowStatus_.begin(), rowStatus_.end(), static_cast<std::uint16_t>(SQL_ROW_NOROW));
        SqlLen* probe = LengthProbe(0);
        const std::int16_t rc = FetchOne(orientation, offset);
        if (rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO) {
            LearnLengthWidth(probe);
            if (narrowLengths_)
                NarrowIndicators(0, rowSetSize_);
            if (!rowsFetchedByDriver_)
                rowsFetched_ = rowStatusByDriver_ ? static_cast<SqlULen>(std::count_if(
                                                        rowStatus_.begin(), rowStatus_.end(),
                                                        [](std::uint16_t s) { return s != SQL_ROW_NOROW; }))
                                                  : rowSetSize_;
            if (!rowStatusByDriver_) {
                for (SqlULen r = 0; r < rowsFetched_; ++r)
                    rowStatus_[r] = rc == SQL_SUCCESS_WITH_INFO ? SQL_ROW_SUCCESS_WITH_INFO : SQL_ROW_SUCCESS;
            }
        }
        LearnLengthWidth(probe);
        return rc;
    }

    // One row at a time into the extra cell, each row copied to its place.
    std::fill(rowStatus_.begin(), rowStatus_.end(), static_cast<std::uint16_t>(SQL_ROW_NOROW));

    std::int16_t result = SQL_NO_DATA;
    SqlULen rows = 0;
    for (SqlULen r = 1; r <= rowSetSize_; ++r) {
        SqlLen* probe = LengthProbe(rowSetSize_);
        const std::int16_t rc = r == 1 ? FetchOne(orientation, offset) : FetchOne(SQL_FETCH_NEXT, 0);
        LearnLengthWidth(probe);
        if (rc == SQL_NO_DATA) {
            atEnd_ = true;
            break;
        }
        if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) {
            if (rows == 0)
                return rc;
            // The rows before stay; the failed one is marked as such.
            rowStatus_[r - 1] = SQL_ROW_ERROR;
            result = SQL_SUCCESS_WITH_INFO;
            ++rows;
            break;
        }
        if (narrowLengths_)
            NarrowIndicators(rowSetSize_, rowSetSize_ + 1);
        if (rc == SQL_SUCCESS_WITH_INFO)
            RereadTruncated(rowSetSize_ + 1, true);
        for (const CellView& view : views_) {
            if (!view.bound)
                continue;
            // The bytes the value takes (and a text's zero byte), not the whole of a wide cell.
            const SqlLen ind = view.ind[rowSetSize_];
            SqlLen used = view.width;
            if (IsTextOrBinary(view.cType))
                used = ind < 0 ? 0 : std::min(view.width, ind + (view.cType == SQL_C_CHAR ? 1 : 0));
            std::memcpy(view.value + (r - 1) * view.width, view.value + rowSetSize_ * view.width,
                        static_cast<std::size_t>(used));
            view.ind[r - 1] = ind;
        }
        rowStatus_[r - 1] = rc == SQL_SUCCESS_WITH_INFO ? SQL_ROW_SUCCESS_WITH_INFO : SQL_ROW_SUCCESS;
        if (result != SQL_SUCCESS_WITH_INFO)
            result = rc;
        ++rows;
    }
    rowsFetched_ = rows;
    return result;
}

SqlLen* THstmt::LengthProbe(SqlULen entry)
{
    if (lengthWidthKnown_)
        return nullptr;
    for (const auto& rec : cols_) {
        if (rec->Bound) {
            rec->Ind[entry] = kLengthProbe;
            return &rec->Ind[entry];
        }
    }
    return nullptr;
}

void THstmt::LearnLengthWidth(SqlLen* probe)
{
    if (probe == nullptr)
        return;
    const SqlLen written = *probe;
    if (written == kLengthProbe) {
        // Nothing written (no row came): still unknown, and the entry is no value.
        *probe = SQL_NULL_DATA;
        return;
    }
    // A driver that writes its indicators 32 bits wide (DriverTraits.h) leaves the probe's high half.
    narrowLengths_ = (static_cast<SqlULen>(written) >> 32) == (static_cast<SqlULen>(kLengthProbe) >> 32);
    lengthWidthKnown_ = true;
    if (narrowLengths_ && hdbc_ != nullptr)
        hdbc_->LearnNarrowIndicators();
}

void THstmt::NarrowIndicators(SqlULen first, SqlULen last)
{
    for (const auto& rec : cols_) {
        if (!rec->Bound)
            continue;
        for (SqlULen r = first; r < last; ++r)
            rec->Ind[r] = NarrowLength(rec->Ind[r]);
    }
}

bool THstmt::RereadTruncated(SqlULen row, bool cursorOnRow)
{
    bool found = false;
    for (std::size_t i = 0; i < cols_.size(); ++i) {
        TColRec& rec = *cols_[i];
        if (!rec.Bound || !IsTextOrBinary(rec.ColType))
            continue;
        SqlLen length = rec.Ind[row - 1];
        // A row other than the cursor's was cut to the width the rowset came in, which an earlier
        // row's value may have widened since.
        const SqlLen fetched = cursorOnRow || rec.FetchedWidth == 0 ? rec.CellWidth : rec.FetchedWidth;
        if (length != SQL_NO_TOTAL && length <= (rec.ColType == SQL_C_CHAR ? fetched - 1 : fetched))
            continue;
        found = true;
        const auto col = static_cast<std::uint16_t>(i + 1);
        const SqlLen zero = rec.ColType == SQL_C_CHAR ? 1 : 0;
        if (!cursorOnRow && !rowsPositionable_) {
            // The cursor cannot come back to the row: the cell is marked not read (reading it raises,
            // writing the row leaves it out), and the column widens for the rowsets to come.
            rec.Ind[row - 1] = kCellNotRead;
            if (length == SQL_NO_TOTAL || length > CellCapacity(rec))
                WidenColumn(col, rec, std::max(length + zero, rec.CellWidth * 2));
            continue;
        }
        if (!cursorOnRow && !Check(Oci::SQLSetPos(handle_, row, SQL_POSITION, SQL_LOCK_NO_CHANGE)))
            return found;
        // Widen the column for this value and the ones to come; the cells already read keep theirs.
        // A driver that still cuts it gives the rest in further pieces, each after the last.
        SqlLen have = 0;
        for (;;) {
            if (length == SQL_NO_TOTAL || length > CellCapacity(rec)) {
                const SqlLen wanted = length == SQL_NO_TOTAL ? rec.CellWidth * 4 : length + zero;
                WidenColumn(col, rec, std::max(wanted, rec.CellWidth * 2));
            }
            auto* cell = static_cast<std::uint8_t*>(RowOffset(rec.Value, row, rec.CellWidth));
            SQLLEN ind = 0;
            if (!Check(Oci::SQLGetData(handle_, col, rec.ColType, cell + have, rec.CellWidth - have, &ind)))
                return found;
            if (RetCode() == SQL_NO_DATA) {
                if (have == 0)
                    throw RIDIZOrurori("Value of column " + rec.Name + " is longer than its buffer.");
                rec.Ind[row - 1] = have;
                break;
            }
            ind = NarrowLength(ind);
            if (ind == SQL_NULL_DATA || RetCode() == SQL_SUCCESS) {
                rec.Ind[row - 1] = ind == SQL_NULL_DATA ? ind : have + ind;
                break;
            }
            have = rec.CellWidth - zero;
            length = ind == SQL_NO_TOTAL ? ind : std::max(have + ind, have + 1);
        }
    }
    return found;
}

void THstmt::WidenColumn(std::uint16_t col, TColRec& rec, SqlLen width)
{
    const SqlULen cells = rec.Indicators.size();
    std::vector<std::uint8_t> wider(cells * static_cast<SqlULen>(width), 0);
    for (SqlULen r = 1; r <= cells; ++r)
        std::memcpy(RowOffset(wider.data(), r, width), RowOffset(rec.Value, r, rec.CellWidth),
                    static_cast<std::size_t>(rec.CellWidth));
    rec.Buffer.swap(wider);
    rec.Value = rec.Buffer.data();
    rec.CellWidth = width;
    // A kept fetched value is bound in the cell's width too.
    for (auto& kept : rec.Fetched) {
        if (kept)
            kept->Bytes.resize(static_cast<std::size_t>(width), 0);
    }
    // NOTE: the SQLite driver's SQLBindCol clears the indicator it is given; the rowset's stay.
    const std::vector<SqlLen> lengths = rec.Indicators;
    BindColumnBuffer(col, rec);
    std::copy(lengths.begin(), lengths.end(), rec.Indicators.begin());
    UpdateView(col);
}

void THstmt::UpdateView(std::uint16_t col)
{
    if (col == 0 || col > views_.size())
        return;
    const TColRec& rec = *cols_[col - 1];
    views_[col - 1] = CellView{static_cast<std::uint8_t*>(rec.Value),
                               rec.Ind,
                               rec.CellWidth,
                               rec.ColType,
                               rec.Bound && !rec.IsBlob && rec.FormatStyle == fsNone,
                               rec.Bound};
}

bool THstmt::Fetch(std::int16_t orientation, SqlLen offset)
{
    Log(1, "THstmt.Fetch");
    return Operation([&] { return RunFetch(orientation, offset); });
}

bool THstmt::RunFetch(std::int16_t orientation, SqlLen offset)
{
    if (!Init())
        return false;
    DoBeforeFetch();
    BindCols();
    if (!colsBound_)
        return false;
    // NOTE: mdbtools starts the result again at the fetch after SQL_NO_DATA: once the end is
    // reached, fetching on stays at the end.
    if (orientation != SQL_FETCH_NEXT)
        atEnd_ = false;
    const std::int16_t rc = atEnd_ ? std::int16_t{SQL_NO_DATA} : FetchRowset(orientation, offset);
    SetRetCode(rc);
    if (rc == SQL_NO_DATA && orientation == SQL_FETCH_NEXT)
        atEnd_ = true;
    if (rowFlagsSet_) {
        std::fill(rowFlags_.begin(), rowFlags_.end(), static_cast<std::uint16_t>(0));
        rowFlagsSet_ = false;
    }
    if (rc == SQL_NO_DATA) {
        rowsFetched_ = 0;
        std::fill(rowStatus_.begin(), rowStatus_.end(), static_cast<std::uint16_t>(SQL_ROW_NOROW));
        return false;
    }
    // SQL_SUCCESS is a success in every mode; only other codes go through the checkpoint.
    if (rc != SQL_SUCCESS && !Check(rc))
        return false;
    if (rc == SQL_SUCCESS_WITH_INFO && !rowByRow_) {
        // A value longer than its cell (01004) is read again whole, never passed on cut.
        for (const auto& rec : cols_)
            rec->FetchedWidth = rec->CellWidth;
        for (SqlULen r = 1; r <= rowsFetched_ && r <= rowSetSize_; ++r) {
            if (GetRowValid(r))
                RereadTruncated(r, rowSetSize_ == 1);
            if (!initialized_)
                return false;
        }
    }
    if (blobCols_ > 0) {
        for (const auto& rec : cols_) {
            rec->BlobEdited = false;
            rec->BlobRow = 0;
        }
    }
    ForgetFetchedCells();
    if (fetchBlobs_)
        ReadBlobsOfRow();
    if (!initialized_)
        return false;
    DoAfterFetch();
    return true;
}

bool THstmt::FetchFirst()
{
    return Fetch(SQL_FETCH_FIRST, 0);
}

bool THstmt::FetchNext()
{
    return Fetch(SQL_FETCH_NEXT, 0);
}

bool THstmt::FetchLast()
{
    return Fetch(SQL_FETCH_LAST, 0);
}

bool THstmt::FetchPrev()
{
    return Fetch(SQL_FETCH_PRIOR, 0);
}

bool THstmt::FetchAbsolute(SqlLen row)
{
    return Fetch(SQL_FETCH_ABSOLUTE, row);
}

bool THstmt::FetchRelative(SqlLen offset)
{
    return Fetch(SQL_FETCH_RELATIVE, offset);
}

bool THstmt::FetchBookmark(const void* bookmark)
{
    return Operation([&] {
        if (!Init())
            return false;
        if (!Check(Oci::SQLSetStmtAttr(handle_, SQL_ATTR_FETCH_BOOKMARK_PTR, const_cast<void*>(bookmark),
                                       static_cast<SQLINTEGER>(bookmarkLength_))))
            return false;
        return Fetch(SQL_FETCH_BOOKMARK, 0);
    });
}

bool THstmt::MoreResults()
{
    return Operation([this] {
        if (!Init())
            return false;
        const SQLRETURN rc = Oci::SQLMoreResults(handle_);
        SetRetCode(rc);
        if (rc == SQL_NO_DATA)
            return false;
        if (!Check(rc))
            return false;
        FreeCols();
        return true;
    });
}
