// THstmt: the generated INSERT, UPDATE, DELETE and re-reading SELECT of the target table, run on
// auxiliary statements with the values of a rowset row as parameters.
#include "odbc/statements/Hstmt.h"

#include "odbc/base/OcihText.h"
#include "odbc/driver/Oci.h"
#include "odbc/statements/CellNotRead.h"

#include <cstring>

namespace {

// What an empty (not NULL) long value is bound to: a value must have an address to be one.
constexpr char kEmptyValue[1] = {'\0'};

// An identifier as the statement needs it: as Quoted writes it, and one holding a double quote in
// double quotes with that quote doubled (an identifier already in quotes stays as it is).
std::string QuotedName(const std::string& name)
{
    const bool inQuotes = name.size() >= 2 && name.front() == '"' && name.back() == '"';
    if (inQuotes || name.find('"') == std::string::npos)
        return Quoted(name);
    std::string out = "\"";
    for (const char c : name) {
        out += c;
        if (c == '"')
            out += '"';
    }
    return out + "\"";
}

// The longest value a cell holds: a driver that had to cut a value reports its full length.
SqlLen CellCapacity(const TColRec& rec)
{
    return rec.ColType == SQL_C_CHAR ? rec.CellWidth - 1 : rec.CellWidth;
}

} // namespace

bool THstmt::BlobTakesPart(const TColRec& rec, SqlULen row) const
{
    // A blob never read for this row would be written as NULL or empty: it stays as it is.
    return rec.BlobEdited || (rec.BlobRow != 0 && rec.BlobRow == row);
}

bool THstmt::TakesPart(const TColRec& rec, SqlULen row) const
{
    if (rec.Ignore)
        return false;
    if (rec.IsBlob)
        return rec.Ind[0] != SQL_COLUMN_IGNORE && BlobTakesPart(rec, row);
    return row >= 1 && row <= rowSetSize_ && rec.Ind[row - 1] != SQL_COLUMN_IGNORE &&
           rec.Ind[row - 1] != kCellNotRead;
}

THstmt& THstmt::Generated(GeneratedKind kind)
{
    std::unique_ptr<THstmt>& aux = kind == gkInsert   ? insertHstmt_
                                   : kind == gkUpdate ? updateHstmt_
                                   : kind == gkDelete ? deleteHstmt_
                                                      : refreshHstmt_;
    if (!aux)
        aux = NewHelperStatement();
    return *aux;
}

bool THstmt::PrepareGenerated(GeneratedKind kind, std::uint16_t operation, const std::string& text)
{
    THstmt& aux = Generated(kind);
    // The text changes with the columns that take part (an ignored column, a blob not read): a text
    // prepared for other columns would take other parameters.
    if (aux.Prepared() && generatedTexts_[kind] == text)
        return false;
    std::string sql = text;
    if (onStatement_)
        onStatement_(this, operation, sql);
    aux.SetSQL(sql);
    aux.Prepare();
    generatedTexts_[kind] = text;
    return true;
}

void THstmt::BindClause(std::uint16_t& param, THstmt& target, bool primaryOnly, bool sizesOnly)
{
    RunningCall running;
    const SqlULen row = writeRow_;
    for (const auto& rec : cols_) {
        if (primaryOnly ? !rec->Primary : !TakesPart(*rec, row))
            continue;
        ++param;
        if (rec->IsBlob) {
            const bool binary = rec->ColType == SQL_C_BINARY;
            if (rec->Ind[0] >= 0 && rec->Blob->Size() == 0) {
                // Empty, which an empty stream would make NULL.
                target.BindParamCore(param, rec->ColType, const_cast<char*>(kEmptyValue),
                                     binary ? SQL_LONGVARBINARY : SQL_LONGVARCHAR);
                target.SetParamSize(param, 0);
            } else {
                target.BindMemory(param, *rec->Blob, binary);
                if (rec->Ind[0] == SQL_NULL_DATA)
                    target.SetParamSize(param, SQL_NULL_DATA);
            }
            continue;
        }
        // A key the program changed is looked for by the value it was fetched with.
        void* value = RowOffset(rec->Value, row, rec->CellWidth);
        SqlLen size = rec->Ind[row - 1];
        if (primaryOnly && row <= rec->Fetched.size() && rec->Fetched[row - 1]) {
            TFetchedCell& fetched = *rec->Fetched[row - 1];
            value = fetched.Bytes.data();
            size = fetched.Ind;
        }
        const TParamRec* bound = target.ParamRec(param);
        if (!sizesOnly || bound == nullptr || bound->Value != value) {
            ParamShape shape;
            shape.capacity = rec->CellWidth;
            shape.column = rec.get();
            target.BindShaped(param, rec->ColType, value, rec->SqlType, target.BindCore(), shape);
        }
        if (size > CellCapacity(*rec))
            size = CellCapacity(*rec);
        target.SetParamSize(param, size);
    }
}

std::string THstmt::PrimaryClause()
{
    RunningCall running;
    DeterminePrimaryCols();
    std::string clause;
    for (const auto& rec : cols_) {
        if (rec->Primary)
            clause += QuotedName(rec->Name) + " = ? AND ";
    }
    if (clause.empty())
        throw RIDIZOrurori("Unable to determine primary columns:  set PrimaryCols property.");
    clause.resize(clause.size() - 5);
    return clause;
}

void THstmt::ExecuteKeyed(THstmt& aux)
{
    aux.Execute();
    // NOTE: SQLite answers a DELETE of no row with SQL_NO_DATA, PostgreSQL an UPDATE of none with
    // SQL_NO_DATA too; either way the row is gone or changed, and that is no success.
    if (aux.Executed() && aux.GetRowsAffected() == 0)
        throw RIDIZOrurori("Row not found: it was changed or deleted by another user.");
}

void THstmt::InsertFields()
{
    RunningCall running;
    if (!Init())
        return;
    BindCols();
    DetermineTargetTable();
    std::string columns, values;
    for (const auto& rec : cols_) {
        if (!TakesPart(*rec, writeRow_))
            continue;
        columns += QuotedName(rec->Name) + ", ";
        values += "?, ";
    }
    if (columns.empty())
        throw RIDIZOrurori("Nothing to insert: every column is ignored.");
    columns.resize(columns.size() - 2);
    values.resize(values.size() - 2);
    const bool prepared = PrepareGenerated(gkInsert, rfInsert,
                                           "INSERT INTO " + QuotedName(tableName_) + " (" + columns +
                                               ") VALUES (" + values + ")");
    THstmt& aux = Generated(gkInsert);
    std::uint16_t param = 0;
    BindClause(param, aux, false, !prepared);
    aux.Execute();
}

void THstmt::UpdateFields(const std::string& whereClause, bool bindPrimary)
{
    RunningCall running;
    if (!Init())
        return;
    BindCols();
    DetermineTargetTable();
    std::string list;
    for (const auto& rec : cols_) {
        if (TakesPart(*rec, writeRow_))
            list += QuotedName(rec->Name) + " = ?, ";
    }
    if (list.empty())
        throw RIDIZOrurori("Nothing to update: every column is ignored.");
    list.resize(list.size() - 2);
    const bool prepared = PrepareGenerated(
        gkUpdate, rfUpdate, "UPDATE " + QuotedName(tableName_) + " SET " + list + " " + whereClause);
    THstmt& aux = Generated(gkUpdate);
    std::uint16_t param = 0;
    BindClause(param, aux, false, !prepared);
    if (bindPrimary)
        BindClause(param, aux, true, !prepared);
    ExecuteKeyed(aux);
    ForgetFetchedRow(writeRow_);
}

void THstmt::DeleteFields(const std::string& whereClause, bool bindPrimary)
{
    RunningCall running;
    if (!Init())
        return;
    BindCols();
    DetermineTargetTable();
    const bool prepared =
        PrepareGenerated(gkDelete, rfDelete, "DELETE FROM " + QuotedName(tableName_) + " " + whereClause);
    THstmt& aux = Generated(gkDelete);
    std::uint16_t param = 0;
    if (bindPrimary)
        BindClause(param, aux, true, !prepared);
    ExecuteKeyed(aux);
    if (writeRow_ >= 1 && writeRow_ <= rowStatus_.size())
        rowStatus_[writeRow_ - 1] = SQL_ROW_DELETED;
}

void THstmt::RefreshFields(const std::string& whereClause)
{
    RunningCall running;
    if (!Init())
        return;
    BindCols();
    DetermineTargetTable();
    std::string list;
    for (const auto& rec : cols_)
        list += QuotedName(rec->Name) + ", ";
    if (!list.empty())
        list.resize(list.size() - 2);
    const bool prepared = PrepareGenerated(
        gkRefresh, rfRefresh, "SELECT " + list + " FROM " + QuotedName(tableName_) + " " + whereClause);
    THstmt& aux = Generated(gkRefresh);
    std::uint16_t param = 0;
    BindClause(param, aux, true, !prepared);
    aux.Execute();
    if (aux.FetchNext()) {
        CopyRefreshedRow(aux, writeRow_);
    } else if (writeRow_ >= 1 && writeRow_ <= rowStatus_.size()) {
        // Gone: nothing to copy, and the row says so.
        rowStatus_[writeRow_ - 1] = SQL_ROW_DELETED;
    }
    aux.CloseCursor();
}

void THstmt::CopyRefreshedRow(THstmt& aux, SqlULen row)
{
    for (std::size_t i = 0; i < cols_.size(); ++i) {
        TColRec& rec = *cols_[i];
        const auto col = static_cast<std::uint16_t>(i + 1);
        const TColRec* from = aux.ColRec(col);
        if (from == nullptr)
            continue;
        if (rec.IsBlob) {
            if (TMemoryStream* value = aux.GetColMemory(col))
                rec.Blob->LoadFromStream(*value);
            rec.Ind[0] = aux.GetColSize(col);
            rec.BlobRow = row;
            rec.BlobEdited = false;
            continue;
        }
        if (row == 0 || row > rowSetSize_)
            continue;
        if (rec.LongInCells) {
            if (TMemoryStream* value = aux.GetColMemory(col)) {
                const SqlLen size = aux.GetColSize(col);
                StoreLongCell(col, row, rec,
                              std::string_view(reinterpret_cast<const char*>(value->Memory()),
                                               static_cast<std::size_t>(value->Size())));
                if (size == SQL_NULL_DATA)
                    rec.Ind[row - 1] = SQL_NULL_DATA;
                continue;
            }
        }
        void* cell = RowOffset(rec.Value, row, rec.CellWidth);
        const SqlLen size = from->IsBlob ? aux.GetColSize(col) : from->Ind[0];
        if (size == SQL_NULL_DATA) {
            rec.Ind[row - 1] = SQL_NULL_DATA;
        } else if (!from->IsBlob && from->ColType == rec.ColType && from->CellWidth == rec.CellWidth) {
            std::memcpy(cell, from->Value, static_cast<std::size_t>(rec.CellWidth));
            rec.Ind[row - 1] = std::min(size, CellCapacity(rec));
        } else {
            // Another type or width: through the value's text, never a copy of bytes that mean
            // something else or run past the cell.
            const std::string text = aux.GetColString(col);
            if (ToValue(text, cell, rec.CellWidth, rec.ColType, stNone))
                rec.Ind[row - 1] = rec.ColType == SQL_C_CHAR || rec.ColType == SQL_C_BINARY
                                       ? std::min(static_cast<SqlLen>(text.size()), CellCapacity(rec))
                                       : rec.CellWidth;
            else
                rec.Ind[row - 1] = SQL_NULL_DATA;
        }
    }
    ForgetFetchedRow(row);
}
